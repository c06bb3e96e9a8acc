#pragma once

#include "states/ModernUIState.h"

namespace kr {

// The page on which the user writes the objective and starts a time slice.
class DefineTimeSliceState : public ModernUIState {
public:
  const StateExits& exits() const override;
  // Puts the page frame into the info wall; the page's sections come with
  // the state's own rules.
  void build() override;

  StateBase* next = nullptr;
  StateBase* timedBreak = nullptr;
  StateBase* welcome = nullptr;
};

} // namespace kr
