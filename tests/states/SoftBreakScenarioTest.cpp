#include "SliceTestFixture.h"

#include "states/SoftBreakCues.h"
#include "states/SoftBreakState.h"

#include "engine/TimedStateMachineModule.h"
#include "engine/TimedStateMachineViewModel.h"

#include <gtest/gtest.h>

using namespace kr;

namespace {

const QString kSoftBreakPrefix = QStringLiteral("Korvane_R_3.SoftBreakState");

// Records every soft-break cue, with the worked seconds at the moment it came.
struct CueRecorder {
  CueRecorder() {
    SoftBreakCues& cues = SoftBreakCues::shared();
    cues.playFirstTick = record(QStringLiteral("first tick"));
    cues.playSecondTick = record(QStringLiteral("second tick"));
    cues.playTock = record(QStringLiteral("tock"));
    cues.speakAndDisplayUserStillActiveMessages = record(QStringLiteral("still active"));
    cues.speakAndDisplayIntermediaryMessages = record(QStringLiteral("intermediary"));
    cues.speakAndDisplayForcedBreakMessages = record(QStringLiteral("forced break"));
    cues.executeEndOfTimeSliceScript = record(QStringLiteral("script"));
  }
  ~CueRecorder() { SoftBreakCues::shared() = SoftBreakCues{}; }
  std::function<void()> record(const QString& name) {
    return [this, name] {
      heard.append(QStringLiteral("%1@%2").arg(name).arg(test::SliceFixture::worked()));
    };
  }
  QStringList heard;
};

// A slice of `seconds` with the soft break on, run to its end.
void runSliceIntoSoftBreak(test::SliceFixture& f, double seconds) {
  UserDefaults::standard().setValue(QStringLiteral("shouldUseSoftBreak"), true);
  f.start();
  f.define().startTimeSlice();
  f.clock.advance(seconds);
  ASSERT_EQ(f.machine.currentState(), &f.helper.softBreakState());
}

} // namespace

TEST(SoftBreakScenario, ActiveUserThenFourSecondsIdleEndsInTheRating) {
  test::SliceFixture f(120);
  CueRecorder cues;
  runSliceIntoSoftBreak(f, 120.0);
  SoftBreakState& softBreak = f.helper.softBreakState();
  EXPECT_EQ(f.host.hiddenBy.back(), &softBreak) << "the application stays hidden";
  EXPECT_EQ(f.host.statusTitles.back(), QStringLiteral(" 00:30"));
  ASSERT_EQ(f.host.statusMenuItems.size(), 4u);
  EXPECT_EQ(f.host.statusMenuItems[0].first, QStringLiteral("Extend Time Slice by 1 Minute"));
  EXPECT_EQ(f.host.statusMenuItems[3].first, QStringLiteral("Extend Time Slice by 10 Minutes"));

  const int broughtToFront = f.appDelegate.frontCount;
  // Five seconds of typing, then the hands leave the keyboard: the monitor
  // reads 1, 2, 3 (still going on) and 4 seconds.
  for (int tick = 1; tick <= 9; ++tick) {
    f.appDelegate.idleTime = tick <= 5 ? 0.0 : tick - 5.0;
    f.clock.advance(1.0);
    ASSERT_EQ(f.machine.currentState() == &softBreak, tick < 9) << tick;
  }
  EXPECT_EQ(f.machine.currentState(), &f.rate());
  EXPECT_EQ(f.worked(), 128) << "the eight active ticks count, the idle one does not";
  EXPECT_EQ(cues.heard, (QStringList{QStringLiteral("still active@120"), QStringLiteral("tock@128"),
                                     QStringLiteral("script@128")}));
  EXPECT_EQ(f.countEvents(kSoftBreakPrefix + QStringLiteral(".time")), 8);
  EXPECT_EQ(f.countEvents(kSoftBreakPrefix + QStringLiteral(".end")), 1);
  EXPECT_EQ(f.host.shownStates.back(), &f.rate());
  EXPECT_EQ(f.appDelegate.frontCount, broughtToFront + 1)
      << "the rating brings the window to the front";
  EXPECT_EQ(f.host.statusMenuItems.size(), 0u);
  EXPECT_EQ(Logger::sharedLogger().endDate(), f.clock.nowAsDate().addSecs(-1))
      << "the slice ends with its last worked second";
}

