#pragma once

#include "window/TimeReadoutWall.h"

#include <functional>

namespace kr {

class TimedStateMachineViewModel;

// A read-out of the timed break: "Elapsed:" with the whole seconds the break
// has run and "Ends:" with the time it ends, both read from its timer.
class BreakElapsedAndEndTimeIndicatorHideableFragmentWall : public TimeReadoutWall {
  Q_OBJECT

public:
  explicit BreakElapsedAndEndTimeIndicatorHideableFragmentWall(QWidget* parent = nullptr);

  // The break timer's view model; none until a break first starts.
  std::function<TimedStateMachineViewModel*()> viewModel;

  QLabel* elapsedTextField() const { return firstField(); }
  QLabel* endDateField() const { return secondField(); }

  // Freezes the view model at the clock's time and shows its figures; does
  // nothing without a view model.
  void updateState();
};

} // namespace kr
