#include "states/DefineTimeSliceState.h"

namespace kr {

const StateExits& DefineTimeSliceState::exits() const {
  static const StateExits table{
      StateExits::exit(QStringLiteral("next"), &DefineTimeSliceState::next),
      StateExits::exit(QStringLiteral("timedBreak"), &DefineTimeSliceState::timedBreak),
      StateExits::exit(QStringLiteral("welcome"), &DefineTimeSliceState::welcome)};
  return table;
}

void DefineTimeSliceState::build() { createStackView(); }

} // namespace kr
