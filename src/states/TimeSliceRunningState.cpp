#include "states/TimeSliceRunningState.h"

#include "states/ButtonWallHelper.h"
#include "states/ContinuousSoundSection.h"
#include "states/SectionVisibility.h"
#include "states/SliceCues.h"
#include "states/StateHost.h"
#include "states/TagEditorSection.h"
#include "states/TimeViewFactory.h"

#include "engine/DataModel.h"
#include "engine/Logger.h"
#include "engine/StateMachine.h"
#include "engine/TimedStateMachine.h"
#include "engine/TimedStateMachineModule.h"
#include "engine/TimedStateMachineViewModel.h"
#include "kit/walls/LabelFragment.h"
#include "kit/walls/TitleFragment.h"
#include "platform/FatalError.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QSlider>

#include <algorithm>
#include <cmath>

namespace kr {

namespace {

constexpr double kMaximumRemainingToAdd = 3600.0;
constexpr double kMinimumRemainingToSubtract = 120.0;

std::int64_t atLeastOneSecond(std::int64_t seconds) { return std::max<std::int64_t>(seconds, 1); }

} // namespace

TimeSliceRunningState::TimeSliceRunningState() {
  addAction(QStringLiteral("addOneMinute"), [this] { addOneMinute(); });
  addAction(QStringLiteral("subtractOneMinute"), [this] { subtractOneMinute(); });
  addAction(QStringLiteral("changeDuration"), [this] { changeDuration(); });
  addAction(QStringLiteral("selectTagTokenField"), [this] { selectTagTokenField(); });
  addAction(QStringLiteral("stopTimeSlice"), [this] { stopTimeSlice(); });
  addAction(QStringLiteral("pauseOrResumeTimeSlice"), [this] { pauseOrResumeTimeSlice(); });
}

TimeSliceRunningState::~TimeSliceRunningState() = default;

const StateExits& TimeSliceRunningState::exits() const {
  static const StateExits table{
      {StateExits::exit(QStringLiteral("pause"), &TimeSliceRunningState::pause),
       StateExits::exit(QStringLiteral("softBreak"), &TimeSliceRunningState::softBreak)},
      &TimedState::exits()};
  return table;
}

std::int64_t TimeSliceRunningState::duration() {
  const DataModel& model = DataModel::shared();
  return atLeastOneSecond(model.durationInSeconds() +
                          model.currentTimeSliceExtensionDurationInSeconds() -
                          Logger::sharedLogger().actualSecondsWorked());
}

bool TimeSliceRunningState::shouldHideOnActivate() const {
  return DataModel::shared().shouldHideOnTimeSliceRunningActivation();
}

void TimeSliceRunningState::eachTick(std::int64_t seconds) {
  updateMenuItem();
  Logger::sharedLogger().incrementActualSecondsWorked();
  TimedState::eachTick(seconds);
}

void TimeSliceRunningState::handleTimerElapsed() {
  // The last second counts as worked too.
  Logger::sharedLogger().incrementActualSecondsWorked();
  if (DataModel::shared().shouldUseSoftBreak()) {
    SliceCues::shared().callPlaySecondTick();
    SliceCues::shared().callStopContinuousSound();
    StateMachine::sharedStateMachine().triggerTransition(QStringLiteral("softBreak"));
    return;
  }
  // The slice ran its whole working duration (see totalTime()).
  postEvent(eventName(QStringLiteral(".elapsed")), totalElapsedSeconds(), totalTime());
  StateMachine::sharedStateMachine().triggerTransition(QStringLiteral("elapsed"));
}

void TimeSliceRunningState::prepareForUITimerUpdate() {
  TimedState::prepareForUITimerUpdate();
  if (!durationSlider_)
    return;
  const QSignalBlocker blocker(durationSlider_.data());
  durationSlider_->setValue(static_cast<int>(std::ceil(remainingSeconds() / 60.0)));
}

QString TimeSliceRunningState::menuItemText() const {
  if (!timedStateMachineModule())
    return {};
  viewModel()->freezeTime();
  return remainingTimeText();
}

void TimeSliceRunningState::activate() {
  workedAtActivation_ = Logger::sharedLogger().actualSecondsWorked();
  TimedState::activate();
  if (objectiveTextView_)
    objectiveTextView_->selectAll();
  updateMenuItem();
  StateHost& host = StateHost::instance();
  host.removeAllStatusMenuItems();
  host.addStatusMenuItem(QStringLiteral("Add 1 Minute"), [this] { add(1); });
  host.addStatusMenuItem(QStringLiteral("Add 3 Minutes"), [this] { add(3); });
  host.addStatusMenuItem(QStringLiteral("Add 5 Minutes"), [this] { add(5); });
  host.addStatusMenuItem(QStringLiteral("Add 10 Minutes"), [this] { add(10); });
}

void TimeSliceRunningState::add(int minutes) {
  TimedState::prepareForUITimerUpdate();
  const double remaining = remainingSeconds();
  if (remaining > kMaximumRemainingToAdd)
    return;
  change(static_cast<std::int64_t>(remaining + minutes * 60.0 + elapsedSeconds()));
  updateUpdatableViews();
}

void TimeSliceRunningState::subtractOneMinute() {
  TimedState::prepareForUITimerUpdate();
  const double remaining = remainingSeconds();
  if (remaining <= kMinimumRemainingToSubtract)
    return;
  change(static_cast<std::int64_t>(remaining - 60.0 + elapsedSeconds()));
  updateUpdatableViews();
}

void TimeSliceRunningState::setRemainingMinutes(double minutes) {
  setRemainingSecondsForDebuggingOnly(minutes * 60.0);
}

void TimeSliceRunningState::setRemainingSecondsForDebuggingOnly(double seconds) {
  TimedState::prepareForUITimerUpdate();
  change(totalElapsedSeconds() + static_cast<std::int64_t>(seconds));
  updateUpdatableViews();
}

void TimeSliceRunningState::change(std::int64_t duration) {
  KR_ASSERT(timedStateMachineModule() != nullptr,
            QStringLiteral("the running slice changed without a timer"));
  const std::int64_t total = atLeastOneSecond(duration);
  // The machine counts from the start of this activation; the seconds worked
  // before it (an earlier run of a paused slice) belong to the slice too, so
  // the extension stays what the whole slice outlasts its planned length.
  DataModel& model = DataModel::shared();
  model.setCurrentTimeSliceExtensionDuration(total + workedAtActivation_ -
                                             model.durationInSeconds());
  timedStateMachineModule()->change(total);
}

void TimeSliceRunningState::changeDuration() {
  if (!TimeViewFactory::shared().runQuickDurationDialog || !timedStateMachineModule())
    return;
  TimedState::prepareForUITimerUpdate();
  TimeViewFactory::shared().openQuickDurationDialog(
      durationSlider_, static_cast<int>(remainingSeconds() / 60.0),
      [this](int minutes) { setRemainingMinutes(minutes); });
  updateUpdatableViews();
}

void TimeSliceRunningState::selectTagTokenField() {
  TagEditorSection::select(tagTokenField_, QStringLiteral("hideTagEditorInTimeSliceRunningState"));
}

void TimeSliceRunningState::stopTimeSlice() {
  TimedState::prepareForUITimerUpdate();
  leaveBy(QStringLiteral(".stopped"), QStringLiteral("aborted"));
}

void TimeSliceRunningState::pauseOrResumeTimeSlice() {
  TimedState::prepareForUITimerUpdate();
  leaveBy(QStringLiteral(".paused"), QStringLiteral("pause"));
}

void TimeSliceRunningState::leaveBy(const QString& event, const QString& transition) {
  postEvent(eventName(event), totalElapsedSeconds(), totalTime());
  StateMachine::sharedStateMachine().triggerTransition(transition);
}

TimedStateMachineViewModel* TimeSliceRunningState::viewModel() const {
  KR_ASSERT(timedStateMachineModule() != nullptr, QStringLiteral("the running slice has no timer"));
  return timedStateMachineModule()->viewModel();
}

double TimeSliceRunningState::remainingSeconds() const { return viewModel()->remainingSeconds(); }

double TimeSliceRunningState::elapsedSeconds() const { return viewModel()->elapsedSeconds(); }

void TimeSliceRunningState::build() {
  createStackView();
  createAndInstallTitleFragment(QStringLiteral("Time Slice Running..."));
  titleFragment()->addVisibilityManagedOption(QStringLiteral("Continuous Sound Control"),
                                              ContinuousSoundSection::kHiddenKey);
  const auto [objectiveLabel, indicators] = createAndInstallObjectiveLabelFragment();
  objectiveLabel->addVisibilityManagedOption(
      QStringLiteral("Tag Editor"), QStringLiteral("hideTagEditorInTimeSliceRunningState"));
  objectiveTextView_ = createAndInstallObjectiveTextViewFragment(indicators).first;
  setFirstResponder(objectiveTextView_);
  QWidget* tagEditor = TagEditorSection::create(&tagTokenField_);
  addSection(tagEditor);
  SectionVisibility::hideWhileSet(tagEditor,
                                  QStringLiteral("hideTagEditorInTimeSliceRunningState"));
  auto* durationLabel = LabelFragment::labelFragment(QStringLiteral("Duration:"));
  durationLabel->addVisibilityManagedOption(QStringLiteral("quarter hour indicators"),
                                            QStringLiteral("hideBubblesInTSRunningState"));
  durationLabel->addVisibilityManagedOption(QStringLiteral("duration and end date"),
                                            QStringLiteral("hideElapsedAndEndTimeInRunningState"));
  durationLabel->addVisibilityManagedOption(QStringLiteral("remaining and total time"),
                                            QStringLiteral("hideRemainingAndTotalInRunningState"));
  addSection(durationLabel);

  auto* sliderWall = new QWidget;
  sliderWall->setObjectName(QStringLiteral("Duration Slider Fragment"));
  auto* sliderLayout = new QHBoxLayout(sliderWall);
  sliderLayout->setContentsMargins(kSectionInset, 0, kSectionInset, 0);
  durationSlider_ = new QSlider(Qt::Horizontal, sliderWall);
  durationSlider_->setRange(2, 60);
  durationSlider_->setSingleStep(1);
  durationSlider_->setTickPosition(QSlider::TicksBelow);
  durationSlider_->setTickInterval(1);
  durationSlider_->setTracking(true);
  sliderLayout->addWidget(durationSlider_);
  QObject::connect(durationSlider_.data(), &QSlider::valueChanged, durationSlider_.data(),
                   [this](int minutes) {
                     if (timedStateMachineModule())
                       setRemainingMinutes(minutes);
                   });
  addSection(sliderWall);

  TimeViewFactory& factory = TimeViewFactory::shared();
  auto model = [this]() -> TimedStateMachineViewModel* {
    return timedStateMachineModule() ? timedStateMachineModule()->viewModel() : nullptr;
  };
  auto sliceTotal = [] {
    const DataModel& data = DataModel::shared();
    return data.durationInSeconds() + data.currentTimeSliceExtensionDurationInSeconds();
  };
  PageSection bubbles = TimeViewFactory::make(
      factory.makeTimedStateBubbleView, model, [this](std::int64_t workingDuration) {
        if (StateMachine::sharedStateMachine().currentState() != this)
          return;
        change(workingDuration);
        updateUpdatableViews();
      });
  PageSection elapsedRow =
      TimeViewFactory::make(factory.makeSliceElapsedAndEndTimeWall, model, sliceTotal);
  PageSection remainingRow =
      TimeViewFactory::make(factory.makeSliceRemainingAndTotalTimeWall, model, sliceTotal);
  const std::tuple<PageSection*, GenericUpdateViewTypeImplementation*, const char*> rows[] = {
      {&bubbles, &bubbleUpdate_, "hideBubblesInTSRunningState"},
      {&elapsedRow, &elapsedRowUpdate_, "hideElapsedAndEndTimeInRunningState"},
      {&remainingRow, &remainingRowUpdate_, "hideRemainingAndTotalInRunningState"}};
  for (const auto& [section, update, hideKey] : rows) {
    addSection(section->widget);
    SectionVisibility::hideWhileSet(section->widget, QString::fromLatin1(hideKey));
    update->closure = section->update;
    addUpdatableView(*update);
  }
  addContinuousSoundSections();

  QWidget* wall = buttonWall();
  ButtonWallHelper::addButton(wall, QStringLiteral("Finish"), true, [this] { stopTimeSlice(); });
  ButtonWallHelper::addButton(wall, QStringLiteral("Pause"), false,
                              [this] { pauseOrResumeTimeSlice(); });
  ButtonWallHelper::addButton(wall, QStringLiteral("Hide"), false,
                              [this] { StateHost::instance().hide(*this); });
}

void TimeSliceRunningState::addContinuousSoundSections() {
  // The controls register the hidden flag (hidden at first) before the
  // label's visibility reads it.
  const ContinuousSoundSection::Controls controls = ContinuousSoundSection::create();
  auto* label = LabelFragment::labelFragment(QStringLiteral("Continuous Sound"));
  addSection(label);
  SectionVisibility::hideWhileSet(label, ContinuousSoundSection::kHiddenKey);
  addSection(controls.section);
  SectionVisibility::hideWhileSet(controls.section, ContinuousSoundSection::kHiddenKey);
  continuousSoundSwitch_ = controls.soundOn;
  continuousSoundPopUp_ = controls.sounds;
  continuousSoundVolumeSlider_ = controls.volume;
}

} // namespace kr
