#include "states/TimeSliceRunningState.h"

namespace kr {

const StateExits& TimeSliceRunningState::exits() const {
  static const StateExits table{
      {StateExits::exit(QStringLiteral("pause"), &TimeSliceRunningState::pause),
       StateExits::exit(QStringLiteral("softBreak"), &TimeSliceRunningState::softBreak)},
      &TimedState::exits()};
  return table;
}

void TimeSliceRunningState::build() { createStackView(); }

} // namespace kr
