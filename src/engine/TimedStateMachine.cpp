#include "engine/TimedStateMachine.h"

#include "engine/Clock.h"
#include "engine/SmartScheduler.h"
#include "platform/FatalError.h"

namespace kr {

namespace {

// A projection longer than a year means the step function never leaves the
// state: a programming error, not a long slice.
constexpr std::int64_t kLongestProjection = 366LL * 24 * 3600;

std::int64_t checkedSum(std::int64_t a, std::int64_t b) {
  std::int64_t sum = 0;
  KR_ASSERT(!__builtin_add_overflow(a, b, &sum),
            QStringLiteral("timed state machine counter overflow"));
  return sum;
}

std::int64_t nowSecond() { return wholeSecond(Clock::now()); }

} // namespace

TimedStateMachine::TimedStateMachine(State initalState, EachSecondFunction eachSecondFunc,
                                     StateTransitionFunction stateTransitionFunc,
                                     FastForwardFunction fastForwardFunc, Configuration config,
                                     EventExecuterType* executor)
    : eachSecondFunc_(std::move(eachSecondFunc)), fastForwardFunc_(std::move(fastForwardFunc)),
      stateTransitionFunc_(std::move(stateTransitionFunc)), executor_(executor), config_(config),
      currentState_(initalState) {
  KR_ASSERT(eachSecondFunc_ && fastForwardFunc_ && stateTransitionFunc_ && executor_,
            QStringLiteral("TimedStateMachine needs its three functions and an executor"));
  const std::int64_t start = nowSecond();
  const TransitionResult transition = stateTransitionFunc_(std::nullopt, initalState, *config_);
  enter(transition, start);
  execute(transition.events);
}

const Configuration& TimedStateMachine::requireConfig() const {
  KR_ASSERT(config_.has_value(), QStringLiteral("TimedStateMachine has no configuration"));
  return *config_;
}

std::int64_t TimedStateMachine::preRunToNextStateTransition(const State& startState,
                                                            std::int64_t startElapsedSecond) const {
  const Configuration& config = requireConfig();
  std::int64_t count = startElapsedSecond;
  do {
    count = checkedSum(count, 1);
    KR_ASSERT(count - startElapsedSecond <= kLongestProjection,
              QStringLiteral("timed state %1 never ends").arg(startState.text()));
  } while (eachSecondFunc_(startState, count, config).state == startState);
  return count;
}

void TimedStateMachine::enter(const TransitionResult& transition, std::int64_t second) {
  currentState_ = transition.state;
  if (transition.restartsCounter)
    lastStateTransitionSecond_ = second;
  projectedDurationInSeconds_ = preRunToNextStateTransition(currentState_, 0);
  if (transition.restartsCounter)
    elapsedSeconds_ = 0;
}

void TimedStateMachine::execute(const EventList& events) {
  for (Event event : events) {
    if (!driverRuns())
      return;
    executor_->execute(event);
  }
}

void TimedStateMachine::step(std::int64_t second, EventExecutionMode mode) {
  const Configuration& config = requireConfig();
  elapsedSeconds_ = checkedSum(elapsedSeconds_, 1);
  StepResult next = eachSecondFunc_(currentState_, elapsedSeconds_, config);
  if (next.state == currentState_) {
    if (mode == EventExecutionMode::executeAllEvents)
      execute(next.events);
    return;
  }
  const TransitionResult transition = stateTransitionFunc_(currentState_, next.state, config);
  enter(transition, second);
  if (mode != EventExecutionMode::doNotExecuteAnyEvents)
    execute(transition.events);
  if (mode == EventExecutionMode::executeAllEvents)
    execute(next.events);
}

void TimedStateMachine::tick(std::int64_t currentSecond) {
  KR_ASSERT(lastStateTransitionSecond_.has_value(),
            QStringLiteral("TimedStateMachine ticked before its first transition"));
  if (currentSecond < checkedSum(*lastStateTransitionSecond_, 1))
    return;
  step(currentSecond, EventExecutionMode::executeAllEvents);
}

void TimedStateMachine::tick(std::int64_t currentSecond, EventExecutionMode eventExecutionMode) {
  step(currentSecond, eventExecutionMode);
}

void TimedStateMachine::fastForward(std::int64_t currentSecond, std::int64_t secondsToFastForward) {
  const FastForwardFunctionResult result = fastForwardFunc_(secondsToFastForward, currentState_);
  switch (result.kind()) {
  case FastForwardFunctionResult::Kind::normalFastForward:
  case FastForwardFunctionResult::Kind::fastForwardUpToStateTransition: {
    KR_ASSERT(result.seconds() >= 0,
              QStringLiteral("fast forward by %1 seconds").arg(result.seconds()));
    const bool upToTransition =
        result.kind() == FastForwardFunctionResult::Kind::fastForwardUpToStateTransition;
    const State startState = currentState_;
    for (std::int64_t i = 0; i < result.seconds(); ++i) {
      if (!driverRuns())
        return; // the executor stopped the machine: nothing more for a state that is left
      step(checkedSum(currentSecond, i), result.executeEvents());
      if (upToTransition && !(currentState_ == startState)) {
        lastStateTransitionSecond_ = nowSecond();
        return;
      }
    }
    return;
  }
  case FastForwardFunctionResult::Kind::transitionTo:
    transition(result.state(), result.executeEvents());
    return;
  case FastForwardFunctionResult::Kind::reInitTo:
    currentState_ = result.state();
    elapsedSeconds_ = 0;
    lastStateTransitionSecond_ = nowSecond();
    projectedDurationInSeconds_ = preRunToNextStateTransition(currentState_, 0);
    return;
  }
}

void TimedStateMachine::transition(const State& to, EventExecutionMode eventExecutionMode) {
  const std::int64_t second = nowSecond();
  const TransitionResult transition = stateTransitionFunc_(currentState_, to, requireConfig());
  enter(transition, second);
  if (eventExecutionMode != EventExecutionMode::doNotExecuteAnyEvents)
    execute(transition.events);
}

void TimedStateMachine::changeConfig(const Configuration& config) {
  config_ = config;
  const std::int64_t counted = elapsedSeconds_;
  for (std::int64_t k = 1; k <= counted; ++k) {
    const State next = eachSecondFunc_(currentState_, k, config).state;
    if (next == currentState_) {
      elapsedSeconds_ = k;
      continue;
    }
    elapsedSeconds_ = 0;
    currentState_ = next;
    lastStateTransitionSecond_ = nowSecond();
    break;
  }
  projectedDurationInSeconds_ = preRunToNextStateTransition(currentState_, 0);
}

} // namespace kr
