#pragma once

#include "platform/ActivityMonitorAPI.h"

#include <QString>

#include <memory>

namespace kr {

class IdleTimeBackend;
class SmartTimerWrapper;

// Samples the seconds since the user's last input once a second. Without a
// working idle-time source it says so once and reports the user active.
class ActivityMonitor final : public ActivityMonitorAPI {
public:
  // The distant future, as a time that has not happened yet.
  static constexpr double kDistantFuture = 63113904000.0;

  // `backend` may be null when no source is available; `unavailableReason`
  // then says why.
  ActivityMonitor(std::unique_ptr<IdleTimeBackend> backend, const QString& unavailableReason = {});
  ~ActivityMonitor() override;
  ActivityMonitor(const ActivityMonitor&) = delete;
  ActivityMonitor& operator=(const ActivityMonitor&) = delete;

  double idleTimeInSeconds() const override { return idleTimeInSeconds_; }
  // Whether a source of the desktop's idle time answers.
  bool hasIdleTimeSource() const { return backend_ != nullptr; }
  double lastTimeWoken() const { return lastTimeWoken_; }
  double lastTimePutToSleep() const { return lastTimePutToSleep_; }
  double lastTimeProgramWasLaunched() const { return lastTimeProgramWasLaunched_; }

  // One sample (also run by the one-second heartbeat).
  void heartBeat();
  void onWake();
  void onSleep();

private:
  void reportUnavailable(const QString& reason);

  std::unique_ptr<IdleTimeBackend> backend_;
  std::shared_ptr<SmartTimerWrapper> heartBeatTimer_;
  double idleTimeInSeconds_ = 0.0;
  double lastTimeWoken_ = kDistantFuture;
  double lastTimePutToSleep_ = kDistantFuture;
  double lastTimeProgramWasLaunched_;
  bool unavailableReported_ = false;
};

} // namespace kr
