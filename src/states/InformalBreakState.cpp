#include "states/InformalBreakState.h"

namespace kr {

const StateExits& InformalBreakState::exits() const {
  static const StateExits table{
      StateExits::exit(QStringLiteral("next"), &InformalBreakState::next),
      StateExits::exit(QStringLiteral("welcome"), &InformalBreakState::welcome)};
  return table;
}

void InformalBreakState::build() { createStackView(); }

} // namespace kr
