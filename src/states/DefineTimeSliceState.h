#pragma once

#include "states/GenericUpdateViewTypeImplementation.h"
#include "states/ModernUIState.h"

#include "engine/ValueChangeListener.h"
#include "kit/text/ObjectiveTextView.h"

#include "kit/text/ObjectiveTextView.h"
#include <QAction>
#include <QComboBox>

#include <QPointer>
#include <QPushButton>
#include <QSlider>

#include <memory>
#include <optional>

namespace kr {

class SmartTimerWrapper;
class TagTokenField;

// The page on which the user prepares the next time slice (objective, tags,
// length) and starts it, or starts a timed break at once. While the
// application is in the background the page brings itself to the front
// again by the rules the user chose (after lunch, after breakfast, after
// inactivity, after an hour).
class DefineTimeSliceState : public ModernUIState, public ValueChangeListener {
public:
  // The break lengths "Start with a Timed Break" offers, in minutes.
  static const int kStartWithBreakMinutes[5];

  DefineTimeSliceState();
  ~DefineTimeSliceState() override;

  const StateExits& exits() const override;
  void build() override;
  void activate() override;
  void deactivate() override;

  StateBase* next = nullptr;
  StateBase* timedBreak = nullptr;
  StateBase* welcome = nullptr;

  // Brings the application to the front and restarts the measuring time.
  void internalBringToFront();
  void startTimeSlice();
  void startTimedBreak();
  void backToWelcomePage();
  void selectTagTokenField();
  void changeDuration();
  // Whole minutes up to 60, and down to 2.
  void addOneMinute();
  void subtractOneMinute();
  // Starts checking the bring-to-front rules once a second.
  void automaticallyBringToTheFrontWhenAppropriate();
  void valueHasChanged() override;

  QSlider* slider() const { return slider_; }
  QComboBox* startWithBreakPopUp() const { return breakPopUp_; }
  QAction* lockScreenItem() const { return lockScreenItem_; }
  QPushButton* continueButton() const { return continueButton_; }
  QPushButton* startWithBreakButton() const { return startWithBreakButton_; }
  TagTokenField* tagTokenField() const { return tagTokenField_; }
  ObjectiveTextView* objectiveTextView() const { return objectiveTextView_; }
  bool bringToFrontTimerRuns() const;
  std::optional<double> automaticTransitionToFrontInitiatedTime() const {
    return automaticTransitionToFrontInitiatedTime_;
  }

private:
  void selectObjective();
  void internalStartTimedBreak();
  void checkBringToFrontRules();
  void stopBringToFrontTimer();
  void registerApplicationCallbacks();
  QWidget* createTitle();
  QWidget* createDurationSliderFragment();
  QWidget* createStartWithBreakSection();

  QPointer<QSlider> slider_;
  TagTokenField* tagTokenField_ = nullptr;
  QPointer<ObjectiveTextView> objectiveTextView_;
  QPointer<QComboBox> breakPopUp_;
  QPointer<QAction> lockScreenItem_;
  QPointer<QPushButton> continueButton_;
  QPointer<QPushButton> startWithBreakButton_;
  SecondTicker::Subscription bringToFrontChecks_;
  bool lunchBreakTransitionAlreadyTriggeredOnce_ = false;
  bool breakfastTransitionAlreadyTriggeredOnce_ = false;
  std::optional<double> automaticTransitionToFrontInitiatedTime_;
  GenericUpdateViewTypeImplementation calendarUpdate_{{}};
  GenericUpdateViewTypeImplementation bubbleUpdate_{{}};
  GenericUpdateViewTypeImplementation durationWallUpdate_{{}};
  // Expires with the state, so the application's callbacks never reach a
  // state that is gone.
  std::shared_ptr<char> alive_ = std::make_shared<char>(0);
};

} // namespace kr
