#include "states/TimedBreakRunningState.h"

namespace kr {

void TimedBreakRunningState::build() { createStackView(); }

} // namespace kr
