#include "engine/TimedStateMachineModule.h"

#include "engine/SmartScheduler.h"
#include "engine/TimedStateFunctions.h"
#include "engine/TimedStateMachine.h"
#include "engine/TimedStateMachineViewModel.h"
#include "engine/TimedStateType.h"

namespace kr {

// Stands between the machine and the state: an event goes through only while
// the state still accepts this module's events.
class TimedStateMachineModule::EventGate final : public EventExecuterType {
public:
  EventGate(const TimedStateMachineModule& module, TimedStateType& state)
      : module_(module), state_(state) {}
  void execute(Event event) override {
    if (state_.acceptsEventsFrom(module_))
      state_.execute(event);
  }

private:
  const TimedStateMachineModule& module_;
  TimedStateType& state_;
};

TimedStateMachineModule::TimedStateMachineModule(TimedStateType& timedState)
    : executor_(&timedState), gate_(std::make_unique<EventGate>(*this, timedState)) {
  const std::int64_t duration = timedState.duration();
  scheduler_ = std::make_shared<SmartScheduler>();
  stateMachine_ = std::make_shared<TimedStateMachine>(
      State::working(0), myTick, myStateTransitionFunction, myFastForwardFunction,
      Configuration{duration}, gate_.get());
  // Once the state stops the scheduler (at "elapsed" or when it is left) the
  // machine stops too, even in the middle of a long fast-forward.
  std::weak_ptr<SmartScheduler> weakScheduler = scheduler_;
  stateMachine_->setRunningCheck([weakScheduler] {
    auto scheduler = weakScheduler.lock();
    return scheduler && scheduler->isRunning();
  });
  scheduler_->subscribe(stateMachine_);
  viewModel_ = std::make_unique<TimedStateMachineViewModel>(stateMachine_);
  scheduler_->start();
}

TimedStateMachineModule::~TimedStateMachineModule() {
  if (scheduler_)
    scheduler_->stop();
}

void TimedStateMachineModule::change(std::int64_t duration) {
  stateMachine_->changeConfig(Configuration{duration});
}

} // namespace kr
