// A question a page asks (an alert, the quick duration dialog) answered
// after the page behind it changed: the answer acts on nothing.
#include "states/PrepareTimedBreakState.h"
#include "states/TimeViewFactory.h"
#include "states/TimedBreakRunningState.h"

#include "SliceTestFixture.h"
#include "engine/TimedStateMachineModule.h"
#include "engine/TimedStateMachineViewModel.h"

#include <QPushButton>

#include <gtest/gtest.h>

#include <functional>

using namespace kr;

namespace {

UserDefaults& store() { return UserDefaults::standard(); }

struct Fixture : test::SliceFixture {
  Fixture() {
    store().setValue(QStringLiteral("lockScreenDuringBreak"), false);
    store().setValue(QStringLiteral("breakDurationInSeconds"), 600);
    store().setValue(QStringLiteral("breakDurationControlAlternative"), QStringLiteral("default"));
    TimeViewFactory::shared().runQuickDurationDialog =
        [this](QWidget*, int, TimeViewFactory::MinutesSetter set) { dialog = std::move(set); };
  }
  ~Fixture() { TimeViewFactory::shared() = TimeViewFactory{}; }

  void perform(const char* action) {
    EXPECT_TRUE(machine.tryToPerform(QString::fromLatin1(action))) << action;
  }
  // Five minutes into a slice, paused.
  void pausedAfterFiveMinutes() {
    start();
    define().startTimeSlice();
    clock.advance(300.0);
    running().pauseOrResumeTimeSlice();
  }
  void onPrepare() {
    helper.awake(machine, 1);
    machine.setInitialState(&prepare());
    machine.start();
  }
  PrepareTimedBreakState& prepare() { return helper.prepareTimedBreakState(); }
  TimedBreakRunningState& timedBreak() { return helper.timedBreakRunningState(); }
  double sliceRemaining() {
    running().prepareForUITimerUpdate();
    return running().timedStateMachineModule()->viewModel()->remainingSeconds();
  }

  TimeViewFactory::MinutesSetter dialog;
};

struct Case {
  const char* name;
  std::function<void(Fixture&)> reach;     // the page that asks
  std::function<void(Fixture&)> ask;       // the question
  std::function<void(Fixture&)> meanwhile; // the page changes while it is open
  std::function<void(Fixture&)> check;     // what "OK" (or 30 minutes) did not do
};

} // namespace

TEST(LateAnswer, AnAnswerGivenAfterThePageChangedActsOnNothingAndOneOnTheSamePageActs) {
  const Case cases[] = {
      {"abort, the slice ended behind it", [](Fixture& f) { f.pausedAfterFiveMinutes(); },
       [](Fixture& f) {
         f.paused().buttonWall()->findChild<QPushButton*>(QStringLiteral("Abort"))->click();
       },
       [](Fixture& f) { f.perform("stopTimeSlice"); },
       [](Fixture& f) {
         EXPECT_EQ(f.machine.currentState(), &f.rate());
         EXPECT_EQ(f.worked(), 300);
       }},
      {"abort, the slice resumed and paused again behind it",
       [](Fixture& f) { f.pausedAfterFiveMinutes(); },
       [](Fixture& f) { f.paused().abortTimeSlice(); },
       [](Fixture& f) {
         f.perform("pauseOrResumeTimeSlice");
         f.perform("pauseOrResumeTimeSlice");
       },
       [](Fixture& f) {
         EXPECT_EQ(f.machine.currentState(), &f.paused());
         EXPECT_EQ(f.worked(), 300) << "the slice is not forgotten";
       }},
      {"skip logging, continued behind it",
       [](Fixture& f) {
         f.pausedAfterFiveMinutes();
         f.perform("stopTimeSlice");
       },
       [](Fixture& f) { f.rate().doNotLog(); }, [](Fixture& f) { f.rate().internalContinue(); },
       [](Fixture& f) {
         EXPECT_EQ(f.machine.currentState(), &f.running());
         EXPECT_EQ(f.worked(), 300);
       }},
      {"the slice's length, the slice started behind it", [](Fixture& f) { f.start(); },
       [](Fixture& f) { f.define().changeDuration(); },
       [](Fixture& f) { f.define().startTimeSlice(); },
       [](Fixture& f) {
         EXPECT_EQ(f.machine.currentState(), &f.running());
         EXPECT_EQ(store().integer(QStringLiteral("durationInSeconds")), 1500);
       }},
      {"the slice's rest, paused and resumed behind it",
       [](Fixture& f) {
         f.pausedAfterFiveMinutes();
         f.perform("pauseOrResumeTimeSlice");
       },
       [](Fixture& f) { f.running().changeDuration(); },
       [](Fixture& f) {
         f.perform("pauseOrResumeTimeSlice");
         f.perform("pauseOrResumeTimeSlice");
       },
       [](Fixture& f) {
         EXPECT_EQ(f.machine.currentState(), &f.running());
         EXPECT_DOUBLE_EQ(f.sliceRemaining(), 1200.0);
       }},
      {"the break's length, the break started behind it", [](Fixture& f) { f.onPrepare(); },
       [](Fixture& f) { f.prepare().changeDuration(); },
       [](Fixture& f) { f.perform("startTimedBreak"); },
       [](Fixture& f) {
         EXPECT_EQ(f.machine.currentState(), &f.timedBreak());
         EXPECT_EQ(store().integer(QStringLiteral("breakDurationInSeconds")), 600);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Fixture f;
    c.reach(f);
    f.alerts.answer = 0; // OK
    int changes = 0;
    f.alerts.whileOpen = [&](const Alert&) {
      ++changes;
      c.meanwhile(f);
    };
    c.ask(f);
    if (f.dialog) {
      ++changes;
      c.meanwhile(f);
      f.dialog(30);
    }
    EXPECT_EQ(changes, 1) << "one question, and the page changed behind it";
    c.check(f);
  }

  // Time passing on the same page changes nothing the question asked about.
  Fixture f;
  f.pausedAfterFiveMinutes();
  f.alerts.answer = 0;
  f.alerts.whileOpen = [&](const Alert&) { f.clock.advance(60.0); };
  f.paused().abortTimeSlice();
  EXPECT_EQ(f.machine.currentState(), &f.define());
  EXPECT_EQ(f.worked(), 0);

  f.define().changeDuration();
  ASSERT_TRUE(f.dialog);
  f.clock.advance(60.0);
  f.dialog(30);
  EXPECT_EQ(store().integer(QStringLiteral("durationInSeconds")), 1800);
}
