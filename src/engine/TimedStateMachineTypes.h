#pragma once

#include <QString>

#include <cstdint>
#include <vector>

namespace kr {

// The state of a timed machine: counting work (possibly extended by a number
// of seconds) or elapsed.
class State {
public:
  enum class Kind : std::uint8_t { working, elapsed };

  static constexpr State working(std::int64_t extendedBy) {
    return State(Kind::working, extendedBy);
  }
  static constexpr State elapsed() { return State(Kind::elapsed, 0); }

  constexpr Kind kind() const { return kind_; }
  constexpr bool isWorking() const { return kind_ == Kind::working; }
  constexpr bool isElapsed() const { return kind_ == Kind::elapsed; }
  // Seconds added to the working duration; 0 for the elapsed state.
  constexpr std::int64_t extendedBy() const { return extendedBy_; }

  // "working(extendedBy: 5)" or "elapsed", as the console shows it.
  QString text() const;

  friend constexpr bool operator==(const State&, const State&) = default;

private:
  constexpr State(Kind kind, std::int64_t extendedBy) : kind_(kind), extendedBy_(extendedBy) {}

  Kind kind_;
  std::int64_t extendedBy_;
};

// What a timed machine hands its executor.
enum class Event : std::uint8_t { oneTick = 0, elapsed = 1 };

using EventList = std::vector<Event>;

struct Configuration {
  std::int64_t workingDuration = 0; // seconds
};

enum class EventExecutionMode : std::uint8_t {
  executeAllEvents = 0,
  executeOnlyStateTransitionEvents = 1,
  doNotExecuteAnyEvents = 2,
};

// How a run of missed seconds is covered.
class FastForwardFunctionResult {
public:
  enum class Kind : std::uint8_t {
    normalFastForward,
    fastForwardUpToStateTransition,
    transitionTo,
    reInitTo,
  };

  static FastForwardFunctionResult normalFastForward(std::int64_t seconds,
                                                     EventExecutionMode executeEvents) {
    return {Kind::normalFastForward, seconds, State::working(0), executeEvents};
  }
  static FastForwardFunctionResult
  fastForwardUpToStateTransition(std::int64_t seconds, EventExecutionMode executeEvents) {
    return {Kind::fastForwardUpToStateTransition, seconds, State::working(0), executeEvents};
  }
  static FastForwardFunctionResult transitionTo(State state, EventExecutionMode executeEvents) {
    return {Kind::transitionTo, 0, state, executeEvents};
  }
  static FastForwardFunctionResult reInitTo(State state) {
    return {Kind::reInitTo, 0, state, EventExecutionMode::doNotExecuteAnyEvents};
  }

  Kind kind() const { return kind_; }
  // The seconds of the two fast-forward kinds.
  std::int64_t seconds() const { return seconds_; }
  // The target of the transitionTo and reInitTo kinds.
  State state() const { return state_; }
  EventExecutionMode executeEvents() const { return executeEvents_; }

private:
  FastForwardFunctionResult(Kind kind, std::int64_t seconds, State state, EventExecutionMode mode)
      : kind_(kind), seconds_(seconds), state_(state), executeEvents_(mode) {}

  Kind kind_;
  std::int64_t seconds_;
  State state_;
  EventExecutionMode executeEvents_;
};

} // namespace kr
