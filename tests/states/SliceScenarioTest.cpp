#include "SliceTestFixture.h"

#include "states/SliceCues.h"
#include "states/TimeViewFactory.h"

#include "engine/TimedStateMachineModule.h"
#include "engine/TimedStateMachineViewModel.h"
#include "kit/SmartMenuItem.h"
#include "kit/bricks/PullDownButtonBrick.h"
#include "kit/walls/TitleFragment.h"

#include <QAction>
#include <QMenu>

#include <gtest/gtest.h>

using namespace kr;

namespace {

const QString kRunning = QStringLiteral("TimeSliceRunningState");
const QString kRunningPrefix = QStringLiteral("Korvane_R_3.TimeSliceRunningState");

double remaining(TimeSliceRunningState& state) {
  state.prepareForUITimerUpdate();
  return state.timedStateMachineModule()->viewModel()->remainingSeconds();
}

} // namespace

TEST(SliceScenario, WholeSliceOf25MinutesPostsItsEventsInOrder) {
  test::SliceFixture f;
  f.start();
  f.host.events.clear();
  f.define().continueButton()->click();
  ASSERT_EQ(f.machine.currentState(), &f.running());
  EXPECT_EQ(f.host.hiddenBy.back(), &f.running()) << "the application hides as the slice starts";
  EXPECT_EQ(f.host.statusTitles.back(), QStringLiteral(" 25:00"));

  f.clock.advance(1.0);
  EXPECT_EQ(f.host.statusTitles.back(), QStringLiteral(" 24:59"));
  f.clock.advance(1499.0);
  ASSERT_EQ(f.machine.currentState(), &f.rate());

  const auto events = f.eventsOf(kRunning);
  ASSERT_EQ(events.size(), 1u + 1499u + 1u + 1u);
  EXPECT_EQ(events.front().name, kRunningPrefix + QStringLiteral(".start"));
  EXPECT_EQ(events.front().value, 0);
  EXPECT_EQ(events.front().maxValue, 1500);
  for (int second = 1; second <= 1499; ++second) {
    const test::PostedEvent& tick = events[std::size_t(second)];
    ASSERT_EQ(tick.name, kRunningPrefix + QStringLiteral(".time")) << second;
    ASSERT_EQ(tick.value, second);
    ASSERT_EQ(tick.maxValue, 1500);
  }
  EXPECT_EQ(events[1500].name, kRunningPrefix + QStringLiteral(".elapsed"));
  EXPECT_EQ(events[1500].value, 1500);
  EXPECT_EQ(events[1500].maxValue, 1500);
  EXPECT_EQ(events[1501].name, kRunningPrefix + QStringLiteral(".end"));
  EXPECT_EQ(events[1501].value, 1500);
  EXPECT_EQ(events[1501].maxValue, 1500);
  EXPECT_EQ(f.host.events.back().name, QStringLiteral("Korvane_R_3.RateTimeSliceState.start"));
  // 1499 ticks and the last second at the end.
  EXPECT_EQ(f.worked(), 1500);
  EXPECT_EQ(f.extension(), 0);
}

TEST(SliceScenario, SoftBreakEndTicksStopsTheSoundAndPostsNoElapsedEvent) {
  test::SliceFixture f(120);
  UserDefaults::standard().setValue(QStringLiteral("shouldUseSoftBreak"), true);
  QStringList cues;
  SliceCues::shared().playSecondTick = [&] { cues.append(QStringLiteral("second tick")); };
  SliceCues::shared().stopContinuousSound = [&] { cues.append(QStringLiteral("sound off")); };
  f.start();
  f.define().startTimeSlice();
  f.clock.advance(120.0);
  SliceCues::shared() = SliceCues{};
  EXPECT_EQ(f.machine.currentState(), &f.helper.softBreakState());
  EXPECT_EQ(cues, (QStringList{QStringLiteral("second tick"), QStringLiteral("sound off")}));
  EXPECT_EQ(f.countEvents(kRunningPrefix + QStringLiteral(".elapsed")), 0);
  EXPECT_EQ(f.worked(), 120);
}

