#pragma once

#include "states/StateEventPoster.h"
#include "states/StateHost.h"

namespace kr {

class AppDelegate;
class MainController;
struct ShellHooks;

// Connects the states to the application: pages go to the main window through
// the main controller, events to the notification centre, the status item
// through its hook. Installed while alive.
class ShellStateHost final : public StateHost, public StateEventPoster {
public:
  ShellStateHost(MainController& mainController, AppDelegate& appDelegate, const ShellHooks& hooks);
  ~ShellStateHost() override;
  ShellStateHost(const ShellStateHost&) = delete;
  ShellStateHost& operator=(const ShellStateHost&) = delete;

  void activateView(BaseState& state) override;
  void hide(BaseState& state) override;
  void setStatusItem(const QString& title, int state) override;
  void removeAllStatusMenuItems() override;
  void addStatusMenuItem(const QString& title, std::function<void()> action) override;
  void triggerNotificationForEvent(const QString& event, int value, int maxValue) override;

private:
  MainController& mainController_;
  AppDelegate& appDelegate_;
  const ShellHooks& hooks_;
};

} // namespace kr
