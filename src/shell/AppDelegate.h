#pragma once

#include "shell/SmartAppDelegate.h"

#include "states/AppDelegateAPI.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <memory>
#include <vector>

namespace kr {

class ActivityMonitorAPI;
class BaseState;
class CommonsHuskFacade;
class LaunchManager;
class MainWindow;
struct ShellContext;

// The application delegate: owns the main window, the launch manager, the
// user-idle monitor and the developer-contact menu group, and forwards the
// life-cycle notifications to the main controller.
class AppDelegate final : public SmartAppDelegate, public AppDelegateAPI {
public:
  struct AppDescription {
    QString productName;
    QString sparkleFeedURL;
    QString websiteURL;
  };

  explicit AppDelegate(ShellContext& context);
  ~AppDelegate() override;

  const AppDescription& appDescription() const { return appDescription_; }
  MainWindow* mainWindow() const { return mainWindow_.get(); }
  LaunchManager* launchManager() const { return launchManager_.get(); }
  ActivityMonitorAPI* activityMonitor() const { return activityMonitor_.get(); }
  CommonsHuskFacade* commonsHuskFacade() const { return commonsHuskFacade_.get(); }

  // Arms the log reload, starts the log folder monitor and builds the main
  // window (not shown yet).
  void awakeFromNib();

  void showState(BaseState& state);
  // Unhides the application, shows a minimised main window again and brings
  // it to the front: every way of bringing the window forward comes here.
  void makeFront() override;
  // Hides every window of the application, remembering which were shown.
  // The tray icon is not one of them: it stays, with its menu.
  void hide();
  static bool isOwnWindow(const QWidget& window);
  bool isHidden() const { return hidden_; }
  // Ends the editing in progress so typed values are committed.
  void validateInputFields();
  bool applicationShouldTerminate();

  // What the states ask of the delegate.
  void addWillBecomeActiveCallback(AppDelegateAPI::Callback callback) override;
  void addDidResignActiveCallback(AppDelegateAPI::Callback callback) override;
  double idleTimeInSeconds() const override;
  double lastTimeWoken() const override;
  double lastTimePutToSleep() const override;

protected:
  void finishInitialization() override;

private:
  // Shows the window, un-minimised, above the others.
  static void showRestored(QWidget& window);

  ShellContext& context_;
  AppDescription appDescription_;
  std::unique_ptr<CommonsHuskFacade> commonsHuskFacade_;
  std::unique_ptr<LaunchManager> launchManager_;
  std::unique_ptr<ActivityMonitorAPI> activityMonitor_;
  std::unique_ptr<MainWindow> mainWindow_;
  std::vector<QPointer<QWidget>> hiddenWindows_;
  bool hidden_ = false;
};

} // namespace kr