TEST(SliceScenario, AddAndSubtractMinutesWhileRunning) {
  test::SliceFixture f;
  f.start();
  f.define().startTimeSlice();
  f.clock.advance(600.0);
  TimeSliceRunningState& running = f.running();

  running.addOneMinute();
  EXPECT_DOUBLE_EQ(remaining(running), 960.0);
  EXPECT_EQ(f.extension(), 60);
  ASSERT_EQ(f.host.statusMenuItems.size(), 4u);
  EXPECT_EQ(f.host.statusMenuItems[2].first, QStringLiteral("Add 5 Minutes"));
  f.host.statusMenuItems[2].second();
  EXPECT_DOUBLE_EQ(remaining(running), 1260.0);
  EXPECT_EQ(f.extension(), 360);
  EXPECT_TRUE(f.machine.tryToPerform(QStringLiteral("subtractOneMinute")));
  running.subtractOneMinute();
  EXPECT_DOUBLE_EQ(remaining(running), 1140.0);
  EXPECT_EQ(f.extension(), 240);

  // Bounds: no shortening at two minutes left, no lengthening past an hour.
  running.setRemainingSecondsForDebuggingOnly(121.0);
  running.subtractOneMinute();
  EXPECT_DOUBLE_EQ(remaining(running), 61.0);
  running.setRemainingSecondsForDebuggingOnly(120.0);
  running.subtractOneMinute();
  EXPECT_DOUBLE_EQ(remaining(running), 120.0);
  running.setRemainingMinutes(60.0);
  running.addOneMinute();
  EXPECT_DOUBLE_EQ(remaining(running), 3660.0);
  running.addOneMinute();
  EXPECT_DOUBLE_EQ(remaining(running), 3660.0) << "refused above an hour";

  // The slider shows the remaining minutes rounded up.
  running.setRemainingSecondsForDebuggingOnly(61.0);
  running.prepareForUITimerUpdate();
  EXPECT_EQ(running.durationSlider()->value(), 2);
  running.durationSlider()->setValue(10);
  EXPECT_DOUBLE_EQ(remaining(running), 600.0);

  f.clock.advance(599.0);
  EXPECT_EQ(f.machine.currentState(), &running);
  f.clock.advance(1.0);
  EXPECT_EQ(f.machine.currentState(), &f.rate());
  EXPECT_EQ(f.worked(), 1200);
  EXPECT_EQ(f.extension(), 1200 - 1500) << "the slice ended after 20 minutes";
}

TEST(SliceScenario, PauseChangePauseAgainResumeKeepsThePausedSecondsInTheSlice) {
  test::SliceFixture f;
  f.start();
  f.define().startTimeSlice();
  f.clock.advance(600.0);
  f.running().pauseOrResumeTimeSlice();
  ASSERT_EQ(f.machine.currentState(), &f.paused());
  const auto paused = f.eventsOf(kRunning);
  const auto pausedEvent = std::find_if(paused.begin(), paused.end(), [](const auto& event) {
    return event.name.endsWith(QStringLiteral(".paused"));
  });
  ASSERT_NE(pausedEvent, paused.end());
  EXPECT_EQ(pausedEvent->value, 600);
  EXPECT_EQ(pausedEvent->maxValue, 1500);
  EXPECT_EQ(f.host.statusState, 1) << "the status item is on while paused";
  EXPECT_EQ(f.host.statusTitles.back(), QString());
  f.clock.advance(300.0);
  EXPECT_EQ(f.worked(), 600) << "nothing counts while paused";

  // Resume by the default button: the rest of the slice.
  ASSERT_TRUE(f.paused().simulateDefaultButtonPress());
  ASSERT_EQ(f.machine.currentState(), &f.running());
  EXPECT_EQ(f.running().timedStateMachineModule()->viewModel()->totalSeconds(), 900.0);
  f.clock.advance(100.0);

  // Two minutes left: the slice now lasts 700 + 120 seconds in all.
  f.running().setRemainingMinutes(2.0);
  EXPECT_EQ(f.extension(), 820 - 1500);

  f.clock.advance(60.0);
  EXPECT_TRUE(f.machine.tryToPerform(QStringLiteral("pauseOrResumeTimeSlice")));
  ASSERT_EQ(f.machine.currentState(), &f.paused());
  EXPECT_EQ(f.worked(), 760);
  EXPECT_TRUE(f.machine.tryToPerform(QStringLiteral("pauseOrResumeTimeSlice")));
  ASSERT_EQ(f.machine.currentState(), &f.running());
  EXPECT_EQ(f.running().duration(), 60);
  EXPECT_EQ(f.running().timedStateMachineModule()->viewModel()->totalSeconds(), 60.0);

  f.clock.advance(60.0);
  EXPECT_EQ(f.machine.currentState(), &f.rate());
  EXPECT_EQ(f.worked(), 820);
}

