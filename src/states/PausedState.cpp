#include "states/PausedState.h"

namespace kr {

const StateExits& PausedState::exits() const {
  static const StateExits table{
      StateExits::exit(QStringLiteral("continueTimeSlice"), &PausedState::continueTimeSlice),
      StateExits::exit(QStringLiteral("abort"), &PausedState::abort),
      StateExits::exit(QStringLiteral("finish"), &PausedState::finish)};
  return table;
}

void PausedState::build() { createStackView(); }

} // namespace kr
