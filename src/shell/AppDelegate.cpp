#include "shell/AppDelegate.h"

#include "shell/CommonsHuskFacade.h"
#include "shell/LaunchManager.h"
#include "shell/MainController.h"
#include "shell/ProductSite.h"
#include "shell/ShellContext.h"

#include "platform/FatalError.h"
#include "platform/services/ActiveWindowAPI.h"
#include "platform/services/ActivityMonitorAPI.h"
#include "states/BaseState.h"
#include "stats/FullFeaturedStatisticsManager.h"
#include "window/MainWindow.h"
#include "window/MainWindowController.h"

#include <QApplication>
#include <QWindow>

namespace kr {

AppDelegate::AppDelegate(ShellContext& context) : context_(context) {
  context_.record(QStringLiteral("AppDelegate init"));
  finishInitialization();
}

AppDelegate::~AppDelegate() = default;

void AppDelegate::finishInitialization() {
  appDescription_ = {QStringLiteral("Korvane-R 3"),
                     QStringLiteral("https://korvaner.io/app/korvane3.xml"),
                     ProductSite::address()};

  commonsHuskFacade_ = std::make_unique<CommonsHuskFacade>();
  willFinishLaunchingCallbackList.push_back(
      [this](SmartAppDelegate& delegate) { commonsHuskFacade_->willFinishLaunching(delegate); });

  willFinishLaunchingCallbackList.push_back(
      [](SmartAppDelegate&) { MainController::sharedInstance().applicationWillFinishLaunching(); });
  didFinishLaunchingCallbackList.push_back(
      [](SmartAppDelegate&) { MainController::sharedInstance().applicationDidFinishLaunching(); });
  didBecomeActiveCallbackList.push_back(
      [](SmartAppDelegate&) { MainController::sharedInstance().applicationDidBecomeActive(); });

  LaunchListItem welcome{LaunchTrigger::firstLaunch(), [this] {
                           context_.record(QStringLiteral("show welcome help"));
                           ShellHooks::call(context_.hooks.showWelcomeHelp);
                         }};
  launchManager_ = std::make_unique<LaunchManager>(
      QStringLiteral("launchManager"), std::vector<LaunchListItem>{welcome},
      *context_.defaultsStorage, *context_.dateProvider);
  didFinishLaunchingCallbackList.push_back([this](SmartAppDelegate&) {
    context_.record(QStringLiteral("launch manager"));
    launchManager_->doIt();
  });

  if (context_.makeActivityMonitor)
    activityMonitor_ = context_.makeActivityMonitor();
  didFinishLaunchingCallbackList.push_back([](SmartAppDelegate&) {});
  context_.record(QStringLiteral("AppDelegate finishInitialization"));
}

void AppDelegate::awakeFromNib() {
  context_.record(QStringLiteral("AppDelegate awakeFromNib: log reload"));
  ShellHooks::call(context_.hooks.scheduleLogFileReload);
  context_.record(QStringLiteral("AppDelegate awakeFromNib: log folder monitor"));
  ShellHooks::call(context_.hooks.startLogFolderMonitor);
  mainWindow_ = MainWindow::makeMainWindow(*context_.defaults);
  mainWindow_->setCloseHandler([this] { hide(); });
  context_.record(QStringLiteral("AppDelegate awakeFromNib: main window"));
  // The statistics page built with the window made the shared manager.
  if (FullFeaturedStatisticsManager::hasSharedInstance())
    context_.record(QStringLiteral("AppDelegate awakeFromNib: statistics manager shared"));
}

void AppDelegate::showState(BaseState& state) {
  KR_ASSERT(mainWindow_ != nullptr,
            QStringLiteral("a page is shown before the main window exists"));
  mainWindow_->controller().showPage(state.infoWall(), state.buttonWall(), state.firstResponder());
}

void AppDelegate::makeFront() {
  KR_ASSERT(mainWindow_ != nullptr, QStringLiteral("no main window to bring to the front"));
  // Shown and yet not on the screen: the window manager keeps the window on
  // another desktop than the one in view (a turn of the wheel over the
  // desktop's background changes desktops), or minimised. The user asked
  // for it: it comes to the desktop in view, where a request to activate it
  // alone is refused.
  QWindow* handle = mainWindow_->windowHandle();
  const bool takenAway = !hidden_ && mainWindow_->isVisible() && handle && !handle->isExposed();
  if (hidden_) {
    for (const QPointer<QWidget>& window : hiddenWindows_) {
      if (window)
        window->show();
    }
    hiddenWindows_.clear();
    hidden_ = false;
  }
  showRestored(*mainWindow_);
  // A modal window that runs over it (Preferences, an alert) comes with it
  // and takes the keyboard, which the main window cannot take meanwhile.
  QWidget* modal = QApplication::activeModalWidget();
  if (modal && modal != mainWindow_.get())
    showRestored(*modal);
  (modal ? modal : mainWindow_.get())->activateWindow();
  if (takenAway && context_.activeWindow)
    context_.activeWindow->bringToDesktopInView(mainWindow_->winId());
}

void AppDelegate::showRestored(QWidget& window) {
  // Raising and activating leave a minimised window iconic: it comes back as
  // it was before (a maximised one maximised), however it was minimised.
  if (window.isMinimized())
    window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
  window.show();
  window.raise();
}

bool AppDelegate::isOwnWindow(const QWidget& window) {
  // The tray icon is a window of its own where the tray embeds it (Qt names
  // it so); it stays in the tray while the application is hidden.
  return window.isWindow() && window.objectName() != QLatin1String("QSystemTrayIconSys");
}

void AppDelegate::hide() {
  if (hidden_)
    return;
  hiddenWindows_.clear();
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (!window->isVisible() || !isOwnWindow(*window))
      continue;
    window->hide();
    // Menus and tool tips close; they do not come back with the application.
    if (!(window->windowType() == Qt::Popup || window->windowType() == Qt::ToolTip))
      hiddenWindows_.emplace_back(window);
  }
  hidden_ = true;
}

void AppDelegate::validateInputFields() {
  KR_ASSERT(mainWindow_ != nullptr, QStringLiteral("no main window"));
  mainWindow_->setFocus(Qt::OtherFocusReason);
}

void AppDelegate::addWillBecomeActiveCallback(AppDelegateAPI::Callback callback) {
  willBecomeActiveCallbackList.push_back(
      [callback = std::move(callback)](SmartAppDelegate&) { callback(); });
}

void AppDelegate::addDidResignActiveCallback(AppDelegateAPI::Callback callback) {
  didResignActiveCallbackList.push_back(
      [callback = std::move(callback)](SmartAppDelegate&) { callback(); });
}

double AppDelegate::idleTimeInSeconds() const {
  return activityMonitor_ ? activityMonitor_->idleTimeInSeconds() : 0.0;
}

double AppDelegate::lastTimeWoken() const {
  return activityMonitor_ ? activityMonitor_->lastTimeWoken() : ActivityMonitorAPI::kDistantFuture;
}

double AppDelegate::lastTimePutToSleep() const {
  return activityMonitor_ ? activityMonitor_->lastTimePutToSleep()
                          : ActivityMonitorAPI::kDistantFuture;
}

bool AppDelegate::applicationShouldTerminate() {
  return MainController::sharedInstance().applicationShouldTerminate() ==
         MainController::TerminateReply::now;
}

} // namespace kr