TEST(SliceScenario, FinishPostsStoppedAndGoesToRating) {
  test::SliceFixture f;
  f.start();
  f.define().startTimeSlice();
  EXPECT_TRUE(f.running().shouldConfirmTerminationWithUser());
  f.clock.advance(42.0);
  ASSERT_TRUE(f.running().simulateDefaultButtonPress()) << "Finish is the default button";
  EXPECT_EQ(f.machine.currentState(), &f.rate());
  const auto events = f.eventsOf(kRunning);
  const auto stopped = std::find_if(events.begin(), events.end(), [](const auto& event) {
    return event.name.endsWith(QStringLiteral(".stopped"));
  });
  ASSERT_NE(stopped, events.end());
  EXPECT_EQ(stopped->value, 42);
  EXPECT_EQ(stopped->maxValue, 1500);
  EXPECT_EQ(f.worked(), 42);
}

TEST(SliceScenario, AbortAsksAndOnlyOkForgetsTheSlice) {
  test::SliceFixture f;
  f.start();
  f.define().startTimeSlice();
  f.clock.advance(300.0);
  f.running().addOneMinute();
  f.running().pauseOrResumeTimeSlice();
  QPushButton* abort = f.paused().buttonWall()->findChild<QPushButton*>(QStringLiteral("Abort"));
  ASSERT_NE(abort, nullptr);

  f.alerts.answer = 1; // Cancel
  abort->click();
  ASSERT_EQ(f.alerts.shown.size(), 1);
  EXPECT_EQ(f.alerts.shown[0].messageText,
            QStringLiteral(
                "Are you sure you want to reset the clock and return to defining a time slice?"));
  EXPECT_EQ(
      f.alerts.shown[0].informativeText,
      QStringLiteral("The time you have already spent on this time slice will not be logged."));
  EXPECT_EQ(f.alerts.shown[0].buttons,
            (QStringList{QStringLiteral("OK"), QStringLiteral("Cancel")}));
  EXPECT_EQ(f.machine.currentState(), &f.paused());
  EXPECT_EQ(f.worked(), 300);
  EXPECT_EQ(f.extension(), 60);

  f.alerts.answer = 0; // OK
  abort->click();
  EXPECT_EQ(f.alerts.shown.size(), 2);
  EXPECT_EQ(f.machine.currentState(), &f.define());
  EXPECT_EQ(f.worked(), 0);
  EXPECT_EQ(f.extension(), 0);
}

TEST(SliceScenario, EndTimeSliceWhilePausedGoesToRating) {
  test::SliceFixture f;
  f.start();
  f.define().startTimeSlice();
  f.clock.advance(10.0);
  f.running().pauseOrResumeTimeSlice();
  EXPECT_TRUE(f.machine.tryToPerform(QStringLiteral("stopTimeSlice")));
  EXPECT_EQ(f.machine.currentState(), &f.rate());
  EXPECT_EQ(f.worked(), 10);
}

TEST(SliceScenario, TwoHourSleepDuringASliceEndsInRatingOnce) {
  test::SliceFixture f;
  f.start();
  f.define().startTimeSlice();
  f.clock.advance(100.0);
  f.clock.sleep(7200.0);
  f.clock.advance(30.0);
  EXPECT_EQ(f.machine.currentState(), &f.rate());
  EXPECT_EQ(f.countEvents(QStringLiteral("Korvane_R_3.RateTimeSliceState.start")), 1);
  EXPECT_EQ(f.countEvents(kRunningPrefix + QStringLiteral(".elapsed")), 1);
  EXPECT_EQ(f.countEvents(kRunningPrefix + QStringLiteral(".end")), 1);
  EXPECT_LE(f.worked(), 1500) << "the sleep never counts past the slice";
}

TEST(SliceScenario, EveryLengthIsAtLeastOneSecond) {
  test::SliceFixture f(120);
  for (int i = 0; i < 200; ++i)
    Logger::sharedLogger().incrementActualSecondsWorked();
  f.start();
  f.define().startTimeSlice();
  EXPECT_EQ(f.running().duration(), 1);
  EXPECT_EQ(f.running().timedStateMachineModule()->viewModel()->totalSeconds(), 1.0);
  f.running().change(-30);
  EXPECT_EQ(f.running().timedStateMachineModule()->viewModel()->totalSeconds(), 1.0);
  f.clock.advance(1.0);
  EXPECT_EQ(f.machine.currentState(), &f.rate());
}

