#include "preferences/PreferencesController.h"

#include "preferences/CalendarPane.h"
#include "preferences/DistractionsPane.h"
#include "preferences/GeneralPane.h"
#include "preferences/IntegrationsPane.h"
#include "preferences/NotificationsPane.h"
#include "preferences/PreferenceControls.h"
#include "preferences/PreferencesViews.h"
#include "preferences/ScriptsPane.h"
#include "preferences/ShortcutsPane.h"
#include "preferences/SoundsPane.h"
#include "preferences/SyncPane.h"
#include "preferences/UpdatesPane.h"

#include "effects/EffectsServices.h"
#include "effects/ScriptLauncher.h"
#include "effects/SoundManager.h"
#include "effects/SpeechManager.h"
#include "effects/WhiteNoiseMachine.h"
#include "kit/skins/DesktopCheckBoxStyle.h"
#include "platform/QnLog.h"
#include "platform/services/FilePanelPresenter.h"
#include "platform/settings/UserDefaults.h"
#include "shortcuts/InputMonitoringHelper.h"
#include "shortcuts/RecordView.h"
#include "shortcuts/ShortcutPreferences.h"
#include "shortcuts/SwiftHotKeyManager.h"
#include "window/CalendarManager.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QDialog>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStackedWidget>
#include <QToolBar>
#include <QVBoxLayout>

