#pragma once

#include "states/GenericUpdateViewTypeImplementation.h"
#include "states/TimedState.h"

#include "kit/text/ObjectiveTextView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPointer>
#include <QSlider>

#include <cstdint>

namespace kr {
class TagTokenField;
class TimedStateMachineViewModel;
} // namespace kr

namespace kr {

// The running time slice. Every counted second is a worked second; the user
// lengthens, shortens or sets the rest of the slice, pauses it or finishes
// it; at the end it goes on to the soft break or straight to the rating.
// Quitting while it runs asks the user first.
class TimeSliceRunningState : public TimedState {
public:
  TimeSliceRunningState();
  ~TimeSliceRunningState() override;

  const StateExits& exits() const override;
  void build() override;
  bool shouldConfirmTerminationWithUser() const override { return true; }

  StateBase* pause = nullptr;
  StateBase* softBreak = nullptr;

  // "durationInSeconds" + the slice extension − the seconds already worked,
  // at least one second.
  std::int64_t duration() override;
  bool shouldHideOnActivate() const override;
  void eachTick(std::int64_t seconds) override;
  void handleTimerElapsed() override;
  void prepareForUITimerUpdate() override;
  QString menuItemText() const override;
  void activate() override;

  // Lengthen by whole minutes; refused while more than an hour remains.
  void add(int minutes);
  void addOneMinute() { add(1); }
  // Shorten by a minute; refused while two minutes or less remain.
  void subtractOneMinute();
  void setRemainingMinutes(double minutes);
  void setRemainingSecondsForDebuggingOnly(double seconds);
  // Makes `duration` (seconds from the start of this activation) the
  // machine's new total and records the slice's extension to match.
  void change(std::int64_t duration);
  void changeDuration();
  void selectTagTokenField();
  void stopTimeSlice();
  void pauseOrResumeTimeSlice();

  QSlider* durationSlider() const { return durationSlider_; }
  TagTokenField* tagTokenField() const { return tagTokenField_; }
  // Seconds worked when this activation began.
  std::int64_t workedSecondsAtActivation() const { return workedAtActivation_; }

  ObjectiveTextView* objectiveTextView() const { return objectiveTextView_; }
  QCheckBox* continuousSoundSwitch() const { return continuousSoundSwitch_; }
  QComboBox* continuousSoundPopUp() const { return continuousSoundPopUp_; }
  QSlider* continuousSoundVolumeSlider() const { return continuousSoundVolumeSlider_; }

private:
  QPointer<ObjectiveTextView> objectiveTextView_;
  void addContinuousSoundSections();
  void leaveBy(const QString& event, const QString& transition);
  double remainingSeconds() const;
  double elapsedSeconds() const;
  TimedStateMachineViewModel* viewModel() const;

  QPointer<QSlider> durationSlider_;
  TagTokenField* tagTokenField_ = nullptr;
  QPointer<QCheckBox> continuousSoundSwitch_;
  QPointer<QComboBox> continuousSoundPopUp_;
  QPointer<QSlider> continuousSoundVolumeSlider_;
  std::int64_t workedAtActivation_ = 0;
  GenericUpdateViewTypeImplementation bubbleUpdate_{{}};
  GenericUpdateViewTypeImplementation elapsedRowUpdate_{{}};
  GenericUpdateViewTypeImplementation remainingRowUpdate_{{}};
};

} // namespace kr
