#pragma once

#include <functional>
#include <memory>
#include <vector>

class QMenu;

namespace kr {

class MenuItemManager;

// The application delegate's base: one list of callbacks per life-cycle
// notification, run in the order they were added.
class SmartAppDelegate {
public:
  using Callback = std::function<void(SmartAppDelegate&)>;
  using CallbackList = std::vector<Callback>;

  SmartAppDelegate();
  virtual ~SmartAppDelegate();
  SmartAppDelegate(const SmartAppDelegate&) = delete;
  SmartAppDelegate& operator=(const SmartAppDelegate&) = delete;

  CallbackList willFinishLaunchingCallbackList;
  CallbackList didFinishLaunchingCallbackList;
  CallbackList willBecomeActiveCallbackList;
  CallbackList didBecomeActiveCallbackList;
  CallbackList willResignActiveCallbackList;
  CallbackList didResignActiveCallbackList;
  CallbackList willTerminateCallbackList;

  MenuItemManager* menuItemManager() const { return menuItemManager_.get(); }

  // Makes the menu item manager over the main menu, then runs its list.
  void applicationWillFinishLaunching(QMenu* mainMenu);
  void applicationDidFinishLaunching() { run(didFinishLaunchingCallbackList); }
  void applicationWillBecomeActive() { run(willBecomeActiveCallbackList); }
  void applicationDidBecomeActive() { run(didBecomeActiveCallbackList); }
  void applicationWillResignActive() { run(willResignActiveCallbackList); }
  void applicationDidResignActive() { run(didResignActiveCallbackList); }
  void applicationWillTerminate() { run(willTerminateCallbackList); }

protected:
  // Runs once at the end of the application delegate's construction.
  virtual void finishInitialization() {}

private:
  void run(const CallbackList& list);

  std::unique_ptr<MenuItemManager> menuItemManager_;
};

} // namespace kr
