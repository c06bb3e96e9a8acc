#pragma once

namespace kr {

// Whole seconds since the user's last keyboard or mouse input, as of the last
// sample. An unreadable idle time reads 0: the user counts as active.
class ActivityMonitorAPI {
public:
  // The distant future, as a time that has not happened yet.
  static constexpr double kDistantFuture = 63113904000.0;

  virtual ~ActivityMonitorAPI() = default;
  virtual double idleTimeInSeconds() const = 0;
  // When the machine last woke and last went to sleep (clock seconds), as
  // the monitor was told; the distant future until then.
  virtual double lastTimeWoken() const { return kDistantFuture; }
  virtual double lastTimePutToSleep() const { return kDistantFuture; }
};

} // namespace kr
