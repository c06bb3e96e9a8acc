#include "window/BreakRemainingAndTotalTimeIndicatorHideableFragmentWall.h"

#include "engine/DateHelper.h"
#include "engine/TimedStateMachineViewModel.h"

#include <cstdint>

namespace kr {

BreakRemainingAndTotalTimeIndicatorHideableFragmentWall::
    BreakRemainingAndTotalTimeIndicatorHideableFragmentWall(QWidget* parent)
    : TimeReadoutWall(QStringLiteral("Remaining:"), QStringLiteral("00"), QString(),
                      QStringLiteral("Total:"), QStringLiteral("Total"), parent) {}

void BreakRemainingAndTotalTimeIndicatorHideableFragmentWall::updateState() {
  TimedStateMachineViewModel* model = viewModel ? viewModel() : nullptr;
  if (!model)
    return;
  model->freezeTime();
  const auto remaining = static_cast<std::int64_t>(model->remainingSeconds());
  const auto total = static_cast<std::int64_t>(model->totalSeconds());
  showFirst(DateHelper::formatNumberOfSeconds(remaining));
  showSecond(DateHelper::formatNumberOfSeconds(total));
}

} // namespace kr
