#pragma once

#include "states/ModernUIState.h"

namespace kr {

// An informal break without a timer.
class InformalBreakState : public ModernUIState {
public:
  const StateExits& exits() const override;
  // Puts the page frame into the info wall; the page's sections come with
  // the state's own rules.
  void build() override;

  StateBase* next = nullptr;
  StateBase* welcome = nullptr;
};

} // namespace kr
