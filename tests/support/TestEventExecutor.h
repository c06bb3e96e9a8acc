#pragma once

#include "engine/EventExecuterType.h"

#include <functional>

namespace kr {

// An executor for tests: keeps every executed event in order and optionally
// reacts to each one (to stop a scheduler, for example).
class TestEventExecutor final : public EventExecuterType {
public:
  void execute(Event event) override {
    eventList.push_back(event);
    if (onExecute)
      onExecute(event);
  }
  void clear() { eventList.clear(); }

  EventList eventList;
  std::function<void(Event)> onExecute;
};

} // namespace kr
