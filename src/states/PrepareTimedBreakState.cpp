#include "states/PrepareTimedBreakState.h"

namespace kr {

const StateExits& PrepareTimedBreakState::exits() const {
  static const StateExits table{
      StateExits::exit(QStringLiteral("next"), &PrepareTimedBreakState::next),
      StateExits::exit(QStringLiteral("informalBreak"), &PrepareTimedBreakState::informalBreak),
      StateExits::exit(QStringLiteral("nextTimeSlice"), &PrepareTimedBreakState::nextTimeSlice),
      StateExits::exit(QStringLiteral("welcome"), &PrepareTimedBreakState::welcome)};
  return table;
}

void PrepareTimedBreakState::build() { createStackView(); }

} // namespace kr
