#pragma once

#include "window/TimeReadoutWall.h"

#include <cstdint>
#include <functional>

namespace kr {

class TimedStateMachineViewModel;

// A read-out of the running slice: "Remaining:" with the seconds the timer has left and "Total:"
// with the whole slice (planned length plus extension). The slice figures count the whole slice, so
// a resumed slice keeps counting from the seconds worked before its pause.
class TimeSliceRemainingAndTotalTimeIndicatorHideableFragmentWall : public TimeReadoutWall {
  Q_OBJECT

public:
  explicit TimeSliceRemainingAndTotalTimeIndicatorHideableFragmentWall(QWidget* parent = nullptr);

  // The running timer's view model; none until the slice first starts.
  std::function<TimedStateMachineViewModel*()> viewModel;
  // The slice's whole length in seconds.
  std::function<std::int64_t()> sliceTotal;

  QLabel* remainingTextField() const { return firstField(); }
  QLabel* totalDurationField() const { return secondField(); }

  // Freezes the view model at the clock's time and shows its figures; does
  // nothing without a view model.
  void updateState();
};

} // namespace kr
