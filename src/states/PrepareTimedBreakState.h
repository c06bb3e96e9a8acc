#pragma once

#include "states/GenericUpdateViewTypeImplementation.h"
#include "states/ModernUIState.h"

#include "engine/ValueChangeListener.h"

#include <memory>

class QSlider;

namespace kr {

class PomodoroBreakViewController;

// The page that offers a timed break, an informal break or the next slice.
// It only edits settings and fires transitions: the length is chosen on a
// minutes slider ("default") or by the pomodoro break slots
// ("pomodoroStyle"), and the timed break reads the settings when it starts.
class PrepareTimedBreakState : public ModernUIState, public ValueChangeListener {
public:
  PrepareTimedBreakState();
  ~PrepareTimedBreakState() override;

  const StateExits& exits() const override;
  void build() override;
  void activate() override;

  // Responder actions.
  void backToWelcomePage();
  void changeDuration();
  void addOneMinute();
  void subtractOneMinute();
  void startTimedBreak();
  void startTimeSlice();
  void startInformalBreak();
  // "breakDurationInSeconds" changed: the page's views are refreshed.
  void valueHasChanged() override;

  QSlider* slider() const { return slider_; }
  PomodoroBreakViewController* pomodoroViewController() const { return pomodoro_.get(); }
  // The minutes key of the current pomodoro slot.
  static QString currentSlotMinutesKey();

  StateBase* next = nullptr;
  StateBase* informalBreak = nullptr;
  StateBase* nextTimeSlice = nullptr;
  StateBase* welcome = nullptr;

private:
  void fire(const QString& transition);
  void addTitleMenu();
  void addButtonWall();

  std::unique_ptr<PomodoroBreakViewController> pomodoro_;
  QSlider* slider_ = nullptr;
  GenericUpdateViewTypeImplementation calendarUpdate_{{}};
  GenericUpdateViewTypeImplementation bubbleUpdate_{{}};
  GenericUpdateViewTypeImplementation durationLineUpdate_{{}};
};

} // namespace kr
