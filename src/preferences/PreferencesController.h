#pragma once

#include "preferences/PadsPane.h"

#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class QAction;
class QDialog;
class QStackedWidget;
class QToolBar;
class QWidget;

namespace kr {

class CalendarPane;
class CalendarStore;
class DistractionsPane;
class FilePanelPresenter;
class DropboxSyncAPI;
class GeneralPane;
class IntegrationsPane;
class MainController;
class NotificationsPane;
class PreferenceControls;
class PreferencesPanePullDownButton;
class RecordView;
class ScriptLauncher;
class ScriptsPane;
class ShortcutsPane;
class SoftwareUpdaterAPI;
class SoundManager;
class SoundsPane;
class StandAloneNoiseMachine;
class SpeechManager;
class SwiftHotKeyManager;
class SyncPane;
class TaskManagerBridge;
class UpdatesPane;
class UserDefaults;
class WhiteNoiseMachine;

// What the preferences window works with.
struct PreferencesServices {
  UserDefaults* defaults = nullptr;
  SoundManager* sounds = nullptr;
  SpeechManager* speech = nullptr;
  WhiteNoiseMachine* continuousSound = nullptr;
  // The background sound's player; none: its controls are disabled.
  StandAloneNoiseMachine* standAloneSound = nullptr;
  SwiftHotKeyManager* hotKeys = nullptr;
  FilePanelPresenter* panels = nullptr;
  ScriptLauncher* scripts = nullptr;
  // None: the system's own bridge.
  TaskManagerBridge* taskManagers = nullptr;
  // None: the Sync and Software Update panes are closed.
  DropboxSyncAPI* dropbox = nullptr;
  SoftwareUpdaterAPI* updater = nullptr;
  // None: the calendar list shows its paths alone.
  CalendarStore* calendars = nullptr;
  PadsPane::Choosers padChoosers;
  // Whether global shortcuts work here, in the user's words.
  QString shortcutsAvailability;

  // The application's own.
  static PreferencesServices standard();
};

// The preferences window: a modal dialog with a toolbar of panes. While it
// runs the global hot keys are off, every sound is audible (the mute is lifted
// in memory only) and the continuous sound is held; closing puts all of it
// back. One controller serves one opening.
class PreferencesController {
public:
  // The toolbar's items, in order.
  static const QStringList kPaneIdentifiers;
  static const QString kSoftwareUpdateIdentifier;
  // The eleven texts of the notification table.
  static const QStringList kNotificationTableLabels;
  // The roots of the nine shortcut recorders, in order.
  static const QStringList kShortcutRoots;
  // The keys observed while the window runs.
  static const QStringList kObservedKeys;

  // A sound pop-up: the key it stores, the list it offers and its volume key.
  enum class SoundList { reminder, end, continuous };
  struct SoundChoice {
    QString action;
    QString soundKey;
    SoundList list;
    QString volumeKey;
  };
  static const std::vector<SoundChoice> kSoundChoices;

  explicit PreferencesController(PreferencesServices services = PreferencesServices::standard());
  ~PreferencesController();
  PreferencesController(const PreferencesController&) = delete;
  PreferencesController& operator=(const PreferencesController&) = delete;

  void setMainController(MainController* controller) { mainController_ = controller; }
  MainController* mainController() const { return mainController_; }

  // Opens the window modally and returns once it has closed.
  void run(QWidget* parent = nullptr);
  // Commits the field being edited and ends the run (also Escape and the
  // window's close button).
  void ok();

  // The toolbar's action: stores the pane to show.
  void changePane(const QString& identifier);
  // Shows the pane stored under "preferencesTabViewItemIdentifier" (the
  // registered one when the stored one cannot be shown).
  void updateTabViewAndToolbar();

  // Stores the sound chosen in the pop-up of the given action, then previews it.
  void selectSound(const QString& action);
  void playSoundWithNewSettings(const QString& action);
  void changeSpeechVolume();
  void speakWithNewSettings();
  void updateFontPreview();
  void addApplicationToExclusionList();
  void showHelpPage(const QString& pageFileName) const;

  void configureRecordView(RecordView& recordView, const QString& storageKeyRoot);

  // How help pages are opened (the page's file name); none: help buttons are
  // disabled.
  static void setHelpPageOpener(std::function<void(const QString& pageFileName)> opener);
  static bool hasHelpPageOpener();
  // Tests only: called instead of the modal run, while the window is open.
  static void setModalRunnerForTesting(std::function<void(PreferencesController&)> runner);

  // The window and its parts, for tests and the main controller.
  QDialog* window() const;
  QToolBar* toolbar() const { return toolbar_; }
  QAction* toolbarItem(const QString& identifier) const;
  QStringList toolbarIdentifiers() const;
  QString shownPane() const;
  NotificationsPane* notificationsPane() const { return notifications_; }
  ShortcutsPane* shortcutsPane() const { return shortcuts_; }
  DistractionsPane* distractionsPane() const { return distractions_; }
  SoundsPane* soundsPane() const { return sounds_; }
  PadsPane* padsPane() const { return pads_; }
  CalendarPane* calendarPane() const { return calendar_; }
  IntegrationsPane* integrationsPane() const { return integrations_; }
  ScriptsPane* scriptsPane() const { return scripts_; }
  SyncPane* syncPane() const { return sync_; }
  UpdatesPane* updatesPane() const { return updates_; }
  GeneralPane* generalPane() const { return general_; }
  PreferencesPanePullDownButton* soundPopUp(const QString& soundKey) const;
  PreferenceControls& controls() const { return *controls_; }
  bool allSoundsWereMutedAtStart() const { return allSoundsWereMutedAtStart_; }
  const PreferencesServices& services() const { return services_; }

private:
  class Window;

  void loadWindow();
  // Whether the pane exists and its back end is there.
  bool isAvailable(const QString& identifier) const;
  void buildToolbar();
  void letTabReachTheToolbar();
  PreferencesPanePullDownButton* makeSoundPopUp(const QString& soundKey);
  void selectSoundPopUpFromKey(const QString& soundKey);
  const QStringList& privateNames(SoundList list) const;
  const QStringList& labels(SoundList list) const;
  const SoundChoice* choiceForSoundKey(const QString& soundKey) const;
  const SoundChoice* choiceForAction(const QString& action) const;
  void observe(const QString& key);
  void opening();
  void closing();

  PreferencesServices services_;
  MainController* mainController_ = nullptr;
  bool allSoundsWereMutedAtStart_ = false;
  QStringList reminderSoundsLabels_, endSoundLabels_, continuousSoundsLabels_;
  std::unique_ptr<Window> window_;
  std::unique_ptr<PreferenceControls> controls_;
  QToolBar* toolbar_ = nullptr;
  QStackedWidget* panes_ = nullptr;
  std::map<QString, QWidget*> paneWidgets_;
  NotificationsPane* notifications_ = nullptr;
  ShortcutsPane* shortcuts_ = nullptr;
  DistractionsPane* distractions_ = nullptr;
  SoundsPane* sounds_ = nullptr;
  PadsPane* pads_ = nullptr;
  CalendarPane* calendar_ = nullptr;
  IntegrationsPane* integrations_ = nullptr;
  ScriptsPane* scripts_ = nullptr;
  SyncPane* sync_ = nullptr;
  UpdatesPane* updates_ = nullptr;
  GeneralPane* general_ = nullptr;
  std::map<QString, QPointer<PreferencesPanePullDownButton>> soundPopUps_;
  std::unique_ptr<QObject> observation_;
  std::optional<bool> previousMuteOverride_;
  bool running_ = false;
};

} // namespace kr
