#pragma once

#include "states/ModernUIState.h"

namespace kr {

// The page on which the user rates the slice and logs it.
class RateTimeSliceState : public ModernUIState {
public:
  const StateExits& exits() const override;
  // Puts the page frame into the info wall; the page's sections come with
  // the state's own rules.
  void build() override;

  StateBase* next = nullptr;
  StateBase* extend = nullptr;
  StateBase* skipLogging = nullptr;
};

} // namespace kr
