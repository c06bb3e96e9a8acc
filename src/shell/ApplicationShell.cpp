#include "shell/ApplicationShell.h"

#include "shell/AppDelegate.h"
#include "shell/DebugManager.h"
#include "shell/LaunchManager.h"
#include "shell/MainController.h"
#include "shell/ShellStateHost.h"
#include "shell/TimeViewsInstaller.h"

#include "engine/DataModel.h"
#include "engine/StateMachine.h"
#include "platform/QnLog.h"
#include "states/StateLinkingHelper.h"
#include "window/MainMenu.h"
#include "window/MainWindow.h"
#include "window/MainWindowController.h"

namespace kr {

ApplicationShell::ApplicationShell(ShellContext context) : context_(std::move(context)) {}

ApplicationShell::~ApplicationShell() {
  // The states go before the window that shows their pages, the controller
  // and the machine last.
  stateHost_.reset();
  if (AppDelegateAPI::installed() == appDelegate_.get())
    AppDelegateAPI::install(nullptr);
  if (stateMachine_)
    stateMachine_->setNextResponder(nullptr);
  if (mainController_)
    mainController_->setNextResponder(nullptr);
  stateLinkingHelper_.reset();
  timeViews_.reset();
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

  // 4. Waking: the shared controller, the main window, the states' pages and links.
  mainController_->awakeFromNib();
  appDelegate_->awakeFromNib();
  mainMenu_ = std::make_unique<MainMenu>(
      [this](const QString& action) { mainController_->tryToPerform(action); });
  MainWindow& window = *appDelegate_->mainWindow();
  window.controller().setMainMenu(mainMenu_->menu());
  mainMenu_->installShortcuts(window);
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
  for (const QString& argument : arguments) {
    if (argument.startsWith(QLatin1String("korvaner2things:")) && context_.hooks.openUrl)
      context_.hooks.openUrl(argument);
  }
  appDelegate_->makeFront();
}

bool ApplicationShell::quit() { return mainController_->terminate(); }

} // namespace kr
