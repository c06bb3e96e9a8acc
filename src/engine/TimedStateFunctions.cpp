#include "engine/TimedStateFunctions.h"

#include "platform/QnLog.h"

#include <algorithm>
#include <limits>

namespace kr {

TimedStateMachine::StepResult myTick(const State& state, std::int64_t second,
                                     const Configuration& config) {
  if (state.isElapsed())
    return {State::working(0), {}};
  // A length below one second would never end; it is counted as one second.
  std::int64_t length = 0;
  if (__builtin_add_overflow(config.workingDuration, state.extendedBy(), &length))
    length = config.workingDuration > 0 ? std::numeric_limits<std::int64_t>::max() : 1;
  if (second >= std::max<std::int64_t>(length, 1))
    return {State::elapsed(), {}};
  return {state, {Event::oneTick}};
}

TimedStateMachine::TransitionResult
myStateTransitionFunction(const std::optional<State>& from, const State& to, const Configuration&) {
  EventList events;
  if (from && from->isWorking() && to.isElapsed())
    events.push_back(Event::elapsed);
  return {to, std::move(events), true};
}

FastForwardFunctionResult myFastForwardFunction(std::int64_t seconds, const State& state) {
  platformLog(QStringLiteral("fast forward %1 seconds from %2").arg(seconds).arg(state.text()));
  return FastForwardFunctionResult::normalFastForward(seconds,
                                                      EventExecutionMode::executeAllEvents);
}

} // namespace kr