TEST(SoftBreakScenario, UserActiveThroughoutEndsAfterThirtySecondsWithTheForcedBreak) {
  test::SliceFixture f(120);
  CueRecorder cues;
  runSliceIntoSoftBreak(f, 120.0);
  f.appDelegate.idleTime = 3.0; // exactly three seconds is no pause yet
  f.clock.advance(29.0);
  ASSERT_EQ(f.machine.currentState(), &f.helper.softBreakState());
  EXPECT_EQ(f.host.statusTitles.back(), QStringLiteral(" 00:01"));
  f.clock.advance(1.0);
  EXPECT_EQ(f.machine.currentState(), &f.rate());
  EXPECT_EQ(f.worked(), 120 + 29);
  EXPECT_EQ(cues.heard,
            (QStringList{QStringLiteral("still active@120"), QStringLiteral("intermediary@135"),
                         QStringLiteral("first tick@148"), QStringLiteral("second tick@149"),
                         QStringLiteral("tock@149"), QStringLiteral("forced break@149"),
                         QStringLiteral("script@149")}));
  EXPECT_EQ(f.countEvents(kSoftBreakPrefix + QStringLiteral(".time")), 29);
  f.clock.advance(60.0);
  EXPECT_EQ(f.worked(), 149) << "nothing counts once the rating shows";
}

TEST(SoftBreakScenario, IdleInTheFirstTickEndsBeforeAnyMessage) {
  test::SliceFixture f(120);
  CueRecorder cues;
  runSliceIntoSoftBreak(f, 120.0);
  f.appDelegate.idleTime = 4.0;
  f.clock.advance(1.0);
  EXPECT_EQ(f.machine.currentState(), &f.rate());
  EXPECT_EQ(f.worked(), 120);
  EXPECT_EQ(cues.heard, (QStringList{QStringLiteral("tock@120"), QStringLiteral("script@120")}));
  EXPECT_EQ(f.countEvents(kSoftBreakPrefix + QStringLiteral(".time")), 0);
}

TEST(SoftBreakScenario, LongSleepEndsTheSoftBreakOnceAsAborted) {
  // The idle monitor may or may not have sampled since the wake-up.
  for (const double idleAfterWake : {0.0, 600.0}) {
    SCOPED_TRACE(idleAfterWake);
    test::SliceFixture f(120);
    CueRecorder cues;
    runSliceIntoSoftBreak(f, 120.0);
    f.clock.advance(5.0);
    f.host.events.clear();
    f.appDelegate.idleTime = idleAfterWake;
    f.clock.sleep(600.0);
    EXPECT_EQ(f.machine.currentState(), &f.rate());
    EXPECT_EQ(f.worked(), 125) << "the sleep is not worked time";
    EXPECT_EQ(cues.heard, (QStringList{QStringLiteral("still active@120"),
                                       QStringLiteral("tock@125"), QStringLiteral("script@125")}));
    EXPECT_EQ(f.countEvents(kSoftBreakPrefix + QStringLiteral(".time")), 0);
    EXPECT_EQ(f.countEvents(kSoftBreakPrefix + QStringLiteral(".end")), 1);
    EXPECT_EQ(f.countEvents(QStringLiteral("Korvane_R_3.RateTimeSliceState.start")), 1);
    f.clock.advance(60.0);
    EXPECT_EQ(f.machine.currentState(), &f.rate());
    EXPECT_EQ(cues.heard.size(), 3);
  }
}

// A program stopped for four seconds while the user goes on working (a
// stalled window): its ticks come late and catch up, and the soft break
// goes on counting.
TEST(SoftBreakScenario, AStallOfTheProgramIsNoPauseOfTheUser) {
  test::SliceFixture f(120);
  CueRecorder cues;
  runSliceIntoSoftBreak(f, 120.0);
  f.clock.advance(5.0);
  f.clock.stall(4.0);
  EXPECT_EQ(f.machine.currentState(), &f.helper.softBreakState());
  f.clock.advance(2.0);
  EXPECT_EQ(f.machine.currentState(), &f.helper.softBreakState());
  EXPECT_EQ(f.worked(), 120 + 11) << "the stalled seconds count as worked";
  EXPECT_EQ(cues.heard, QStringList{QStringLiteral("still active@120")});
}

