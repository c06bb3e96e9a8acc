#pragma once

#include "states/ModernUIState.h"

namespace kr {

// A paused time slice.
class PausedState : public ModernUIState {
public:
  const StateExits& exits() const override;
  // Puts the page frame into the info wall; the page's sections come with
  // the state's own rules.
  void build() override;

  StateBase* continueTimeSlice = nullptr;
  StateBase* abort = nullptr;
  StateBase* finish = nullptr;
};

} // namespace kr
