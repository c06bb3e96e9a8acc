#pragma once

#include "engine/EventExecuterType.h"
#include "engine/ScheduledItemType.h"
#include "engine/TimedStateMachineTypes.h"

#include <cstdint>
#include <functional>
#include <optional>

namespace kr {

// The per-second engine inside a timed state. It counts whole clock seconds
// since its last state transition, asks a step function for the state after
// each second, runs a transition function when the state changes, projects how
// long the new state lasts and hands the resulting events to its executor.
// The three functions are passed in; the program uses myTick,
// myStateTransitionFunction and myFastForwardFunction (TimedStateFunctions.h).
class TimedStateMachine final : public ScheduledItemType {
public:
  struct StepResult {
    State state;
    EventList events;
  };
  struct TransitionResult {
    State state;
    EventList events;
    bool restartsCounter;
  };
  // (state, second counted since the last transition, configuration)
  using EachSecondFunction =
      std::function<StepResult(const State&, std::int64_t, const Configuration&)>;
  // (old state, none at the start; proposed new state; configuration)
  using StateTransitionFunction = std::function<TransitionResult(
      const std::optional<State>&, const State&, const Configuration&)>;
  // (missed seconds, current state)
  using FastForwardFunction = std::function<FastForwardFunctionResult(std::int64_t, const State&)>;
  // Whether whoever drives the machine still runs; see setRunningCheck().
  using RunningCheck = std::function<bool()>;

  // Starts in the initial state at the current clock second and executes the
  // start's transition events. The executor is not owned and must outlive the
  // machine.
  TimedStateMachine(State initalState, EachSecondFunction eachSecondFunc,
                    StateTransitionFunction stateTransitionFunc,
                    FastForwardFunction fastForwardFunc, Configuration config,
                    EventExecuterType* executor);

  const std::optional<Configuration>& config() const { return config_; }
  const State& currentState() const { return currentState_; }
  const std::optional<std::int64_t>& lastStateTransitionSecond() const {
    return lastStateTransitionSecond_;
  }
  const std::optional<std::int64_t>& projectedDurationInSeconds() const {
    return projectedDurationInSeconds_;
  }
  std::int64_t elapsedSeconds() const { return elapsedSeconds_; }
  EventExecuterType* executor() const { return executor_; }

  // Replaces the configuration while running: the counted seconds are replayed
  // silently under the new one (no transition function, no event).
  void changeConfig(const Configuration& config);

  // The scheduler's entry: ignores a second not later than the last transition.
  void tick(std::int64_t currentSecond) override;
  // One step at the given second, without that guard.
  void tick(std::int64_t currentSecond, EventExecutionMode eventExecutionMode);
  void fastForward(std::int64_t currentSecond, std::int64_t secondsToFastForward) override;

  // The first count after startElapsedSecond at which the step function leaves
  // startState under the current configuration.
  std::int64_t preRunToNextStateTransition(const State& startState,
                                           std::int64_t startElapsedSecond) const;
  // A forced transition at the current clock second.
  void transition(const State& to,
                  EventExecutionMode eventExecutionMode = EventExecutionMode::executeAllEvents);

  // Once the check answers false no further event is executed and a running
  // fast-forward stops stepping, so an executor that stops the machine's
  // scheduler (and leaves its state) gets nothing after that.
  void setRunningCheck(RunningCheck check) { runningCheck_ = std::move(check); }

private:
  void step(std::int64_t second, EventExecutionMode mode);
  void enter(const TransitionResult& transition, std::int64_t second);
  void execute(const EventList& events);
  bool driverRuns() const { return !runningCheck_ || runningCheck_(); }
  const Configuration& requireConfig() const;

  EachSecondFunction eachSecondFunc_;
  FastForwardFunction fastForwardFunc_;
  StateTransitionFunction stateTransitionFunc_;
  EventExecuterType* executor_;
  std::optional<Configuration> config_;
  State currentState_;
  std::optional<std::int64_t> lastStateTransitionSecond_;
  std::optional<std::int64_t> projectedDurationInSeconds_;
  std::int64_t elapsedSeconds_ = 0;
  RunningCheck runningCheck_;
};

} // namespace kr
