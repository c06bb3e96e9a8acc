#include "shell/ApplicationShell.h"

#include "shell/AppDelegate.h"
#include "shell/DebugManager.h"
#include "shell/KorvaneStatusItemButtonController.h"
#include "shell/LaunchManager.h"
#include "shell/MainController.h"
#include "shell/MenuShortcuts.h"
#include "shell/PerformArguments.h"
#include "shell/ShellStateHost.h"
#include "shell/TimeViewsInstaller.h"

#include "effects/EffectsServices.h"
#include "effects/OverlayScreenFadingHelper.h"
#include "effects/QNVisualNotification.h"
#include "effects/SpeechManager.h"
#include "effects/StandAloneNoiseMachine.h"
#include "engine/DataModel.h"
#include "engine/StateMachine.h"
#include "kit/text/PadTextSettings.h"
#include "platform/QnLog.h"
#include "platform/services/StatusItem.h"
#include "platform/settings/UserDefaults.h"
#include "shortcuts/SwiftHotKeyManager.h"
#include "states/PageServices.h"
#include "states/RestBreakHelper.h"
#include "states/StateLinkingHelper.h"
#include "window/DefaultActionKeys.h"
#include "window/HelpManager.h"
#include "window/MainMenu.h"
#include "window/MainWindow.h"
#include "window/MainWindowController.h"
#include "window/NowAndLaterBoardManager.h"
#include "window/PadViewController.h"
#include "window/StatusItemController.h"
#include "window/StatusItemMenuManager.h"

#include <QAction>
#include <QPointer>