// Across a sleep the late tick ends the soft break, whether the activity
// monitor heard of the sleep before the tick, or only just after it (then
// the boot-time clock may not tell either).
TEST(SoftBreakScenario, ASleepHeardBeforeOrAfterTheLateTickEndsTheSoftBreak) {
  for (const bool heardBefore : {true, false}) {
    SCOPED_TRACE(heardBefore);
    test::SliceFixture f(120);
    CueRecorder cues;
    runSliceIntoSoftBreak(f, 120.0);
    f.clock.advance(5.0);
    const double asleep = f.clock.now() + 0.2;
    if (heardBefore) {
      f.appDelegate.putToSleep = asleep;
      f.appDelegate.woken = asleep + 10.0;
    }
    f.clock.stall(10.5);
    EXPECT_EQ(f.machine.currentState() == &f.rate(), heardBefore);
    if (!heardBefore) {
      // The wake is heard just after the tick that came late.
      f.appDelegate.putToSleep = asleep;
      f.appDelegate.woken = f.clock.now() + 0.1;
      f.clock.advance(1.0);
    }
    EXPECT_EQ(f.machine.currentState(), &f.rate());
    EXPECT_EQ(f.countEvents(kSoftBreakPrefix + QStringLiteral(".end")), 1);
    EXPECT_EQ(cues.heard.mid(cues.heard.size() - 2),
              (QStringList{QStringLiteral("tock@%1").arg(f.worked()),
                           QStringLiteral("script@%1").arg(f.worked())}));
    // Heard before, the sleep ends the break at its first late tick; heard
    // after, the ticks that caught up count (the break went on until then).
    EXPECT_EQ(f.worked(), heardBefore ? 125 : 135);
  }
}

// A sleep long ago, before this soft break, explains no late tick of it.
TEST(SoftBreakScenario, AnEarlierSleepExplainsNoLaterStall) {
  test::SliceFixture f(120);
  f.appDelegate.putToSleep = f.clock.now() - 3600.0;
  f.appDelegate.woken = f.clock.now() - 3000.0;
  runSliceIntoSoftBreak(f, 120.0);
  f.clock.advance(3.0);
  f.clock.stall(5.0);
  f.clock.advance(3.0);
  EXPECT_EQ(f.machine.currentState(), &f.helper.softBreakState());
}

TEST(SoftBreakScenario, FinishAndTheEndTimeSliceCommandAbort) {
  test::SliceFixture f(120);
  CueRecorder cues;
  runSliceIntoSoftBreak(f, 120.0);
  f.clock.advance(2.0);
  SoftBreakState& softBreak = f.helper.softBreakState();
  softBreak.finishButton()->click();
  EXPECT_EQ(f.machine.currentState(), &f.rate());
  EXPECT_EQ(cues.heard, (QStringList{QStringLiteral("still active@120"), QStringLiteral("tock@122"),
                                     QStringLiteral("script@122")}));
  // A click on the page that is no longer shown changes nothing.
  softBreak.finishButton()->click();
  softBreak.extendTimeSliceBy(5);
  EXPECT_EQ(f.machine.currentState(), &f.rate());
  EXPECT_EQ(cues.heard.size(), 3);
  EXPECT_EQ(f.extension(), 0);
}

TEST(SoftBreakScenario, PlusFiveAfterAnOverrunRunsExactlyFiveMoreMinutes) {
  test::SliceFixture f(1200);
  CueRecorder cues;
  runSliceIntoSoftBreak(f, 1200.0);
  f.clock.advance(12.0);
  ASSERT_EQ(f.worked(), 1212);
  f.host.statusMenuItems[2].second(); // "Extend Time Slice by 5 Minutes"
  ASSERT_EQ(f.machine.currentState(), &f.running());
  EXPECT_EQ(f.extension(), 300 + 12);
  f.running().prepareForUITimerUpdate();
  EXPECT_DOUBLE_EQ(f.running().timedStateMachineModule()->viewModel()->remainingSeconds(), 300.0);
  EXPECT_EQ(cues.heard, QStringList{QStringLiteral("still active@1200")}) << "no tock on extending";

  f.clock.advance(299.0);
  EXPECT_EQ(f.machine.currentState(), &f.running());
  f.clock.advance(1.0);
  EXPECT_EQ(f.machine.currentState(), &f.helper.softBreakState());
  EXPECT_EQ(f.worked(), 1512);
}
