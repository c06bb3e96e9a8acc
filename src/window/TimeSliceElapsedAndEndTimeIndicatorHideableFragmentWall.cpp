#include "window/TimeSliceElapsedAndEndTimeIndicatorHideableFragmentWall.h"

#include "engine/DateHelper.h"
#include "engine/TimedStateMachineViewModel.h"

namespace kr {

TimeSliceElapsedAndEndTimeIndicatorHideableFragmentWall::
    TimeSliceElapsedAndEndTimeIndicatorHideableFragmentWall(QWidget* parent)
    : TimeReadoutWall(QStringLiteral("Elapsed:"), QStringLiteral("00"), QString(),
                      QStringLiteral("Ends:"), QStringLiteral(""), parent) {}

void TimeSliceElapsedAndEndTimeIndicatorHideableFragmentWall::updateState() {
  TimedStateMachineViewModel* model = viewModel ? viewModel() : nullptr;
  if (!model || !sliceTotal)
    return;
  model->freezeTime();
  const std::int64_t remaining = static_cast<std::int64_t>(model->remainingSeconds());
  showFirst(DateHelper::formatNumberOfSeconds(sliceTotal() - remaining));
  showSecondAsTimeOfDay(model->endDate());
}

} // namespace kr
