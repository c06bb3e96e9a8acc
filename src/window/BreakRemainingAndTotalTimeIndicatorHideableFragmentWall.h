#pragma once

#include "window/TimeReadoutWall.h"

#include <functional>

namespace kr {

class TimedStateMachineViewModel;

// A read-out of the timed break: "Remaining:" with the whole seconds its
// timer has left and "Total:" with the timer's whole length.
class BreakRemainingAndTotalTimeIndicatorHideableFragmentWall : public TimeReadoutWall {
  Q_OBJECT

public:
  explicit BreakRemainingAndTotalTimeIndicatorHideableFragmentWall(QWidget* parent = nullptr);

  // The break timer's view model; none until a break first starts.
  std::function<TimedStateMachineViewModel*()> viewModel;

  QLabel* remainingTextField() const { return firstField(); }
  QLabel* totalDurationField() const { return secondField(); }

  // Freezes the view model at the clock's time and shows its figures; does
  // nothing without a view model.
  void updateState();
};

} // namespace kr
