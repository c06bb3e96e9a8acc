#include "window/BreakElapsedAndEndTimeIndicatorHideableFragmentWall.h"

#include "engine/DateHelper.h"
#include "engine/TimedStateMachineViewModel.h"

#include <cstdint>

namespace kr {

BreakElapsedAndEndTimeIndicatorHideableFragmentWall::
    BreakElapsedAndEndTimeIndicatorHideableFragmentWall(QWidget* parent)
    : TimeReadoutWall(QStringLiteral("Elapsed:"), QStringLiteral("00"), QString(),
                      QStringLiteral("Ends:"), QString(), parent) {}

void BreakElapsedAndEndTimeIndicatorHideableFragmentWall::updateState() {
  TimedStateMachineViewModel* model = viewModel ? viewModel() : nullptr;
  if (!model)
    return;
  model->freezeTime();
  const auto elapsed = static_cast<std::int64_t>(model->elapsedSeconds());
  showFirst(DateHelper::formatNumberOfSeconds(elapsed));
  showSecondAsTimeOfDay(model->endDate());
}

} // namespace kr
