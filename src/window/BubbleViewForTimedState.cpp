#include "window/BubbleViewForTimedState.h"

#include "engine/Clock.h"
#include "engine/TimedStateMachineViewModel.h"

#include <cmath>

namespace kr {

void BubbleViewForTimedState::bubbleClicked(BubbleViewWithArrowOnTop* bubble) {
  TimedStateMachineViewModel* model = viewModel ? viewModel() : nullptr;
  // The rows are shown only while their timer runs.
  if (!model || !changeWorkingDuration)
    return;
  const int index = indexOf(bubble);
  const double target =
      index < 0 ? Clock::systemNow() : Clock::referenceSecondsFromDate(bubbleDate(index));
  const double secondsToTarget = std::ceil(target - model->frozenTime());
  changeWorkingDuration(static_cast<std::int64_t>(secondsToTarget + model->elapsedSeconds()));
}

} // namespace kr
