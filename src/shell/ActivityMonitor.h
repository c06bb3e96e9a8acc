#pragma once

#include "platform/services/ActivityMonitorAPI.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

namespace kr {

class IdleTimeBackend;

// The seconds since the user's last input, in whole seconds. The source is
// asked only when a rule reads the value, at most once per clock second (so
// the value lags the truth by less than a second, as a sample taken on each
// second would). Without a working idle-time source it says so once and
// reports the user active.
class ActivityMonitor final : public ActivityMonitorAPI {
public:
  // `backend` may be null when no source is available; `unavailableReason`
  // then says why.
  ActivityMonitor(std::unique_ptr<IdleTimeBackend> backend, const QString& unavailableReason = {});
  ~ActivityMonitor() override;
  ActivityMonitor(const ActivityMonitor&) = delete;
  ActivityMonitor& operator=(const ActivityMonitor&) = delete;

  double idleTimeInSeconds() const override;
  // Whether a source of the desktop's idle time answers.
  bool hasIdleTimeSource() const { return backend_ != nullptr; }
  double lastTimeWoken() const override { return lastTimeWoken_; }
  double lastTimePutToSleep() const override { return lastTimePutToSleep_; }
  double lastTimeProgramWasLaunched() const { return lastTimeProgramWasLaunched_; }

  // Takes a sample now.
  void heartBeat();
  // How often the source was asked.
  int samplesTaken() const { return samplesTaken_; }
  void onWake();
  void onSleep();
  // Keeps what tells it of sleep and wake (and calls onSleep and onWake)
  // for as long as the monitor lives.
  void setSleepWatcher(std::unique_ptr<QObject> watcher) { sleepWatcher_ = std::move(watcher); }

private:
  void sample() const;
  void reportUnavailable(const QString& reason) const;

  std::unique_ptr<IdleTimeBackend> backend_;
  // Samples are taken when the value is read.
  mutable double idleTimeInSeconds_ = 0.0;
  mutable std::optional<std::int64_t> sampledSecond_; // the clock second of the last sample
  mutable int samplesTaken_ = 0;
  double lastTimeWoken_ = kDistantFuture;
  double lastTimePutToSleep_ = kDistantFuture;
  double lastTimeProgramWasLaunched_;
  mutable bool unavailableReported_ = false;
  std::unique_ptr<QObject> sleepWatcher_;
};

} // namespace kr
