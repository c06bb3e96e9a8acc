#pragma once

#include "states/GenericUpdateViewTypeImplementation.h"
#include "states/TimedState.h"

#include "kit/ProportionValueProvider.h"

class QSlider;

namespace kr {

// The running timed break. Its length is the one-time length, else the
// current pomodoro slot's, else "breakDurationInSeconds"; each activation
// takes the length and then advances the pomodoro counter. With
// "lockScreenDuringBreak" on at activation it puts up the rest screen, and it
// remembers doing so: the rest screen comes down at deactivation whatever the
// setting holds by then.
class TimedBreakRunningState : public TimedState, public ProportionValueProvider {
public:
  static const QString kElapsedEventName;

  TimedBreakRunningState();
  ~TimedBreakRunningState() override;

  void build() override;
  void activate() override;
  void deactivate() override;
  QString menuItemText() const override;

  std::int64_t duration() override;
  bool shouldHideOnActivate() const override;
  void handleTimerElapsed() override;
  // The page refresh: sets the slider to the remaining whole minutes, rounded up.
  void refreshPage();

  // Responder actions.
  void changeDuration();
  void addOneMinute();
  void subtractOneMinute();
  void startTimeSlice();
  // From the status menu and the quick dialog.
  void extendBreakBy(int minutes);
  void setRemaining(double minutes);
  // The slider moved to `minutes`.
  void sliderMoved(int minutes);

  double currentProportion() const override;
  bool isRestScreenUp() const { return restScreenUp_; }
  // The rest screen is on show over every screen, the page beneath it: the
  // page's once-a-second refresh waits (a change of length still shows at
  // once on the rest screen, and the page is refreshed at each activation).
  bool isPageCovered() const;
  QSlider* durationSlider() const { return durationSlider_; }

private:
  // Sets a new working duration and refreshes the page.
  void changeWorkingDuration(std::int64_t seconds);
  void createDurationSliderFragment();

  class PageRefresher;
  std::unique_ptr<PageRefresher> pageRefresher_;
  QSlider* durationSlider_ = nullptr;
  void addTimeViews();

  GenericUpdateViewTypeImplementation bubbleUpdate_{{}};
  GenericUpdateViewTypeImplementation elapsedRowUpdate_{{}};
  GenericUpdateViewTypeImplementation remainingRowUpdate_{{}};
  bool restScreenUp_ = false;
};

} // namespace kr
