#pragma once

#include "engine/SecondTicker.h"
#include "engine/SmartSchedulerType.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace kr {

// Turns the clock into whole-second steps: at each second of the shared
// SecondTicker it compares the current clock second with the last one handled and ticks the
// subscribers once, or fast-forwards them over the seconds that were missed.
// Owned through a std::shared_ptr (the timer refers back to it weakly).
class SmartScheduler final : public SmartSchedulerType,
                             public std::enable_shared_from_this<SmartScheduler> {
public:
  // Decides whether a firing in test mode is skipped.
  using Coin = std::function<bool()>;

  SmartScheduler() = default;
  ~SmartScheduler() override;
  SmartScheduler(const SmartScheduler&) = delete;
  SmartScheduler& operator=(const SmartScheduler&) = delete;

  const std::vector<std::shared_ptr<ScheduledItemType>>& subscribers() const {
    return subscribers_;
  }
  double lastFired() const { return lastFired_; }
  std::int64_t lastSecondFired() const { return lastSecondFired_; }
  bool isRunning() const;
  bool isPaused() const { return !isRunning(); }

  void subscribe(std::shared_ptr<ScheduledItemType> item) override;
  void unsubscribe(const ScheduledItemType* item);

  // Starts counting from the current clock second. A running scheduler is
  // restarted, so it is never called twice a second.
  void start();
  // Runs one firing of the timer (also called by tests).
  void timerFired();
  // Stops the timer; a stopped scheduler sends nothing more, also not to the
  // subscribers after the one whose event stopped it.
  void stop();
  // Starts again after stop(), counting from the current second; the seconds
  // in between are not replayed. Does nothing while running.
  void resume();

  // In test mode each firing is skipped when the coin says so (by default half
  // of them, at random).
  bool testMode() const { return testMode_; }
  void setTestMode(bool on, Coin coin = {});

private:
  bool skipThisFiring() const;

  std::vector<std::shared_ptr<ScheduledItemType>> subscribers_;
  double lastFired_ = 0.0;
  std::int64_t lastSecondFired_ = 0;
  SecondTicker::Subscription tick_;
  std::uint64_t generation_ = 0; // changes at every start and stop
  bool testMode_ = false;
  Coin coin_;
};

// The whole clock second of a clock time (truncated toward zero); a time that
// does not fit a 64-bit second count stops the program.
std::int64_t wholeSecond(double clockTime);

} // namespace kr
