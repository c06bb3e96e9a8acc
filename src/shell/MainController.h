#pragma once

#include "platform/Responder.h"
#include "platform/services/ErrorPresentation.h"
#include "shell/ShellHooks.h"

#include <QStringList>

#include <memory>
#include <optional>

class QWidget;

namespace kr {

class AppDelegate;
class BaseState;
class HelpViewController;
class StateMachine;
class TaskManagerBridge;
class UrlHandler;
struct ShellContext;

// The controller at the head of the responder chain: it takes the life-cycle
// calls the application delegate forwards, the application's own actions
// (quit, hide, editing commands) and decides whether the application may quit.
class MainController final : public Responder {
public:
  enum class TerminateReply { now, cancel };

  static const QString kQuitMessage;
  static const QString kQuitInformativeText;

  // Stops the program when none is set.
  static MainController& sharedInstance();
  static bool hasSharedInstance();
  static void setSharedInstance(MainController* controller);

  // Runs once before any controller exists: the launch banner, the value
  // transformers, the registered defaults and the first-launch set-up.
  static void initializeClass(ShellContext& context);
  // Registers every default of the application.
  static void prepareDefaults();
  static void syncOldPreferences() {}

  MainController(ShellContext& context, StateMachine& stateMachine);
  ~MainController() override;

  void awakeFromNib();
  void setPseudoAppDelegate(AppDelegate* delegate) { pseudoAppDelegate_ = delegate; }
  AppDelegate* pseudoAppDelegate() const { return pseudoAppDelegate_; }

  void applicationWillFinishLaunching();
  void applicationDidFinishLaunching();
  void applicationDidBecomeActive();
  // Asks the current state whether quitting needs the user's consent and, if
  // so, asks the user; then saves the pads.
  TerminateReply applicationShouldTerminate();
  // Quits when applicationShouldTerminate() allows it. Returns whether it did.
  bool terminate();
  // Quits without asking anyone (a signal, the session ending): the shutdown
  // steps run and the event loop ends.
  void terminateWithoutAsking();
  // Writes every pad, asking no one; a failure goes to the console. True when
  // all were written.
  bool saveAllPadsWithoutAsking();
  static const QString kPadsNotSavedMessage;

  // Shows the current state's page in the main window.
  void activateView(BaseState& state);
  // The current state's page in the main window.
  void showInfoWindow();
  // A link sent to the application ("korvaner2things://...").
  void getUrl(const QString& url);
  // The actions "updateMenuShortcuts" and "disableMenuShortcuts": the menu
  // items that mirror the global shortcuts show their keys, or none.
  void setMenuShortcutActions(Action update, Action disable);
  // Asks where to export the logs as CSV (from "exportAsCSVPath", or the home
  // folder when that folder is missing) and exports them there. The chosen
  // path is not stored.
  void exportAsCSV();
  static QString exportPanelTitle() { return QStringLiteral("Export Logs in CSV format"); }

  // Opens the preferences window (a new controller each time) and returns
  // once it has closed.
  void showPreferencesDialog();
  // The same, on the "Distractions" pane, which stays the pane shown next time.
  void showPreferencesDialogWithDistractionPanePreselected();
  // Makes the help viewer visible beside the pages and gives it; none
  // before the main window exists.
  HelpViewController* showHelpPad();
  // Hides the application, only while it is active (the "Hide" of the menus
  // and the pages, and a state that runs in the background).
  void hideApplication();

  // The program's error presentation: an error that offers recovery is first
  // asked to recover (option 0); it is shown when it offers none or recovered.
  // Returns no error, so the caller shows nothing further.
  std::optional<PresentedError> willPresentError(const PresentedError& error);
  void didPresentErrorWithRecovery(bool didRecover);

protected:
  bool validateAction(const QString& action) const override;

private:
  // The pads' failures.
  QStringList saveBeforeQuitting();
  void setPadsQuitting(ShellHooks::Quitting quitting);
  void addPadActions();
  void endEventLoop();
  void addApplicationActions();
  void addWorkCycleActions();
  void addHelpActions();
  // Passes a command down the chain to the current state; nothing happens
  // where the state does not have it.
  void passToCurrentState(const QString& command);
  bool applicationIsActive() const;
  void bringToFront();
  void showAboutBox();
  void toggleKorvaneInterface();
  void sendToFocusWidget(const char* slot);
  // The control the Edit and Format commands are for: the focused one, or,
  // while a menu holds the keyboard, the one focused in the active window.
  static QWidget* editingFocusWidget();
  static bool focusWidgetCanPerform(const QString& action);
  // The focused text editor's own commands (the Format menu).
  static bool focusEditorCanPerform(const QString& action);

  ShellContext& context_;
  StateMachine& stateMachine_;
  AppDelegate* pseudoAppDelegate_ = nullptr;
  std::unique_ptr<TaskManagerBridge> taskManagerBridge_;
  std::unique_ptr<UrlHandler> urlHandler_;
};

} // namespace kr
