#pragma once

#include "shell/ShellContext.h"

#include <QPointer>

#include <memory>

namespace kr {

class OverlayScreenFadingHelper;
class AppDelegate;
class QNVisualNotification;
class KorvaneStatusItemButtonController;
class StatusItem;
class StatusItemController;
class DebugManager;
class MainController;
class MainMenu;
class MenuShortcuts;
class ShellStateHost;
class TimeViewsInstaller;
class StateLinkingHelper;
class StateMachine;
class StandAloneNoiseMachine;

// The composition root: creates and wires the application's objects in the
// fixed start-up order and takes them down in reverse.
class ApplicationShell {
public:
  explicit ApplicationShell(ShellContext context);
  ~ApplicationShell();
  ApplicationShell(const ApplicationShell&) = delete;
  ApplicationShell& operator=(const ApplicationShell&) = delete;

  // Creates everything and runs the launch up to the first state's page.
  void launch();
  // The application became active, or went to the background.
  void becameActive();
  void resignedActive();
  // A later launch handed its arguments over: its links are opened, and its
  // "--perform" actions performed; one that names none brings the window
  // forward.
  void handOver(const QStringList& arguments);
  // Opens the "korvaner2things:" links among the arguments.
  void openUrls(const QStringList& arguments);
  // The actions the desktop file's entries ask for ("--perform <action>").
  static const QStringList kDesktopActions;
  void performRequestedActions(const QStringList& arguments);
  // Quits through the main controller; false when the user kept it running.
  bool quit();
  // Quits at once, asking nothing (signals, the end of the session).
  void quitWithoutAsking();
  // The session is ending: every pad is written now, asking no one.
  void saveForSessionEnd();
  // Gives the user's own continuous sound its items in the main menu's
  // "Sounds" menu and wakes it (it starts switched off). The machine is not
  // owned; its items do nothing once it is gone.
  void attachStandAloneNoiseMachine(StandAloneNoiseMachine& machine);

  ShellContext& context() { return context_; }
  const QStringList& steps() const { return context_.steps; }
  AppDelegate& appDelegate() const { return *appDelegate_; }
  MainController& mainController() const { return *mainController_; }
  StateMachine& stateMachine() const { return *stateMachine_; }
  StateLinkingHelper& stateLinkingHelper() const { return *stateLinkingHelper_; }
  MainMenu& mainMenu() const { return *mainMenu_; }
  // None where the desktop has no tray.
  StatusItem* statusItem() const { return statusItem_.get(); }
  StatusItemController* statusItemController() const { return statusItemController_.get(); }
  KorvaneStatusItemButtonController* statusItemButtonController() const {
    return statusItemButtonController_.get();
  }

private:
  void installPadServices();
  void installStatusItemHooks();
  void installHotKeys();
  void installDebugMenu();
  void installNotificationHooks();
  void installHelp();
  void uninstallHelp();
  void createStatusItem();
  void trayCameOrWent();
  // Closing the main window hides it with a tray, minimises it without.
  void applyCloseRule();

  ShellContext context_;
  std::unique_ptr<DebugManager> debugManager_;
  std::unique_ptr<AppDelegate> appDelegate_;
  std::unique_ptr<MainController> mainController_;
  std::unique_ptr<StateMachine> stateMachine_;
  std::unique_ptr<StateLinkingHelper> stateLinkingHelper_;
  std::unique_ptr<MainMenu> mainMenu_;
  std::unique_ptr<MenuShortcuts> menuShortcuts_;
  std::unique_ptr<ShellStateHost> stateHost_;
  std::unique_ptr<TimeViewsInstaller> timeViews_;
  // The rest screen's windows; the effects' dimming is to share them.
  std::unique_ptr<OverlayScreenFadingHelper> screenFading_;
  std::unique_ptr<StatusItem> statusItem_;
  std::unique_ptr<StatusItemController> statusItemController_;
  std::unique_ptr<KorvaneStatusItemButtonController> statusItemButtonController_;
  // The notifications that fall back to the tray icon's messages.
  QPointer<QNVisualNotification> notificationsInTray_;
  bool withoutTray_ = false;
  bool active_ = false;
};

} // namespace kr
