#include "states/WelcomeState.h"

namespace kr {

const StateExits& WelcomeState::exits() const {
  static const StateExits table{StateExits::exit(QStringLiteral("next"), &WelcomeState::next)};
  return table;
}

void WelcomeState::build() { createStackView(); }

} // namespace kr
