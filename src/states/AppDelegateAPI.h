#pragma once

#include <functional>

namespace kr {

// What the states need of the application delegate: its lists of callbacks
// for the application becoming active and resigning, bringing the application
// to the front, and the user's idle time. The shell installs the one
// implementation before the pages are built; without it no callback is
// registered, nothing comes to the front and the user counts as active.
class AppDelegateAPI {
public:
  using Callback = std::function<void()>;

  virtual ~AppDelegateAPI() = default;

  // Appends to the list run when the application is about to become active.
  virtual void addWillBecomeActiveCallback(Callback callback) = 0;
  // Appends to the list run after the application resigned active (went to
  // the background).
  virtual void addDidResignActiveCallback(Callback callback) = 0;
  // Unhides and activates the application and brings the main window to the
  // front, showing it normal again when it was minimised.
  virtual void makeFront() = 0;
  // Whole seconds since the user's last keyboard or mouse input, as the
  // activity monitor last sampled them.
  virtual double idleTimeInSeconds() const = 0;
  // When the machine last woke and last went to sleep, as the activity
  // monitor heard (clock seconds); far in the future until it has.
  virtual double lastTimeWoken() const = 0;
  virtual double lastTimePutToSleep() const = 0;

  // The installed delegate, or nullptr.
  static AppDelegateAPI* installed();
  // Not owned; nullptr uninstalls.
  static void install(AppDelegateAPI* delegate);
};

} // namespace kr
