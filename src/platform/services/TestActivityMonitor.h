#pragma once

#include "platform/services/ActivityMonitorAPI.h"

namespace kr {

// An activity monitor whose idle time the test sets.
class TestActivityMonitor final : public ActivityMonitorAPI {
public:
  double idleTimeInSeconds() const override { return idleTime; }
  double lastTimeWoken() const override { return woken; }
  double lastTimePutToSleep() const override { return putToSleep; }
  double idleTime = 0.0;
  double woken = kDistantFuture;
  double putToSleep = kDistantFuture;
};

} // namespace kr
