#include "states/RateTimeSliceState.h"

namespace kr {

const StateExits& RateTimeSliceState::exits() const {
  static const StateExits table{
      StateExits::exit(QStringLiteral("next"), &RateTimeSliceState::next),
      StateExits::exit(QStringLiteral("extend"), &RateTimeSliceState::extend),
      StateExits::exit(QStringLiteral("skipLogging"), &RateTimeSliceState::skipLogging)};
  return table;
}

void RateTimeSliceState::build() { createStackView(); }

} // namespace kr