namespace kr {

namespace {

const QString kPaneKey = QStringLiteral("preferencesTabViewItemIdentifier");

std::function<void(const QString&)>& helpPageOpener() {
  static std::function<void(const QString&)> opener;
  return opener;
}

std::function<void(PreferencesController&)>& modalRunner() {
  static std::function<void(PreferencesController&)> runner;
  return runner;
}

QString itemText(const QString& identifier) {
  return identifier == PreferencesController::kSoftwareUpdateIdentifier
             ? QStringLiteral("Software Update")
             : identifier;
}

} // namespace

// The dialog: Escape and the close button end the run as the OK button does.
class PreferencesController::Window final : public QDialog {
public:
  Window(PreferencesController& controller, QWidget* parent)
      : QDialog(parent), controller_(controller) {}
  void reject() override { controller_.ok(); }

protected:
  void closeEvent(QCloseEvent* event) override {
    controller_.ok();
    event->accept();
  }

private:
  PreferencesController& controller_;
};

PreferencesServices PreferencesServices::standard() {
  PreferencesServices services;
  services.defaults = &UserDefaults::standard();
  EffectsServices& effects = EffectsServices::shared();
  services.sounds = &effects.soundManager();
  services.speech = &effects.speechManager();
  services.continuousSound = &effects.continuousSoundMachine();
  services.hotKeys = &SwiftHotKeyManager::shared();
  services.panels = &FilePanelPresenter::shared();
  services.standAloneSound = SoundsPane::backgroundPlayer();
  services.dropbox = DropboxSyncAPI::installed();
  services.updater = SoftwareUpdaterAPI::installed();
  services.scripts = &ScriptLauncher::sharedScriptLauncher();
  services.calendars = CalendarManager::sharedInstance().calendarEventStore();
  services.padChoosers = PadsPane::Choosers::standard();
  services.shortcutsAvailability = InputMonitoringHelper::availabilityText();
  return services;
}

PreferencesController::PreferencesController(PreferencesServices services)
    : services_(std::move(services)) {
  reminderSoundsLabels_ = services_.sounds->reminderSoundsLabels();
  endSoundLabels_ = services_.sounds->endSoundsLabels();
  continuousSoundsLabels_ = services_.sounds->continuousSoundsLabels();
  allSoundsWereMutedAtStart_ = false;
  loadWindow();
}

PreferencesController::~PreferencesController() {
  if (running_)
    closing();
  // The controls stop following the settings before their widgets go.
  controls_.reset();
  window_.reset();
}

void PreferencesController::setHelpPageOpener(std::function<void(const QString&)> opener) {
  helpPageOpener() = std::move(opener);
}

bool PreferencesController::hasHelpPageOpener() { return static_cast<bool>(helpPageOpener()); }

void PreferencesController::setModalRunnerForTesting(
    std::function<void(PreferencesController&)> runner) {
  modalRunner() = std::move(runner);
}

QDialog* PreferencesController::window() const { return window_.get(); }

void PreferencesController::updateFontPreview() { pads_->updateFontPreview(); }

void PreferencesController::showHelpPage(const QString& pageFileName) const {
  if (helpPageOpener())
    helpPageOpener()(pageFileName);
}

void PreferencesController::loadWindow() {
  window_ = std::make_unique<Window>(*this, nullptr);
  window_->setWindowTitle(QStringLiteral("Preferences"));
  window_->setObjectName(QStringLiteral("PreferencesPane"));
  window_->setModal(true);
  controls_ = std::make_unique<PreferenceControls>(*services_.defaults);

  toolbar_ = new QToolBar(window_.get());
  toolbar_->setObjectName(QStringLiteral("preferencesToolbar"));
  toolbar_->setToolButtonStyle(Qt::ToolButtonTextOnly);
  toolbar_->setMovable(false);
  panes_ = new QStackedWidget(window_.get());
  panes_->setObjectName(QStringLiteral("preferencePanes"));

  NotificationsPane::HelpOpener help;
  if (hasHelpPageOpener())
    help = [this](const QString& page) { showHelpPage(page); };
  notifications_ = new NotificationsPane(
      *controls_, [this](const QString& soundKey) { return makeSoundPopUp(soundKey); }, help);
  shortcuts_ =
      new ShortcutsPane(services_.shortcutsAvailability, services_.hotKeys->refusedRoots(), help);
  distractions_ = new DistractionsPane(*controls_, [this] { addApplicationToExclusionList(); });
  sounds_ = new SoundsPane(
      *controls_, *services_.sounds, makeSoundPopUp(QStringLiteral("standaloneSound")),
      [this] { playSoundWithNewSettings(QStringLiteral("selectStartSound")); }, help,
      services_.standAloneSound != nullptr);
  pads_ = new PadsPane(*controls_, services_.padChoosers);
  calendar_ = new CalendarPane(*controls_, *services_.panels, services_.calendars);
  integrations_ = new IntegrationsPane(*controls_, services_.taskManagers, help);
  scripts_ = new ScriptsPane(*services_.scripts, help);
  general_ = new GeneralPane(*controls_);
  sync_ = new SyncPane(*controls_, services_.dropbox, help);
  updates_ = new UpdatesPane(*controls_, services_.updater, [this] { ok(); });
  for (QWidget* pane : std::initializer_list<QWidget*>{notifications_, sounds_, shortcuts_, pads_,
                                                       calendar_, distractions_, integrations_,
                                                       scripts_, sync_, updates_, general_}) {
    panes_->addWidget(pane);
    paneWidgets_[pane->objectName()] = pane;
  }
  buildToolbar();
  // Unticked boxes that stand out from the window in a light theme and a dark.
  DesktopCheckBoxStyle::applyTo(window_.get());

  auto* layout = new QVBoxLayout(window_.get());
  layout->setContentsMargins(0, 0, 0, 8);
  layout->setSpacing(0);
  layout->addWidget(toolbar_);
  layout->addWidget(panes_, 1);
  window_->resize(900, 600);
}

void PreferencesController::buildToolbar() {
  auto* group = new QActionGroup(toolbar_);
  group->setExclusive(true);
  for (const QString& identifier : kPaneIdentifiers) {
    QAction* item = toolbar_->addAction(itemText(identifier));
    item->setObjectName(identifier);
    item->setCheckable(true);
    group->addAction(item);
    if (isAvailable(identifier)) {
      QObject::connect(item, &QAction::triggered, toolbar_,
                       [this, identifier] { changePane(identifier); });
    } else {
      // Panes of a later version: shown, but closed.
      item->setEnabled(false);
      item->setToolTip(QStringLiteral("Not available in this version"));
    }
  }
}

void PreferencesController::letTabReachTheToolbar() {
  // A toolbar's buttons take no focus of their own; here they are the only way
  // to another pane, so Tab stops at each, in the order they show, and Space
  // chooses it.
  QWidget* previous = nullptr;
  for (QAction* item : toolbar_->actions()) {
    QWidget* button = toolbar_->widgetForAction(item);
    if (!button)
      continue;
    button->setFocusPolicy(Qt::TabFocus);
    if (previous)
      QWidget::setTabOrder(previous, button);
    previous = button;
  }
}

QAction* PreferencesController::toolbarItem(const QString& identifier) const {
  for (QAction* item : toolbar_->actions()) {
    if (item->objectName() == identifier)
      return item;
  }
  return nullptr;
}

QStringList PreferencesController::toolbarIdentifiers() const {
  QStringList identifiers;
  for (QAction* item : toolbar_->actions())
    identifiers << item->objectName();
  return identifiers;
}

QString PreferencesController::shownPane() const {
  QWidget* current = panes_->currentWidget();
  return current ? current->objectName() : QString();
}

const QStringList& PreferencesController::privateNames(SoundList list) const {
  switch (list) {
  case SoundList::reminder:
    return services_.sounds->reminderSoundsPrivateNames();
  case SoundList::continuous:
    return services_.sounds->continuousSoundsPrivateNames();
  case SoundList::end:
    break;
  }
  return services_.sounds->endSoundsPrivateNames();
}

const QStringList& PreferencesController::labels(SoundList list) const {
  switch (list) {
  case SoundList::reminder:
    return reminderSoundsLabels_;
  case SoundList::continuous:
    return continuousSoundsLabels_;
  case SoundList::end:
    break;
  }
  return endSoundLabels_;
}

const PreferencesController::SoundChoice*
PreferencesController::choiceForSoundKey(const QString& soundKey) const {
  for (const SoundChoice& choice : kSoundChoices) {
    if (choice.soundKey == soundKey)
      return &choice;
  }
  return nullptr;
}

const PreferencesController::SoundChoice*
PreferencesController::choiceForAction(const QString& action) const {
  for (const SoundChoice& choice : kSoundChoices) {
    if (choice.action == action)
      return &choice;
  }
  return nullptr;
}

PreferencesPanePullDownButton* PreferencesController::soundPopUp(const QString& soundKey) const {
  const auto found = soundPopUps_.find(soundKey);
  return found == soundPopUps_.end() ? nullptr : found->second.data();
}

PreferencesPanePullDownButton* PreferencesController::makeSoundPopUp(const QString& soundKey) {
  const SoundChoice* choice = choiceForSoundKey(soundKey);
  auto* popUp = new PreferencesPanePullDownButton;
  popUp->setObjectName(soundKey);
  if (!choice)
    return popUp;
  popUp->addItems(labels(choice->list));
  soundPopUps_[soundKey] = popUp;
  const QString action = choice->action;
  QObject::connect(popUp, &QComboBox::activated, popUp, [this, action] { selectSound(action); });
  controls_->follow(soundKey, popUp, [this, soundKey] { selectSoundPopUpFromKey(soundKey); });
  return popUp;
}

void PreferencesController::selectSoundPopUpFromKey(const QString& soundKey) {
  PreferencesPanePullDownButton* popUp = soundPopUp(soundKey);
  const SoundChoice* choice = choiceForSoundKey(soundKey);
  if (!popUp || !choice)
    return;
  // A stored name that is not offered selects nothing.
  const QSignalBlocker quiet(popUp);
  popUp->setCurrentIndex(
      int(privateNames(choice->list).indexOf(services_.defaults->string(soundKey))));
  popUp->update();
}

void PreferencesController::selectSound(const QString& action) {
  const SoundChoice* choice = choiceForAction(action);
  PreferencesPanePullDownButton* popUp = choice ? soundPopUp(choice->soundKey) : nullptr;
  if (!popUp)
    return;
  const QStringList& names = privateNames(choice->list);
  const int index = popUp->currentIndex();
  if (index < 0 || index >= names.size())
    return;
  services_.defaults->setValue(choice->soundKey, names.at(index));
  services_.defaults->synchronize();
  playSoundWithNewSettings(action);
}

void PreferencesController::playSoundWithNewSettings(const QString& action) {
  const SoundChoice* choice = choiceForAction(action);
  if (!choice)
    return;
  const QString name = services_.defaults->string(choice->soundKey);
  const auto volume = float(controls_->fractionValue(choice->volumeKey));
  if (choice->list == SoundList::continuous)
    services_.sounds->playSampleWithPrivateName(name, volume);
  else
    services_.sounds->playSoundWithPrivateName(name, volume);
}

void PreferencesController::changeSpeechVolume() { speakWithNewSettings(); }

void PreferencesController::speakWithNewSettings() {
  services_.speech->speakString(QStringLiteral("Hello."));
}

void PreferencesController::configureRecordView(RecordView& recordView,
                                                const QString& storageKeyRoot) {
  ShortcutPreferences::configureRecordView(recordView, storageKeyRoot, *services_.hotKeys,
                                           *services_.defaults);
}

void PreferencesController::changePane(const QString& identifier) {
  services_.defaults->setValue(kPaneKey, identifier);
  if (!observation_)
    updateTabViewAndToolbar();
}

void PreferencesController::updateTabViewAndToolbar() {
  const auto shown = [this](const QString& identifier) {
    return isAvailable(identifier) ? paneWidgets_.at(identifier) : nullptr;
  };
  QString identifier = services_.defaults->string(kPaneKey);
  QWidget* pane = shown(identifier);
  if (!pane) {
    identifier = UserDefaults::toString(services_.defaults->registeredValue(kPaneKey));
    pane = shown(identifier);
  }
  if (!pane) {
    identifier = kPaneIdentifiers.front();
    pane = shown(identifier);
  }
  panes_->setCurrentWidget(pane);
  if (QAction* item = toolbarItem(identifier))
    item->setChecked(true);
}

void PreferencesController::observe(const QString& key) {
  Q_UNUSED(key);
  // One connection serves every observed key.
  if (observation_)
    return;
  observation_ = std::make_unique<QObject>();
  QObject::connect(services_.defaults, &UserDefaults::changed, observation_.get(),
                   [this](const QString& path) {
                     if (!kObservedKeys.contains(path))
                       return;
                     qn_log(QStringLiteral("observeValueForKeyPath: %1 value: %2")
                                .arg(path, services_.defaults->object(path).toString()));
                     if (path == kPaneKey) {
                       updateTabViewAndToolbar();
                     } else if (path == QLatin1String("speechReminderVolume")) {
                       changeSpeechVolume();
                     } else if (path == QLatin1String("textColor")) {
                       updateFontPreview();
                     } else {
                       for (const SoundChoice& choice : kSoundChoices) {
                         if (choice.volumeKey == path)
                           playSoundWithNewSettings(choice.action);
                       }
                     }
                   });
}

void PreferencesController::opening() {
  for (const QString& key : kObservedKeys)
    observe(key);
  services_.continuousSound->block();
  SoundManager& sounds = *services_.sounds;
  allSoundsWereMutedAtStart_ = sounds.allSoundsAreMuted();
  previousMuteOverride_ = sounds.muteOverride();
  sounds.setMuteOverride(false);
  for (const QString& root : kShortcutRoots) {
    if (RecordView* recorder = shortcuts_->recordView(root))
      configureRecordView(*recorder, root);
  }
  services_.hotKeys->disableAllHotKeys();
  for (const SoundChoice& choice : kSoundChoices)
    selectSoundPopUpFromKey(choice.soundKey);
  updateFontPreview();
  if (!toolbarItem(kSoftwareUpdateIdentifier)) {
    const QList<QAction*> items = toolbar_->actions();
    auto* update = new QAction(itemText(kSoftwareUpdateIdentifier), toolbar_);
    update->setObjectName(kSoftwareUpdateIdentifier);
    update->setCheckable(true);
    if (auto* group = items.isEmpty() ? nullptr : items.front()->actionGroup())
      group->addAction(update);
    update->setEnabled(isAvailable(kSoftwareUpdateIdentifier));
    if (update->isEnabled())
      QObject::connect(update, &QAction::triggered, toolbar_,
                       [this] { changePane(kSoftwareUpdateIdentifier); });
    else
      update->setToolTip(QStringLiteral("Not available in this version"));
    toolbar_->insertAction(items.isEmpty() ? nullptr : items.back(), update);
  }
  letTabReachTheToolbar();
  updateTabViewAndToolbar();
}

void PreferencesController::closing() {
  running_ = false;
  observation_.reset();
  services_.hotKeys->registerAllHotKeys();
  // The mute comes back before the continuous sound may resume, so a muted
  // sound does not start for a moment.
  services_.sounds->setMuteOverride(previousMuteOverride_);
  services_.continuousSound->unblock();
  window_->hide();
}

void PreferencesController::run(QWidget* parent) {
  if (running_)
    return;
  // Modal to the main window alone: the tray's icon and menu, windows of
  // their own, stay a way back to both while the window runs.
  if (parent) {
    window_->setParent(parent, window_->windowFlags());
    window_->setWindowModality(Qt::WindowModal);
  }
  running_ = true;
  opening();
  if (modalRunner()) {
    window_->show();
    modalRunner()(*this);
  } else {
    window_->exec();
  }
  if (running_)
    closing();
}

void PreferencesController::ok() {
  // The field being edited commits its value, whether or not the window
  // still has the keyboard focus.
  if (QWidget* focus = window_->focusWidget()) {
    if (auto* line = qobject_cast<QLineEdit*>(focus))
      Q_EMIT line->editingFinished();
    else if (auto* spin = qobject_cast<QAbstractSpinBox*>(focus))
      spin->interpretText();
    else if (auto* inner = qobject_cast<QAbstractSpinBox*>(focus->parentWidget()))
      inner->interpretText();
    focus->clearFocus();
  }
  window_->setFocus();
  window_->done(QDialog::Accepted);
}

} // namespace kr
