#include "states/SoftBreakState.h"

namespace kr {

const StateExits& SoftBreakState::exits() const {
  static const StateExits table{
      {StateExits::exit(QStringLiteral("finish"), &SoftBreakState::finish),
       StateExits::exit(QStringLiteral("extend"), &SoftBreakState::extend)},
      &TimedState::exits()};
  return table;
}

void SoftBreakState::build() { createStackView(); }

} // namespace kr