namespace kr {

ApplicationShell::ApplicationShell(ShellContext context) : context_(std::move(context)) {}

ApplicationShell::~ApplicationShell() {
  // The states go before the window that shows their pages, the controller
  // and the machine last.
  stateHost_.reset();
  // No black window may outlive the shell.
  RestBreakHelper::shared().installScreenFading(nullptr);
  screenFading_.reset();
  if (AppDelegateAPI::installed() == appDelegate_.get())
    AppDelegateAPI::install(nullptr);
  if (stateMachine_)
    stateMachine_->setNextResponder(nullptr);
  if (mainController_)
    mainController_->setNextResponder(nullptr);
  PageServices& services = PageServices::shared();
  services.isPadSectionVisible = nullptr;
  services.padStorageKeyPaths = nullptr;
  services.addBreadcrumbsTemplate = nullptr;
  services.addPrimingTemplate = nullptr;
  services.applyPadTemplate = nullptr;
  if (NowAndLaterBoardManager* pads = NowAndLaterBoardManager::current())
    pads->setSpeaker(nullptr);
  DataModel::shared().setObjectiveStyleProvider(nullptr);
  stateLinkingHelper_.reset();
  timeViews_.reset();
  uninstallHelp();
  StatusItemMenuManager::instance().removeAllItems();
  SwiftHotKeyManager::shared().setPerformAction(nullptr);
  SwiftHotKeyManager::shared().setMenuShortcutsUpdater(nullptr);
  SwiftHotKeyManager::shared().setMenuShortcutsDisabler(nullptr);
  menuShortcuts_.reset();
  if (notificationsInTray_)
    notificationsInTray_->setFallback({});
  statusItemButtonController_.reset();
  statusItemController_.reset();
  statusItem_.reset();
  appDelegate_.reset();
  mainMenu_.reset();
  mainController_.reset();
  stateMachine_.reset();
  debugManager_.reset();
}

void ApplicationShell::launch() {
  // 1. Before any controller exists: banner, transformers, defaults.
  MainController::initializeClass(context_);
  // From here on the console log follows "loggerIsOn".
  debugManager_ = std::make_unique<DebugManager>(*context_.defaults);
  // 2. The application delegate with its lists, launch manager and monitor.
  appDelegate_ = std::make_unique<AppDelegate>(context_);
  // The pages register their callbacks with the delegate when they are built.
  AppDelegateAPI::install(appDelegate_.get());
  // The screens' effects exist before any state can ask for the rest screen.
  // One helper holds the screens, so a dimming never runs over the rest screen.
  ScreenFadingHelper* fading = context_.screenFading;
  if (!fading) {
    screenFading_ = std::make_unique<OverlayScreenFadingHelper>();
    fading = screenFading_.get();
  }
  RestBreakHelper::shared().installScreenFading(fading);
  // 3. The main controller, the state machine, the states.
  stateMachine_ = std::make_unique<StateMachine>();
  mainController_ = std::make_unique<MainController>(context_, *stateMachine_);
  stateLinkingHelper_ = std::make_unique<StateLinkingHelper>(std::vector<std::function<void()>>{
      [this] {
        MainController::prepareDefaults();
        context_.record(QStringLiteral("StateLinkingHelper: defaults"));
      },
      [this] {
        DataModel::shared().prepare();
        context_.record(QStringLiteral("StateLinkingHelper: data model"));
      }});
  context_.record(QStringLiteral("StateLinkingHelper: states created"));

  installStatusItemHooks();
  installNotificationHooks();
  installHelp();
  if (!context_.hooks.saveAllPads)
    context_.hooks.saveAllPads = [] { return PadViewController::saveAllPads(); };
  if (!context_.hooks.padsQuitting)
    context_.hooks.padsQuitting = [](ShellHooks::Quitting quitting) {
      PadViewController::setQuitting(quitting != ShellHooks::Quitting::cancelled,
                                     quitting == ShellHooks::Quitting::asking);
    };

  // 4. Waking: the shared controller, the main window, the states' pages and links.
  mainController_->awakeFromNib();
  appDelegate_->awakeFromNib();
  installPadServices();
  if (statusItemButtonController_)
    statusItemButtonController_->attach(*statusItem_);
  applyCloseRule();
  mainMenu_ = std::make_unique<MainMenu>(
      [this](const QString& action) { mainController_->tryToPerform(action); },
      [this](const QString& action) { return mainController_->canPerform(action); });
  MainWindow& window = *appDelegate_->mainWindow();
  window.controller().setMainMenu(mainMenu_->menu());
  mainMenu_->installShortcuts(window);
  installDebugMenu();
  installHotKeys();
  DefaultActionKeys::install(
      window, [this] { mainController_->tryToPerform(QStringLiteral("takeDefaultAction")); });
  stateHost_ = std::make_unique<ShellStateHost>(*mainController_, *appDelegate_, context_.hooks);
  // The pages take their time views from the window as they are built.
  timeViews_ = std::make_unique<TimeViewsInstaller>();
  if (!MainController::hasSharedInstance())
    MainController::setSharedInstance(mainController_.get());
  stateLinkingHelper_->awake(*stateMachine_, appDelegate_->launchManager()->launchCounter());
  mainController_->setPseudoAppDelegate(appDelegate_.get());
  context_.record(
      QStringLiteral("StateLinkingHelper awake: pages built, initial state, exits linked"));

  // 5. Will finish launching.
  appDelegate_->applicationWillFinishLaunching(mainMenu_->menu());
  // 6. Did finish launching: the machine starts and the first page shows.
  appDelegate_->applicationDidFinishLaunching();
  // The window comes forward with the first page unless that state hid it.
  if (!appDelegate_->isHidden())
    appDelegate_->makeFront();
}

void ApplicationShell::becameActive() {
  if (active_)
    return;
  active_ = true;
  appDelegate_->applicationWillBecomeActive();
  appDelegate_->applicationDidBecomeActive();
}

void ApplicationShell::resignedActive() {
  if (!active_)
    return;
  active_ = false;
  appDelegate_->applicationWillResignActive();
  appDelegate_->applicationDidResignActive();
}

void ApplicationShell::handOver(const QStringList& arguments) {
  qn_log(QStringLiteral("a later launch handed over: %1").arg(arguments.join(QLatin1Char(' '))));
  openUrls(arguments);
  // A launch that names actions gets only them, each as its hot key does it
  // (the desktop's own shortcuts run them so where no program may grab
  // keys): one that hides the window or starts a slice behind it leaves the
  // window hidden. Any other later launch brings the window forward.
  if (!PerformArguments::requested(arguments).isEmpty()) {
    performRequestedActions(arguments);
    return;
  }
  appDelegate_->makeFront();
}

void ApplicationShell::openUrls(const QStringList& arguments) {
  for (const QString& argument : arguments) {
    if (argument.startsWith(QLatin1String("korvaner2things:")) && context_.hooks.openUrl)
      context_.hooks.openUrl(argument);
  }
}

// The actions of the global shortcuts are among them, so a desktop that lets
// no program grab keys (Wayland) can bind its own shortcuts to them.
const QStringList ApplicationShell::kDesktopActions = {
    QStringLiteral("attemptToTriggerStartTimeSlice"),
    QStringLiteral("attemptToTriggerPauseTimeSlice"),
    QStringLiteral("attemptToTriggerEndTimeSlice"),
    QStringLiteral("attemptToTriggerStartTimedBreak"),
    QStringLiteral("bringToFront"),
    QStringLiteral("nowHotKey"),
    QStringLiteral("laterHotKey"),
    QStringLiteral("scratchPadHotKey"),
    QStringLiteral("readObjectiveAloudHotKey"),
    QStringLiteral("toggleKorvaneInterface"),
    QStringLiteral("showHelp"),
    QStringLiteral("terminate"),
};

void ApplicationShell::performRequestedActions(const QStringList& arguments) {
  QStringList unknown;
  for (const QString& action : PerformArguments::actions(arguments, kDesktopActions, &unknown)) {
    if (!mainController_->tryToPerform(action))
      platformLog(QStringLiteral("Action \"%1\" is not available in this version").arg(action));
  }
  for (const QString& action : unknown)
    platformLog(QStringLiteral("Unknown action \"%1\" ignored").arg(action));
}

void ApplicationShell::installDebugMenu() {
  // For the developer only: shown when "debug_menu" is on at launch.
  if (!context_.defaults->boolValue(QStringLiteral("debug_menu")))
    return;
  QMenu* debug = mainMenu_->addDebugMenu();
  DebugManager* manager = debugManager_.get();
  UserDefaults* defaults = context_.defaults;
  MainMenu* menu = mainMenu_.get();
  const QStringList speeds = {QStringLiteral("normalSpeed"), QStringLiteral("fastSpeed"),
                              QStringLiteral("warpSpeed"), QStringLiteral("warp2Speed")};
  // The ticks follow the settings each time the menu opens.
  QObject::connect(debug, &QMenu::aboutToShow, debug, [menu, defaults, speeds] {
    menu->itemSending(QStringLiteral("toggleLogging"))
        ->setChecked(defaults->boolValue(QStringLiteral("loggerIsOn")));
    const qint64 speed = defaults->integer(QStringLiteral("debug_speed"));
    for (qsizetype i = 0; i < speeds.size(); ++i)
      menu->itemSending(speeds.at(i))->setChecked(speed == i);
  });
  mainMenu_->setHandler(QStringLiteral("toggleLogging"), [defaults] {
    defaults->setValue(QStringLiteral("loggerIsOn"),
                       !defaults->boolValue(QStringLiteral("loggerIsOn")));
    defaults->synchronize();
  });
  mainMenu_->setHandler(speeds.at(0), [manager] { manager->normalSpeed(); });
  mainMenu_->setHandler(speeds.at(1), [manager] { manager->fastSpeed(); });
  mainMenu_->setHandler(speeds.at(2), [manager] { manager->warpSpeed(); });
  mainMenu_->setHandler(speeds.at(3), [manager] { manager->warp2Speed(); });
  mainMenu_->setHandler(QStringLiteral("logCurrentResponderChainFromApplicationDownwards"),
                        [manager] { manager->logCurrentResponderChainFromApplicationDownwards(); });
  MainWindow* window = appDelegate_->mainWindow();
  mainMenu_->setHandler(
      QStringLiteral("logCurrentResponderChainUpFromFirstResponderOfWindow"),
      [window] { DebugManager::logCurrentResponderChainUpFromFirstResponderOfWindow(window); });
  mainMenu_->setHandler(QStringLiteral("logKeyLoopForView"),
                        [window] { DebugManager::logKeyLoopForView(window); });
}

void ApplicationShell::installHotKeys() {
  // The global shortcuts send their actions down the chain; the menu items
  // that mirror them show the stored keys.
  SwiftHotKeyManager& manager = SwiftHotKeyManager::shared();
  manager.setPerformAction([this](const QString& action) {
    if (!mainController_->tryToPerform(action))
      qn_log(QStringLiteral("hot key action \"%1\" is not available in this version").arg(action));
  });
  menuShortcuts_ =
      std::make_unique<MenuShortcuts>(manager, *mainMenu_, *appDelegate_->mainWindow());
  if (statusItemController_)
    menuShortcuts_->setTrayMenu(&statusItemController_->menu());
  mainController_->setMenuShortcutActions([this] { menuShortcuts_->update(); },
                                          [this] { menuShortcuts_->disable(); });
  manager.setMenuShortcutsUpdater(
      [this] { mainController_->tryToPerform(QStringLiteral("updateMenuShortcuts")); });
  manager.setMenuShortcutsDisabler(
      [this] { mainController_->tryToPerform(QStringLiteral("disableMenuShortcuts")); });
  if (!context_.hooks.registerAllHotKeys)
    context_.hooks.registerAllHotKeys = [] { SwiftHotKeyManager::shared().registerAllHotKeys(); };
}

void ApplicationShell::installPadServices() {
  // The pads live beside the page in the main window; the rating page's
  // template buttons and its switch to the statistics reach them from here.
  MainWindowController& window = appDelegate_->mainWindow()->controller();
  PageServices& services = PageServices::shared();
  services.isPadSectionVisible = [&window] { return window.isPadSectionVisible(); };
  services.padStorageKeyPaths = [] { return MainWindowController::padStorageKeyPaths(); };
  services.addBreadcrumbsTemplate = [] {
    NowAndLaterBoardManager::sharedManager().addBreadcrumbsTemplateFromState();
  };
  services.addPrimingTemplate = [] {
    NowAndLaterBoardManager::sharedManager().addPrimingTemplateFromState();
  };
  services.applyPadTemplate = [](const QString& name) {
    NowAndLaterBoardManager::sharedManager().applyPadTemplate(name);
  };
  // Without the effects set up there is nothing to speak with: the action
  // stays disabled.
  if (EffectsServices::isInstalled())
    NowAndLaterBoardManager::sharedManager().setSpeaker(
        [](const QString& text) { EffectsServices::shared().speechManager().speakString(text); });
  // A new objective takes the pads' font and colour.
  DataModel::shared().setObjectiveStyleProvider([] {
    ObjectiveText::Style style;
    const QFont font = PadTextSettings::defaultFont();
    style.fontFamily = font.family();
    if (font.pointSizeF() > 0)
      style.pointSize = font.pointSizeF();
    style.textColor = PadTextSettings::textColor().name(QColor::HexRgb);
    return style;
  });
}

void ApplicationShell::installStatusItemHooks() {
  ShellHooks& hooks = context_.hooks;
  if (!hooks.removeAllStatusMenuItems)
    hooks.removeAllStatusMenuItems = [] { StatusItemMenuManager::instance().removeAllItems(); };
  if (!hooks.openUrl)
    hooks.openUrl = [this](const QString& url) { mainController_->getUrl(url); };
  if (context_.makeStatusItem && !hooks.createStatusItem)
    hooks.createStatusItem = [this] { createStatusItem(); };
}

void ApplicationShell::installHelp() {
  // The help pad is the main controller's to show; the pages and the pads
  // name their help through the help manager.
  HelpManager::installHelpPad([this] { return mainController_->showHelpPad(); });
  PageServices::shared().showHelpPage = [](const QString& page, bool inBrowser) {
    HelpManager::showPage(page, inBrowser);
  };
  // The pads' "More Information…", in the help pad.
  PadViewController::setShowHelpPage(
      [](const QString& page) { HelpManager::showPage(page, /*inBrowser=*/false); });
  // The first launch shows the welcome page.
  if (!context_.hooks.showWelcomeHelp) {
    context_.hooks.showWelcomeHelp = [this] {
      // Nothing costly for a program that is about to end.
      if (context_.quitPending && context_.quitPending())
        return;
      mainController_->tryToPerform(QStringLiteral("showHelp"));
      HelpManager::showPage(QStringLiteral("welcome.html"), false);
    };
  }
}

void ApplicationShell::uninstallHelp() {
  HelpManager::installHelpPad({});
  PageServices::shared().showHelpPage = {};
  PadViewController::setShowHelpPage({});
}

void ApplicationShell::installNotificationHooks() {
  // Becoming active withdraws the notification still shown.
  if (!context_.hooks.removeDeliveredNotifications) {
    context_.hooks.removeDeliveredNotifications = [] {
      EffectsServices::shared().visualNotification().removeDeliveredNotifications();
    };
  }
}

void ApplicationShell::createStatusItem() {
  statusItem_ = context_.makeStatusItem();
  if (!statusItem_) {
    describeService(QStringLiteral("tray"), false,
                    QStringLiteral("none was made. No status item: the main window stays "
                                   "reachable, closing it minimises it"));
    withoutTray_ = true;
    return;
  }
  withoutTray_ = !statusItem_->isAvailable();
  // A tray that starts later (a panel after the program at login) gets the
  // icon; one that goes leaves the window reachable.
  statusItem_->setAvailabilityHandler([this] { trayCameOrWent(); });
  if (withoutTray_) {
    describeService(QStringLiteral("tray"), false,
                    QStringLiteral("%1. No status item until a tray starts: the main window "
                                   "stays reachable, closing it minimises it")
                        .arg(statusItem_->unavailableReason()));
  } else {
    describeService(QStringLiteral("tray"), true);
  }
  statusItemController_ = std::make_unique<StatusItemController>(
      *statusItem_, *context_.defaults,
      [this](const QString& action) { mainController_->tryToPerform(action); },
      [this](const QString& action) { return mainController_->canPerform(action); });
  statusItemButtonController_ = std::make_unique<KorvaneStatusItemButtonController>(
      *appDelegate_, *context_.defaults,
      KorvaneStatusItemButtonController::Environment{
          {}, context_.applicationIsActive, context_.keyboardModifiers});
  context_.hooks.setStatusItem = [this](const QString& title, int state) {
    statusItemController_->setStatus(title, state);
  };
  // Where the desktop shows no notifications, the tray icon's balloon does.
  notificationsInTray_ = &EffectsServices::shared().visualNotification();
  notificationsInTray_->setFallback(
      [this](const QString& title, const QString& body, double seconds) {
        return statusItem_ && statusItem_->showMessage(title, body, seconds);
      });
}

void ApplicationShell::trayCameOrWent() {
  withoutTray_ = !statusItem_->isAvailable();
  platformLog(withoutTray_ ? QStringLiteral("The tray went: closing the main window minimises it")
                           : QStringLiteral("A tray came: the status item shows there"));
  applyCloseRule();
  MainWindow* window = appDelegate_ ? appDelegate_->mainWindow() : nullptr;
  // Nothing but the tray could bring a hidden window back.
  if (withoutTray_ && window && appDelegate_->isHidden()) {
    appDelegate_->makeFront();
    window->showMinimized();
  }
}

void ApplicationShell::applyCloseRule() {
  MainWindow* window = appDelegate_ ? appDelegate_->mainWindow() : nullptr;
  if (!window)
    return;
  // Without a tray nothing could bring a hidden window back: closing
  // minimises. With one, closing hides the application.
  if (withoutTray_) {
    window->setCloseHandler([window] { window->showMinimized(); });
  } else {
    AppDelegate* delegate = appDelegate_.get();
    window->setCloseHandler([delegate] { delegate->hide(); });
  }
}

bool ApplicationShell::quit() { return mainController_->terminate(); }

void ApplicationShell::quitWithoutAsking() { mainController_->terminateWithoutAsking(); }

void ApplicationShell::saveForSessionEnd() { mainController_->saveAllPadsWithoutAsking(); }

void ApplicationShell::attachStandAloneNoiseMachine(StandAloneNoiseMachine& machine) {
  UserDefaults& defaults = *context_.defaults;
  const QString onKey = machine.soundOnKey();
  QPointer<StandAloneNoiseMachine> guarded(&machine);
  // The same items in the main menu's "Sounds" and the status menu's
  // "Continuous Sound": the check item follows the setting wherever it changes.
  const auto followSetting = [&defaults, onKey](QAction* play) {
    play->setCheckable(true);
    play->setChecked(defaults.boolValue(onKey));
    QObject::connect(&defaults, &UserDefaults::changed, play,
                     [play, &defaults, onKey](const QString& key) {
                       if (key == onKey)
                         play->setChecked(defaults.boolValue(onKey));
                     });
  };
  QAction* play = mainMenu_->itemSending(QStringLiteral("toggleStandaloneSound"));
  followSetting(play);
  mainMenu_->setHandler(QStringLiteral("toggleStandaloneSound"),
                        [play, &defaults, onKey] { defaults.setValue(onKey, play->isChecked()); });
  mainMenu_->setHandler(QStringLiteral("nextSound"), [guarded] {
    if (guarded)
      guarded->nextSound();
  });
  mainMenu_->setHandler(QStringLiteral("previousSound"), [guarded] {
    if (guarded)
      guarded->previousSound();
  });

  QMenu* traySounds = nullptr;
  if (statusItemController_) {
    QMenu* background = statusItemController_->addSubmenu(QStringLiteral("Continuous Sound"),
                                                          QStringLiteral("backgroundSoundMenu"));
    QAction* trayPlay = background->addAction(QStringLiteral("Play Continuous Sound"));
    trayPlay->setObjectName(QStringLiteral("toggleStandaloneSound"));
    followSetting(trayPlay);
    QObject::connect(trayPlay, &QAction::triggered, trayPlay, [trayPlay, &defaults, onKey] {
      defaults.setValue(onKey, trayPlay->isChecked());
    });
    traySounds = background->addMenu(QStringLiteral("Continuous Sound"));
    traySounds->setObjectName(QStringLiteral("continuousSoundsMenu"));
    QAction* next = background->addAction(QStringLiteral("Next Sound"));
    next->setObjectName(QStringLiteral("nextSound"));
    QObject::connect(next, &QAction::triggered, next, [guarded] {
      if (guarded)
        guarded->nextSound();
    });
    QAction* previous = background->addAction(QStringLiteral("Previous Sound"));
    previous->setObjectName(QStringLiteral("previousSound"));
    QObject::connect(previous, &QAction::triggered, previous, [guarded] {
      if (guarded)
        guarded->previousSound();
    });
  }
  machine.setMenus(mainMenu_->continuousSoundsMenu(), traySounds);
  machine.awakeFromNib();
}

} // namespace kr
