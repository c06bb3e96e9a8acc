#pragma once

#include "engine/TimedStateMachine.h"

namespace kr {

// The program's count-down: working until working duration + extension
// seconds have been counted (at least one second), then elapsed for one
// second, then working again.
TimedStateMachine::StepResult myTick(const State& state, std::int64_t second,
                                     const Configuration& config);

// Enters the proposed state; leaving working for elapsed gives the event
// elapsed. The second counter always restarts.
TimedStateMachine::TransitionResult myStateTransitionFunction(const std::optional<State>& from,
                                                              const State& to,
                                                              const Configuration& config);

// Replays every missed second, executing all events, and says so on the console.
FastForwardFunctionResult myFastForwardFunction(std::int64_t seconds, const State& state);

} // namespace kr
