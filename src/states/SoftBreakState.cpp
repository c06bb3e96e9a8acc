#include "states/SoftBreakState.h"

#include "states/AppDelegateAPI.h"
#include "states/ButtonWallHelper.h"
#include "states/HelpButton.h"
#include "states/SectionVisibility.h"
#include "states/SoftBreakCues.h"
#include "states/StateHost.h"

#include "engine/Clock.h"
#include "engine/DataModel.h"
#include "engine/Logger.h"
#include "engine/StateMachine.h"
#include "engine/TimedStateMachineModule.h"
#include "engine/TimedStateMachineViewModel.h"
#include "kit/walls/LabelFragment.h"
#include "kit/walls/TitleFragment.h"
#include "platform/settings/UserDefaults.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include <algorithm>

namespace kr {

namespace {

const QString kSoftBreakOption = QStringLiteral("softBreakOption");
const QString kExtensionOption = QStringLiteral("softBreakExtensionOption");
constexpr int kExtensionMinutes[] = {1, 3, 5, 10};

QWidget* rowWall(const QString& name) {
  auto* wall = new QWidget;
  wall->setObjectName(name);
  auto* layout = new QHBoxLayout(wall);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addStretch();
  return wall;
}

void addToRow(QWidget* wall, QWidget* control) {
  auto* layout = static_cast<QHBoxLayout*>(wall->layout());
  layout->insertWidget(layout->count(), control);
}

} // namespace

SoftBreakState::SoftBreakState() {
  addAction(QStringLiteral("stopTimeSlice"), [this] { stopTimeSlice(); });
}

const StateExits& SoftBreakState::exits() const {
  static const StateExits table{
      {StateExits::exit(QStringLiteral("finish"), &SoftBreakState::finish),
       StateExits::exit(QStringLiteral("extend"), &SoftBreakState::extend)},
      &TimedState::exits()};
  return table;
}

void SoftBreakState::activate() {
  running_ = true;
  activationTime_ = Clock::now();
  lateTicks_.start(activationTime_);
  TimedState::activate();
  StateHost& host = StateHost::instance();
  host.removeAllStatusMenuItems();
  for (int minutes : kExtensionMinutes) {
    const QString title = minutes == 1
                              ? QStringLiteral("Extend Time Slice by 1 Minute")
                              : QStringLiteral("Extend Time Slice by %1 Minutes").arg(minutes);
    host.addStatusMenuItem(title, [this, minutes] { extendTimeSliceBy(minutes); });
  }
}

void SoftBreakState::deactivate() {
  running_ = false;
  TimedState::deactivate();
}

double SoftBreakState::idleSeconds(std::int64_t seconds) {
  const AppDelegateAPI* delegate = AppDelegateAPI::installed();
  if (!delegate)
    return 0.0;
  const double sampled = delegate->idleTimeInSeconds();
  // A tick that comes late after a sleep proves a pause of the user's input
  // as long as the delay, even when the idle monitor has not sampled since
  // the wake-up; one late because the program stalled proves nothing.
  const double now = Clock::now();
  const double delay = now - (activationTime_ + double(seconds));
  return std::max(sampled, lateTicks_.idleSecondsProven(now, delay, delegate->lastTimePutToSleep(),
                                                        delegate->lastTimeWoken()));
}

void SoftBreakState::eachTick(std::int64_t seconds) {
  if (!running_)
    return;
  updateMenuItem();
  if (idleSeconds(seconds) > kMaximumIdleSeconds) {
    timerAborted();
    return;
  }
  const SoftBreakCues& cues = SoftBreakCues::shared();
  if (seconds == 1)
    SoftBreakCues::call(cues.speakAndDisplayUserStillActiveMessages);
  Logger::sharedLogger().incrementActualSecondsWorked();
  switch (seconds) {
  case 15:
    SoftBreakCues::call(cues.speakAndDisplayIntermediaryMessages);
    break;
  case 28:
    SoftBreakCues::call(cues.playFirstTick);
    break;
  case 29:
    SoftBreakCues::call(cues.playSecondTick);
    break;
  default:
    break;
  }
  TimedState::eachTick(seconds);
}

void SoftBreakState::handleTimerElapsed() {
  if (!running_)
    return;
  running_ = false;
  const SoftBreakCues& cues = SoftBreakCues::shared();
  SoftBreakCues::call(cues.playTock);
  SoftBreakCues::call(cues.speakAndDisplayForcedBreakMessages);
  SoftBreakCues::call(cues.executeEndOfTimeSliceScript);
  StateMachine::sharedStateMachine().triggerTransition(QStringLiteral("elapsed"));
}

void SoftBreakState::handleTimerAborted() {
  running_ = false;
  const SoftBreakCues& cues = SoftBreakCues::shared();
  SoftBreakCues::call(cues.playTock);
  SoftBreakCues::call(cues.executeEndOfTimeSliceScript);
}

void SoftBreakState::stopTimeSlice() {
  if (running_)
    timerAborted();
}

void SoftBreakState::extendTimeSliceBy(int minutes) {
  if (!running_)
    return;
  running_ = false;
  // The running slice lasts "durationInSeconds" + extension − worked seconds,
  // so this extension makes it run exactly the minutes chosen, however far
  // the slice has already overrun.
  DataModel& model = DataModel::shared();
  const qint64 worked = Logger::sharedLogger().actualSecondsWorked();
  model.setCurrentTimeSliceExtensionDuration(qint64{minutes} * 60 + worked -
                                             model.durationInSeconds());
  StateMachine::sharedStateMachine().triggerTransition(QStringLiteral("extend"));
}

QString SoftBreakState::menuItemText() const {
  if (!timedStateMachineModule())
    return {};
  timedStateMachineModule()->viewModel()->freezeTime();
  return remainingTimeText();
}

void SoftBreakState::build() {
  createStackView();
  createAndInstallTitleFragment(QStringLiteral("Waiting for Inactivity"));
  // Both sections show until the title's menu hides them.
  UserDefaults::standard().registerDefault(kSoftBreakOption, false);
  UserDefaults::standard().registerDefault(kExtensionOption, false);
  titleFragment()->addVisibilityManagedOption(QStringLiteral("Soft Break Feature On/Off Switch"),
                                              kSoftBreakOption);
  titleFragment()->addVisibilityManagedOption(QStringLiteral("Extend Time Slice Option"),
                                              kExtensionOption);

  auto* featureLabel = LabelFragment::labelFragment(QStringLiteral("Soft Break Feature"));
  addSection(featureLabel);
  SectionVisibility::hideWhileSet(featureLabel, kSoftBreakOption);
  QWidget* switchWall = rowWall(QStringLiteral("Soft Break Switch"));
  auto* useSoftBreak = new QCheckBox(QStringLiteral("Use Soft Break Feature"));
  addToRow(switchWall, useSoftBreak);
  DataModel::shared().bindSoftBreakOnOffCheckbox(useSoftBreak);
  QObject::connect(useSoftBreak, &QObject::destroyed, useSoftBreak, [useSoftBreak] {
    DataModel::shared().unbindSoftBreakOnOffCheckbox(useSoftBreak);
  });
  addToRow(switchWall, HelpButton::make(QStringLiteral("soft_break_feature.html")));
  static_cast<QHBoxLayout*>(switchWall->layout())->addStretch();
  addSection(switchWall);
  SectionVisibility::hideWhileSet(switchWall, kSoftBreakOption);

  auto* extendLabel = LabelFragment::labelFragment(QStringLiteral("Extend Time Slice"));
  addSection(extendLabel);
  SectionVisibility::hideWhileSet(extendLabel, kExtensionOption);
  QWidget* extendWall = rowWall(QStringLiteral("Extend Time Slice Buttons"));
  for (int minutes : kExtensionMinutes) {
    auto* button = new QPushButton(QStringLiteral("+%1").arg(minutes));
    button->setObjectName(button->text());
    button->setAutoDefault(false);
    QObject::connect(button, &QPushButton::clicked, button,
                     [this, minutes] { extendTimeSliceBy(minutes); });
    addToRow(extendWall, button);
  }
  addToRow(extendWall, new QLabel(QStringLiteral("Minutes")));
  static_cast<QHBoxLayout*>(extendWall->layout())->addStretch();
  addSection(extendWall);
  SectionVisibility::hideWhileSet(extendWall, kExtensionOption);

  QWidget* wall = buttonWall();
  finishButton_ = ButtonWallHelper::addButton(wall, QStringLiteral("Finish"), false,
                                              [this] { stopTimeSlice(); });
  ButtonWallHelper::addButton(wall, QStringLiteral("Hide"), false,
                              [this] { StateHost::instance().hide(*this); });
}

} // namespace kr
