#pragma once

#include <cstdint>
#include <memory>

namespace kr {

class SmartScheduler;
class TimedStateMachine;
class TimedStateMachineViewModel;
class TimedStateType;

// What one activation of a timed state needs: a count-down machine of the
// state's duration, a scheduler that drives it once per clock second (started
// here) and a view model for the displays. After the state's deactivation has
// stopped the scheduler the machine and view model stay readable.
class TimedStateMachineModule {
public:
  // The state must outlive the module (a state owns the module of its last
  // activation).
  explicit TimedStateMachineModule(TimedStateType& timedState);
  ~TimedStateMachineModule();
  TimedStateMachineModule(const TimedStateMachineModule&) = delete;
  TimedStateMachineModule& operator=(const TimedStateMachineModule&) = delete;

  TimedStateMachine* stateMachine() const { return stateMachine_.get(); }
  SmartScheduler* scheduler() const { return scheduler_.get(); }
  TimedStateType* executor() const { return executor_; }
  TimedStateMachineViewModel* viewModel() const { return viewModel_.get(); }

  // Gives the running timer a new working duration, counted from the machine's
  // last transition.
  void change(std::int64_t duration);

private:
  class EventGate;

  TimedStateType* executor_;
  std::unique_ptr<EventGate> gate_;
  std::shared_ptr<SmartScheduler> scheduler_;
  std::shared_ptr<TimedStateMachine> stateMachine_;
  std::unique_ptr<TimedStateMachineViewModel> viewModel_;
};

} // namespace kr
