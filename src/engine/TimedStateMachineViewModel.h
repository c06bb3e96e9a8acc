#pragma once

#include <QDateTime>

#include <memory>

namespace kr {

class TimedStateMachine;

// What the views of a timed state read of its machine. Every value is taken at
// the frozen time, so all views refreshed in one pass show the same instant:
// freeze first, then read.
class TimedStateMachineViewModel {
public:
  explicit TimedStateMachineViewModel(std::shared_ptr<TimedStateMachine> stateMachine);

  const std::shared_ptr<TimedStateMachine>& stateMachine() const { return stateMachine_; }
  double frozenTime() const { return frozenTime_; }
  void setFrozenTime(double clockSeconds) { frozenTime_ = clockSeconds; }
  // Sets the frozen time to the clock's now.
  void freezeTime();

  // Seconds since the machine's last transition.
  double elapsedSeconds() const;
  // Seconds until the projected end; never below 0.
  double remainingSeconds() const;
  // The projected length of the current machine state.
  double totalSeconds() const;
  QDateTime startDate() const;
  QDateTime endDate() const;
  // The frozen time as a date.
  QDateTime frozenNow() const;

private:
  std::shared_ptr<TimedStateMachine> stateMachine_;
  double frozenTime_ = 0.0;
};

} // namespace kr
