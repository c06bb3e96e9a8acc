#pragma once

#include "states/LateTickJudge.h"
#include "states/TimedState.h"

#include <QPointer>
#include <QPushButton>

#include <cstdint>

namespace kr {

// The soft break at the end of a slice. The slice is not over yet: for up to
// 30 seconds the state keeps counting worked seconds while the user goes on
// using the keyboard or mouse, and ends the slice at the first tick in which
// the user's input has paused for more than three seconds. The user may
// instead extend the slice by some minutes, which returns to the running
// slice.
class SoftBreakState : public TimedState {
public:
  static constexpr std::int64_t kDurationInSeconds = 30;
  // An input pause longer than this ends the soft break.
  static constexpr double kMaximumIdleSeconds = 3.0;

  SoftBreakState();

  const StateExits& exits() const override;
  void build() override;

  // Linked to the rating; this state never fires "finish".
  StateBase* finish = nullptr;
  StateBase* extend = nullptr;

  std::int64_t duration() override { return kDurationInSeconds; }
  void activate() override;
  void deactivate() override;
  void eachTick(std::int64_t seconds) override;
  // The 30 seconds are over and the user never paused.
  void handleTimerElapsed() override;
  void handleTimerAborted() override;
  QString menuItemText() const override;

  // The "Finish" button and the end-time-slice command.
  void stopTimeSlice();
  // Lets the slice run exactly `minutes` more minutes from now.
  void extendTimeSliceBy(int minutes);

  QPushButton* finishButton() const { return finishButton_; }

private:
  // Seconds since the user's last input as far as this tick can tell.
  double idleSeconds(std::int64_t seconds);

  // Set from activation until the state ends (by any of its exits) or is
  // left: a late tick, a button of a page no longer shown or a second end in
  // one burst of ticks after a sleep finds it false and does nothing.
  bool running_ = false;
  double activationTime_ = 0.0;
  LateTickJudge lateTicks_;
  QPointer<QPushButton> finishButton_;
};

} // namespace kr
