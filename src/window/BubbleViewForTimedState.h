#pragma once

#include "window/TimeBubbleView.h"

#include <cstdint>
#include <functional>

namespace kr {

class TimedStateMachineViewModel;

// The quarter-hour bubbles of a running timer's page: a click makes the
// timer elapse at the bubble's quarter hour.
class BubbleViewForTimedState : public TimeBubbleView {
  Q_OBJECT

public:
  static BubbleViewForTimedState* createNewTimeBubbleView();

  // The running timer's view model, frozen at the page's last refresh.
  std::function<TimedStateMachineViewModel*()> viewModel;
  // Gets the new working duration: seconds from the timer's start.
  std::function<void(std::int64_t workingDuration)> changeWorkingDuration;

  void bubbleClicked(BubbleViewWithArrowOnTop* bubble) override;

private:
  friend class TimeBubbleView;
  BubbleViewForTimedState() = default;
};

} // namespace kr
