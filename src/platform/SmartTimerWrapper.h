#pragma once

#include <functional>
#include <memory>

namespace kr {

class SmartTimerWrapper;

// Runs the timers of the application. The default runs them on the GUI
// thread's event loop; tests install one driven by a test clock.
class TimerBackend {
public:
  virtual ~TimerBackend() = default;
  virtual void start(SmartTimerWrapper& timer) = 0;
  virtual void stop(SmartTimerWrapper& timer) = 0;
};

// The one timer type of the application: a block run after an interval, once
// or repeatedly. A running timer keeps itself alive until it is stopped (or,
// for a one-shot timer, until it has fired), so it needs no other owner.
class SmartTimerWrapper : public std::enable_shared_from_this<SmartTimerWrapper> {
public:
  using Block = std::function<void(SmartTimerWrapper&)>;

  static std::shared_ptr<SmartTimerWrapper> wrapTimer(double seconds, bool repeats, Block block);

  SmartTimerWrapper(const SmartTimerWrapper&) = delete;
  SmartTimerWrapper& operator=(const SmartTimerWrapper&) = delete;
  ~SmartTimerWrapper();

  // Runs the block now; a one-shot timer is stopped before its block runs.
  void execute();
  void stop();
  bool isValid() const { return valid_; }
  double interval() const { return interval_; }
  bool repeats() const { return repeats_; }
  double tolerance() const { return tolerance_; }
  void setTolerance(double seconds);

  // Replaces the backend (nullptr restores the event-loop backend). Tests only.
  static void setBackend(TimerBackend* backend);
  static TimerBackend& backend();

private:
  SmartTimerWrapper(double seconds, bool repeats, Block block);

  Block block_;
  double interval_;
  bool repeats_;
  double tolerance_ = 0.0;
  bool valid_ = false;
  TimerBackend* startedOn_ = nullptr;
  std::shared_ptr<SmartTimerWrapper> selfWhileRunning_;
};

} // namespace kr
