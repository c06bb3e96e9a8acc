#pragma once

#include "states/TimedState.h"

namespace kr {

// The soft break at the end of a slice, which waits for the user to pause.
class SoftBreakState : public TimedState {
public:
  const StateExits& exits() const override;
  // Puts the page frame into the info wall; the page's sections come with
  // the state's own rules.
  void build() override;

  StateBase* finish = nullptr;
  StateBase* extend = nullptr;
};

} // namespace kr