TEST(SliceScenario, QuickDialogSetsTheRestAndALateAnswerChangesNothing) {
  TimeViewFactory::MinutesSetter setter;
  int initial = -1;
  TimeViewFactory::shared().runQuickDurationDialog = [&](QWidget*, int minutes,
                                                         TimeViewFactory::MinutesSetter set) {
    initial = minutes;
    setter = std::move(set);
  };
  {
    test::SliceFixture f;
    f.start();
    f.define().startTimeSlice();
    f.clock.advance(1381.0); // 119 s left
    EXPECT_TRUE(f.machine.tryToPerform(QStringLiteral("changeDuration")));
    EXPECT_EQ(initial, 1) << "whole minutes left, rounded down";
    setter(10);
    EXPECT_DOUBLE_EQ(remaining(f.running()), 600.0);
    EXPECT_EQ(f.extension(), 1381 + 600 - 1500);

    EXPECT_TRUE(f.machine.tryToPerform(QStringLiteral("changeDuration")));
    f.running().stopTimeSlice();
    const qint64 extension = f.extension();
    setter(30); // answered after the slice ended
    EXPECT_EQ(f.extension(), extension);
    EXPECT_EQ(f.machine.currentState(), &f.rate());
  }
  TimeViewFactory::shared() = TimeViewFactory{};
}

TEST(RunningPage, ContinuousSoundControlsFollowTheirSettingsAndOnlySwitchingOnStartsTheSound) {
  UserDefaults& defaults = UserDefaults::standard();
  int plays = 0;
  SliceCues& cues = SliceCues::shared();
  cues.playContinuousSound = [&] { ++plays; };
  cues.continuousSoundsLabels = [] {
    return QStringList{QStringLiteral("Pink Noise"), QStringLiteral("Clock"),
                       QStringLiteral("Rain")};
  };
  cues.continuousSoundsPrivateNames = [] {
    return QStringList{QStringLiteral("pink_noise"), QStringLiteral("clock1_c"),
                       QStringLiteral("rain")};
  };
  defaults.setValue(QStringLiteral("continuousSound"), QStringLiteral("clock1_c"));
  defaults.setValue(QStringLiteral("continuousSoundVolume"), 0.25);
  defaults.setValue(QStringLiteral("continuousSoundOn"), false);
  test::SliceFixture f;
  f.start();
  TimeSliceRunningState& running = f.running();
  QWidget* controls =
      running.fragmentStackView()->findChild<QWidget*>(QStringLiteral("Continuous Sound Controls"));
  QWidget* label =
      running.fragmentStackView()->findChild<QWidget*>(QStringLiteral("Continuous Sound Fragment"));
  ASSERT_NE(controls, nullptr);
  ASSERT_NE(label, nullptr);
  EXPECT_TRUE(controls->isHidden() && label->isHidden()) << "hidden until asked for";

  // The title's wheel menu shows them.
  QMenu* menu = running.titleFragment()->wheelButton()->itemMenu();
  SmartMenuItem::updateItemsOf(menu);
  QAction* option = menu->actions().value(1);
  ASSERT_NE(option, nullptr);
  EXPECT_EQ(option->text(), QStringLiteral("Show Continuous Sound Control"));
  option->trigger();
  EXPECT_FALSE(controls->isHidden() || label->isHidden());
  SmartMenuItem::updateItemsOf(menu);
  EXPECT_EQ(option->text(), QStringLiteral("Hide Continuous Sound Control"));

  QComboBox* sounds = running.continuousSoundPopUp();
  ASSERT_EQ(sounds->count(), 3);
  EXPECT_EQ(sounds->currentText(), QStringLiteral("Clock"));
  sounds->setCurrentIndex(2);
  Q_EMIT sounds->activated(2);
  EXPECT_EQ(defaults.string(QStringLiteral("continuousSound")), QStringLiteral("rain"));
  defaults.setValue(QStringLiteral("continuousSound"), QStringLiteral("hushbox_gone"));
  EXPECT_EQ(sounds->currentIndex(), 0) << "a name not in the list shows the first item";

  QSlider* volume = running.continuousSoundVolumeSlider();
  EXPECT_EQ(volume->value(), 25);
  volume->setValue(50);
  EXPECT_DOUBLE_EQ(defaults.doubleValue(QStringLiteral("continuousSoundVolume")), 0.5);

  QCheckBox* soundOn = running.continuousSoundSwitch();
  EXPECT_FALSE(soundOn->isChecked());
  soundOn->click();
  EXPECT_TRUE(defaults.boolValue(QStringLiteral("continuousSoundOn")));
  EXPECT_EQ(plays, 1);
  soundOn->click();
  EXPECT_FALSE(defaults.boolValue(QStringLiteral("continuousSoundOn")));
  EXPECT_EQ(plays, 1) << "switching off only stores the switch";
  defaults.setValue(QStringLiteral("continuousSoundOn"), true);
  EXPECT_TRUE(soundOn->isChecked());
  EXPECT_EQ(plays, 1);

  cues = SliceCues{};
  for (const char* key : {"continuousSound", "continuousSoundVolume", "continuousSoundOn",
                          "hideContinuousSoundInTimeSliceRunningState"})
    defaults.remove(QString::fromLatin1(key));
}
