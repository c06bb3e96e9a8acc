#include "window/TimeSliceRemainingAndTotalTimeIndicatorHideableFragmentWall.h"

#include "engine/DateHelper.h"
#include "engine/TimedStateMachineViewModel.h"

namespace kr {

TimeSliceRemainingAndTotalTimeIndicatorHideableFragmentWall::
    TimeSliceRemainingAndTotalTimeIndicatorHideableFragmentWall(QWidget* parent)
    : TimeReadoutWall(QStringLiteral("Remaining:"), QStringLiteral("00"), QString(),
                      QStringLiteral("Total:"), QStringLiteral("Total"), parent) {}

void TimeSliceRemainingAndTotalTimeIndicatorHideableFragmentWall::updateState() {
  TimedStateMachineViewModel* model = viewModel ? viewModel() : nullptr;
  if (!model || !sliceTotal)
    return;
  model->freezeTime();
  const std::int64_t remaining = static_cast<std::int64_t>(model->remainingSeconds());
  showFirst(DateHelper::formatNumberOfSeconds(remaining));
  showSecond(DateHelper::formatNumberOfSeconds(sliceTotal()));
}

} // namespace kr
