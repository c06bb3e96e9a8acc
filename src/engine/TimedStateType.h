#pragma once

#include "engine/EventExecuterType.h"

#include <cstdint>

namespace kr {

class TimedStateMachineModule;

// What a timed state offers the module built at each of its activations: the
// length to count and the events of the count.
class TimedStateType : public EventExecuterType {
public:
  // Seconds the timer runs; read once, when the module is built.
  virtual std::int64_t duration() = 0;
  // Whether the events of this module's machine still reach the state. A timed
  // state answers true only while it is current and the module is the one of
  // its current activation, so a state that has been left never gets a late
  // tick or a second "elapsed".
  virtual bool acceptsEventsFrom(const TimedStateMachineModule& module) const = 0;
};

} // namespace kr
