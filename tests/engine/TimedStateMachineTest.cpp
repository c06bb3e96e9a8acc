#include "engine/TimedStateMachine.h"
#include "engine/TimedStateFunctions.h"
#include "support/TestEventExecutor.h"
#include "support/TestScheduler.h"

#include "support/TestClock.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

using namespace kr;

namespace {

constexpr Event tick = Event::oneTick;
constexpr Event elapsed = Event::elapsed;

// A count-down machine on the program's functions, started at clock 1000.4.
class TimedStateMachineTest : public ::testing::Test {
protected:
  std::unique_ptr<TimedStateMachine> make(std::int64_t workingDuration,
                                          TimedStateMachine::FastForwardFunction ff = {},
                                          State start = State::working(0)) {
    return std::make_unique<TimedStateMachine>(start, myTick, myStateTransitionFunction,
                                               ff ? ff : myFastForwardFunction,
                                               Configuration{workingDuration}, &executor);
  }
  static void tickThrough(TimedStateMachine& machine, std::int64_t from, std::int64_t to) {
    for (std::int64_t s = from; s <= to; ++s)
      machine.tick(s);
  }
  static std::size_t count(const EventList& events, Event event) {
    return static_cast<std::size_t>(std::count(events.begin(), events.end(), event));
  }

  test::TestClock clock{1000.4};
  TestEventExecutor executor;
};

TEST_F(TimedStateMachineTest, ThreeSecondTimelineEndsWithElapsedOnlyAndStartsOver) {
  auto machine = make(3);
  EXPECT_EQ(machine->lastStateTransitionSecond(), 1000);
  EXPECT_EQ(machine->projectedDurationInSeconds(), 3);
  EXPECT_EQ(machine->elapsedSeconds(), 0);
  EXPECT_TRUE(executor.eventList.empty());

  machine->tick(1000); // the start second itself counts nothing
  EXPECT_EQ(machine->elapsedSeconds(), 0);
  EXPECT_TRUE(executor.eventList.empty());

  machine->tick(1001);
  machine->tick(1002);
  EXPECT_EQ(executor.eventList, (EventList{tick, tick}));
  EXPECT_EQ(machine->projectedDurationInSeconds(), 3);

  machine->tick(1003);
  EXPECT_EQ(executor.eventList, (EventList{tick, tick, elapsed}));
  EXPECT_EQ(machine->currentState(), State::elapsed());
  EXPECT_EQ(machine->lastStateTransitionSecond(), 1003);
  EXPECT_EQ(machine->projectedDurationInSeconds(), 1);
  EXPECT_EQ(machine->elapsedSeconds(), 0);

  machine->tick(1004); // back to work, silently, for a new period
  EXPECT_EQ(executor.eventList.size(), 3u);
  EXPECT_EQ(machine->currentState(), State::working(0));
  EXPECT_EQ(machine->lastStateTransitionSecond(), 1004);
  EXPECT_EQ(machine->projectedDurationInSeconds(), 3);
}

TEST_F(TimedStateMachineTest, FastForwardAcrossElapsedReplaysEverySecond) {
  auto machine = make(10);
  tickThrough(*machine, 1001, 1006); // 4 seconds left
  executor.clear();
  test::ConsoleCapture console;
  machine->fastForward(1007, 10);
  EXPECT_TRUE(
      console.contains(QStringLiteral("fast forward 10 seconds from working(extendedBy: 0)")));
  const EventList expected{tick, tick, tick, elapsed, tick, tick, tick, tick, tick};
  EXPECT_EQ(executor.eventList, expected);
  // The switch to elapsed came at step 3 (second 1010), the switch back at step 4.
  EXPECT_EQ(machine->lastStateTransitionSecond(), 1011);
  EXPECT_EQ(machine->currentState(), State::working(0));
  EXPECT_EQ(machine->elapsedSeconds(), 5);
}

TEST_F(TimedStateMachineTest, FastForwardStopsOnceTheDriverHasStopped) {
  auto machine = make(10);
  bool running = true;
  machine->setRunningCheck([&running] { return running; });
  executor.onExecute = [&running](Event e) {
    if (e == Event::elapsed)
      running = false; // as a timed state stops its scheduler and leaves
  };
  tickThrough(*machine, 1001, 1006);
  executor.clear();
  machine->fastForward(1007, 8 * 3600);
  EXPECT_EQ(executor.eventList, (EventList{tick, tick, tick, elapsed}));
  EXPECT_EQ(machine->currentState(), State::elapsed());
  EXPECT_EQ(machine->lastStateTransitionSecond(), 1010);
  machine->tick(5000);
  EXPECT_EQ(executor.eventList.size(), 4u) << "a stopped driver gets no event";
}

TEST_F(TimedStateMachineTest, ChangeConfigReplaysSilently) {
  // Up: more time than counted keeps the count.
  auto up = make(600);
  tickThrough(*up, 1001, 1300);
  executor.clear();
  up->changeConfig(Configuration{900});
  EXPECT_TRUE(executor.eventList.empty());
  EXPECT_EQ(up->elapsedSeconds(), 300);
  EXPECT_EQ(up->projectedDurationInSeconds(), 900);
  EXPECT_EQ(up->lastStateTransitionSecond(), 1000);
  tickThrough(*up, 1301, 1899);
  EXPECT_EQ(count(executor.eventList, elapsed), 0u);
  up->tick(1900);
  EXPECT_EQ(executor.eventList.back(), elapsed);
  EXPECT_EQ(count(executor.eventList, tick), 599u);

  // Down below the count: elapsed at once, without the event.
  executor.clear();
  auto down = make(600);
  tickThrough(*down, 1001, 1300);
  executor.clear();
  clock.set(1300.7);
  down->changeConfig(Configuration{200});
  EXPECT_TRUE(executor.eventList.empty());
  EXPECT_EQ(down->currentState(), State::elapsed());
  EXPECT_EQ(down->elapsedSeconds(), 0);
  EXPECT_EQ(down->projectedDurationInSeconds(), 1);
  EXPECT_EQ(down->lastStateTransitionSecond(), 1300);
  down->tick(1301);
  EXPECT_TRUE(executor.eventList.empty());
  EXPECT_EQ(down->currentState(), State::working(0));
  EXPECT_EQ(down->projectedDurationInSeconds(), 200);

  // Right after the start only the projection changes.
  auto fresh = make(600);
  fresh->changeConfig(Configuration{60});
  EXPECT_EQ(fresh->projectedDurationInSeconds(), 60);
  EXPECT_EQ(fresh->lastStateTransitionSecond(), 1300);
  EXPECT_EQ(fresh->currentState(), State::working(0));
  EXPECT_EQ(fresh->elapsedSeconds(), 0);
}

TEST_F(TimedStateMachineTest, ExecutionModesFilterEventsButNotStateChanges) {
  auto transitionsOnly = make(2);
  transitionsOnly->tick(1001, EventExecutionMode::executeOnlyStateTransitionEvents);
  EXPECT_TRUE(executor.eventList.empty());
  transitionsOnly->tick(1002, EventExecutionMode::executeOnlyStateTransitionEvents);
  EXPECT_EQ(executor.eventList, (EventList{elapsed}));

  executor.clear();
  auto silent = make(2);
  silent->tick(1001, EventExecutionMode::doNotExecuteAnyEvents);
  silent->tick(1002, EventExecutionMode::doNotExecuteAnyEvents);
  EXPECT_TRUE(executor.eventList.empty());
  EXPECT_EQ(silent->currentState(), State::elapsed());

  // A fast-forward function chooses the mode of the replay.
  executor.clear();
  auto replay = make(3, [](std::int64_t n, const State&) {
    return FastForwardFunctionResult::normalFastForward(
        n, EventExecutionMode::executeOnlyStateTransitionEvents);
  });
  replay->fastForward(1001, 5);
  EXPECT_EQ(executor.eventList, (EventList{elapsed}));
}

TEST_F(TimedStateMachineTest, DurationsBelowOneSecondLastOneSecond) {
  for (std::int64_t duration : {0, -5}) {
    executor.clear();
    auto machine = make(duration);
    EXPECT_EQ(machine->projectedDurationInSeconds(), 1);
    machine->tick(1001);
    EXPECT_EQ(executor.eventList, (EventList{elapsed}));
  }
  auto shortened = make(5, {}, State::working(-10));
  EXPECT_EQ(shortened->projectedDurationInSeconds(), 1);
  auto extended = make(5, {}, State::working(7));
  EXPECT_EQ(extended->projectedDurationInSeconds(), 12);
}

TEST_F(TimedStateMachineTest, OtherFastForwardKinds) {
  auto upTo = make(10, [](std::int64_t n, const State&) {
    return FastForwardFunctionResult::fastForwardUpToStateTransition(
        n, EventExecutionMode::executeAllEvents);
  });
  tickThrough(*upTo, 1001, 1006);
  executor.clear();
  clock.set(1500.2);
  upTo->fastForward(1500, 100);
  EXPECT_EQ(executor.eventList, (EventList{tick, tick, tick, elapsed}));
  EXPECT_EQ(upTo->lastStateTransitionSecond(), 1500) << "the stop is dated now";

  executor.clear();
  auto jump = make(10, [](std::int64_t, const State&) {
    return FastForwardFunctionResult::transitionTo(State::elapsed(),
                                                   EventExecutionMode::executeAllEvents);
  });
  clock.set(1600.9);
  jump->fastForward(1600, 50);
  EXPECT_EQ(executor.eventList, (EventList{elapsed}));
  EXPECT_EQ(jump->lastStateTransitionSecond(), 1600);
  EXPECT_EQ(jump->projectedDurationInSeconds(), 1);

  executor.clear();
  auto reinit = make(10, [](std::int64_t, const State&) {
    return FastForwardFunctionResult::reInitTo(State::working(2));
  });
  reinit->tick(1601);
  clock.set(1700.0);
  reinit->fastForward(1700, 50);
  EXPECT_EQ(executor.eventList, (EventList{tick}));
  EXPECT_EQ(reinit->currentState(), State::working(2));
  EXPECT_EQ(reinit->elapsedSeconds(), 0);
  EXPECT_EQ(reinit->lastStateTransitionSecond(), 1700);
  EXPECT_EQ(reinit->projectedDurationInSeconds(), 12);
}

TEST_F(TimedStateMachineTest, TestSchedulerDrivesSubscribedMachines) {
  TestScheduler scheduler;
  auto machine = std::shared_ptr<TimedStateMachine>(make(3));
  scheduler.subscribe(machine);
  scheduler.tick(1000);
  scheduler.tick(1001);
  scheduler.fastForward(1002, 2);
  EXPECT_EQ(executor.eventList, (EventList{tick, tick, elapsed}));
}

using TimedStateMachineDeathTest = TimedStateMachineTest;

TEST_F(TimedStateMachineDeathTest, ImpossibleRequestsStopTheProgram) {
  EXPECT_DEATH(
      {
        auto machine = make(5, [](std::int64_t, const State&) {
          return FastForwardFunctionResult::normalFastForward(-1,
                                                              EventExecutionMode::executeAllEvents);
        });
        machine->fastForward(1001, 3);
      },
      "fast forward by -1 seconds");
  EXPECT_DEATH(
      {
        TimedStateMachine endless(
            State::working(0),
            [](const State& s, std::int64_t, const Configuration&) {
              return TimedStateMachine::StepResult{s, {}};
            },
            myStateTransitionFunction, myFastForwardFunction, Configuration{5}, &executor);
      },
      "never ends");
}

} // namespace
