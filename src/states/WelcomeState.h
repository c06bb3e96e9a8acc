#pragma once

#include "states/ModernUIState.h"

namespace kr {

// The profile page shown on the first launch and whenever the user goes back to
// the profile settings; each of its copies returns to the state it was reached from.
class WelcomeState : public ModernUIState {
public:
  const StateExits& exits() const override;
  // Puts the page frame into the info wall; the page's sections come with
  // the state's own rules.
  void build() override;

  StateBase* next = nullptr;
};

} // namespace kr
