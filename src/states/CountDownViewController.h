#pragma once

#include "engine/SecondTicker.h"

#include <QObject>
#include <QPointer>

#include <memory>

class QLabel;
class QPushButton;

namespace kr {

class CountDownView;
class LockButtonWall;
class SmallDurationView;
class SmartTimerWrapper;
class TabWall;
class TimedBreakRunningState;
class Wall;

// The content of the rest screen: "Time for Your Break" over the count-down
// dial, and below it the lock icon beside a tab that shows the remaining time
// while the lock is closed and "End Break" while it is open. A 0.05 s timer
// refreshes the read-out and runs the lock cycle; it stops as soon as the view
// is hidden (the rest screen taken down) or the controller goes. Each part
// repaints only its own rectangle and only when its drawing changed by a
// pixel or more. The timer fires on the clock's twentieths of a second, only
// on those where something may change, and carries the program's
// once-a-second work meanwhile; the dial's frames ride on the lock's ticks:
// the rest screen wakes the program about seven times a second, never more
// than twenty.
class CountDownViewController final : public QObject {
public:
  static constexpr double kUpdateInterval = 0.05;
  // The dial's ring and slice repaint at most this often: each repaint costs
  // a band round the whole ring, however little it moved.
  static constexpr double kDialFrameInterval = 0.5;
  // A dial frame is taken at a tick that comes anyway (the lock's ring, the
  // read-out, the second's work) up to this long before or after its time,
  // so that it shares that tick's painting and its trip to the screen; it
  // has a tick of its own only when none comes that near. The frames keep
  // their pace of two a second.
  static constexpr double kDialFrameSlack = 0.1;

  explicit CountDownViewController(TimedBreakRunningState& state);
  ~CountDownViewController() override;

  // Creates the view tree, records the start of the lock cycle and starts the timer.
  void build();
  // Starts the dial with the break's total seconds (the view must be on screen).
  void startAnimation();
  // Stops the timer; called when the view disappears. It starts again if
  // the view reappears (moved to another screen), unless taken down.
  void viewDidDisappear();
  // The rest screen is gone for good: the timer stops and stays stopped.
  void takeDown();

  // The root view: owned by the controller until a window takes it.
  Wall* view() const;
  const TimedBreakRunningState& state() const { return state_; }
  CountDownView* countDownView() const { return countDownView_; }
  LockButtonWall* lockButton() const { return lockButton_; }
  SmallDurationView* remainingTimeView() const { return remainingTimeView_; }
  QPushButton* endBreakButton() const { return endBreakButton_; }
  bool isShowingEndBreak() const;
  bool isTimerRunning() const;
  // One run of the 0.05 s timer's block.
  void update();
  // The delay from `clockTime` to the timer's next twentieth of a second.
  static double delayToNextTick(double clockTime);
  // The clock time of the first tick at which update() may change what is
  // shown, after one at `now`: the lock's ring growing by its visible angle,
  // the lock opening or closing, the read-out's next second, the dial's next
  // frame, the next whole second (its work); on a twentieth of a second.
  // The dial's frame asks for no tick of its own when another one comes
  // within kDialFrameSlack of its time.
  double nextTickAfter(double now) const;
  // The time of the dial's next frame (its ticks may come kDialFrameSlack
  // before or after it).
  double dialFrameDue() const { return dialDue_; }

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  TimedBreakRunningState& state_;
  QPointer<Wall> root_;
  // The same object as a plain QObject: events arrive while the wall is being
  // destroyed, when it is no longer a Wall.
  const QObject* rootObject_ = nullptr;
  CountDownView* countDownView_ = nullptr;
  LockButtonWall* lockButton_ = nullptr;
  TabWall* tab_ = nullptr;
  Wall* remainingWall_ = nullptr;
  Wall* buttonWall_ = nullptr;
  SmallDurationView* remainingTimeView_ = nullptr;
  QPushButton* endBreakButton_ = nullptr;
  std::shared_ptr<SmartTimerWrapper> uiUpdateTimer_;
  SecondTicker::Heartbeat heartbeat_;
  double lockCycleStart_ = 0.0;
  double lastDialFrame_ = -1.0e300;
  double dialDue_ = -1.0e300;
  bool takenDown_ = false;

  void startTimer();
  void tick();
  void scheduleTick(double delay);
};

} // namespace kr
