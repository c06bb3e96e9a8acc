#pragma once

#include "states/TimedState.h"

namespace kr {

// The running time slice; quitting while it runs asks the user first.
class TimeSliceRunningState : public TimedState {
public:
  const StateExits& exits() const override;
  // Puts the page frame into the info wall; the page's sections come with
  // the state's own rules.
  void build() override;
  bool shouldConfirmTerminationWithUser() const override { return true; }

  StateBase* pause = nullptr;
  StateBase* softBreak = nullptr;
};

} // namespace kr
