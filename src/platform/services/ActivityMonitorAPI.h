#pragma once

namespace kr {

// Whole seconds since the user's last keyboard or mouse input, as of the last
// sample. An unreadable idle time reads 0: the user counts as active.
class ActivityMonitorAPI {
public:
  virtual ~ActivityMonitorAPI() = default;
  virtual double idleTimeInSeconds() const = 0;
};

} // namespace kr
