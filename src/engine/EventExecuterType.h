#pragma once

#include "engine/TimedStateMachineTypes.h"

namespace kr {

// Receives the events of a timed machine, synchronously, inside the machine's
// tick, fast-forward or start. An executor may stop the machine's scheduler
// from inside execute().
class EventExecuterType {
public:
  virtual ~EventExecuterType() = default;
  virtual void execute(Event event) = 0;
};

} // namespace kr
