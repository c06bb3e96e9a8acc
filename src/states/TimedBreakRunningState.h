#pragma once

#include "states/TimedState.h"

namespace kr {

// The running timed break.
class TimedBreakRunningState : public TimedState {
public:
  // Puts the page frame into the info wall; the page's sections come with
  // the state's own rules.
  void build() override;
};

} // namespace kr
