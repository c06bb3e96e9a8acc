#pragma once

#include "states/ModernUIState.h"

namespace kr {

// The page that offers a timed break, an informal break or the next slice.
class PrepareTimedBreakState : public ModernUIState {
public:
  const StateExits& exits() const override;
  // Puts the page frame into the info wall; the page's sections come with
  // the state's own rules.
  void build() override;

  StateBase* next = nullptr;
  StateBase* informalBreak = nullptr;
  StateBase* nextTimeSlice = nullptr;
  StateBase* welcome = nullptr;
};

} // namespace kr
