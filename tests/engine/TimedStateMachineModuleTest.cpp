#include "engine/TimedStateMachineModule.h"
#include "engine/Clock.h"
#include "engine/SmartScheduler.h"
#include "engine/TimedStateFunctions.h"
#include "engine/TimedStateMachine.h"
#include "engine/TimedStateMachineViewModel.h"
#include "engine/TimedStateType.h"
#include "support/TestEventExecutor.h"

#include "support/TestClock.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

using namespace kr;

namespace {

// Behaves as a timed state does: builds a module per activation, stops the
// scheduler at "elapsed" and accepts events only while active and only from
// the module of its current activation.
class FakeTimedState final : public TimedStateType {
public:
  explicit FakeTimedState(std::int64_t seconds) : seconds_(seconds) {}

  void activate() {
    module = std::make_unique<TimedStateMachineModule>(*this);
    active = true;
  }
  void deactivate() {
    module->scheduler()->stop();
    active = false;
  }

  std::int64_t duration() override { return seconds_; }
  bool acceptsEventsFrom(const TimedStateMachineModule& m) const override {
    return active && module.get() == &m;
  }
  void execute(Event event) override {
    events.push_back(event);
    if (event == Event::elapsed)
      module->scheduler()->stop();
  }
  std::size_t count(Event event) const {
    return static_cast<std::size_t>(std::count(events.begin(), events.end(), event));
  }

  std::unique_ptr<TimedStateMachineModule> module;
  EventList events;
  bool active = false;

private:
  std::int64_t seconds_;
};

TEST(TimedStateMachineModuleTest, ViewModelFiguresAtOneFrozenInstant) {
  test::TestClock clock(1000.4);
  FakeTimedState state(1500);
  state.activate();
  TimedStateMachineViewModel& view = *state.module->viewModel();
  view.freezeTime();
  EXPECT_DOUBLE_EQ(view.frozenTime(), 1000.4);
  EXPECT_NEAR(view.remainingSeconds(), 1499.6, 1e-9);
  EXPECT_NEAR(view.elapsedSeconds(), 0.4, 1e-9);
  EXPECT_DOUBLE_EQ(view.totalSeconds(), 1500.0);
  EXPECT_EQ(view.startDate(), Clock::dateFromReferenceSeconds(1000.0));
  EXPECT_EQ(view.endDate(), Clock::dateFromReferenceSeconds(2500.0));
  EXPECT_EQ(view.frozenNow(), Clock::dateFromReferenceSeconds(1000.4));

  // Reading later without freezing again shows the same instant.
  clock.advance(2.0);
  EXPECT_NEAR(view.remainingSeconds(), 1499.6, 1e-9);

  view.freezeTime();
  state.module->change(1560);
  EXPECT_NEAR(view.remainingSeconds(), 1557.6, 1e-9);
  EXPECT_EQ(view.endDate(), Clock::dateFromReferenceSeconds(2560.0));
  EXPECT_NEAR(view.elapsedSeconds(), 2.4, 1e-9);
  EXPECT_EQ(view.startDate(), Clock::dateFromReferenceSeconds(1000.0));

  view.setFrozenTime(9000.0); // long past the end: nothing negative
  EXPECT_DOUBLE_EQ(view.remainingSeconds(), 0.0);
}

TEST(TimedStateMachineModuleTest, CountsDownOncePerSecondAndStopsAtElapsed) {
  test::TestClock clock(1000.4);
  FakeTimedState state(5);
  state.activate();
  EXPECT_EQ(clock.runningTimerCount(), 1);
  clock.advance(4.0);
  EXPECT_EQ(state.events, EventList(4, Event::oneTick));
  clock.advance(1.0);
  EXPECT_EQ(state.events.back(), Event::elapsed);
  EXPECT_EQ(state.count(Event::oneTick), 4u);
  EXPECT_EQ(clock.runningTimerCount(), 0);
  clock.advance(60.0);
  EXPECT_EQ(state.events.size(), 5u);
  // The last values stay readable after the end.
  auto& view = *state.module->viewModel();
  view.freezeTime();
  EXPECT_DOUBLE_EQ(view.totalSeconds(), 1.0);
}

TEST(TimedStateMachineModuleTest, LongSleepDeliversOneElapsedAndNothingAfterIt) {
  test::TestClock clock(1000.4);
  FakeTimedState state(1500);
  state.activate();
  clock.advance(100.0);
  test::ConsoleCapture console;
  clock.sleep(8 * 3600.0);
  EXPECT_TRUE(console.contains(QStringLiteral("fast forward 28800 seconds from working")));
  EXPECT_EQ(state.count(Event::oneTick), 1499u);
  EXPECT_EQ(state.count(Event::elapsed), 1u);
  EXPECT_EQ(state.events.back(), Event::elapsed);
  EXPECT_EQ(state.module->stateMachine()->currentState(), State::elapsed());
  clock.advance(10.0);
  EXPECT_EQ(state.events.size(), 1500u);
}

TEST(TimedStateMachineModuleTest, StateThatWasLeftGetsNoEvents) {
  test::TestClock clock(1000.4);
  FakeTimedState state(600);
  state.activate();
  clock.advance(2.0);
  // The state is no longer current, yet its scheduler still runs (as if a
  // deactivation had not stopped it): the module's events do not reach it.
  state.active = false;
  clock.advance(5.0);
  clock.sleep(3600.0);
  EXPECT_EQ(state.events, EventList(2, Event::oneTick));

  // A new activation counts from 0 with a new module; the old one is gone.
  state.active = true;
  state.deactivate();
  state.activate();
  EXPECT_EQ(clock.runningTimerCount(), 1);
  clock.advance(1.0);
  EXPECT_EQ(state.events.size(), 3u);
  EXPECT_EQ(state.module->stateMachine()->elapsedSeconds(), 1);
  state.module.reset();
  EXPECT_EQ(clock.runningTimerCount(), 0);
}

TEST(TimedStateMachineModuleTest, ViewModelWarnsWhenTheMachineHasNoTimeBase) {
  test::TestClock clock(2000.0);
  TestEventExecutor executor;
  // A transition function that never restarts the counter leaves no time base.
  auto machine = std::make_shared<TimedStateMachine>(
      State::working(0), myTick,
      [](const std::optional<State>&, const State& to, const Configuration&) {
        return TimedStateMachine::TransitionResult{to, {}, false};
      },
      myFastForwardFunction, Configuration{10}, &executor);
  TimedStateMachineViewModel view(machine);
  view.freezeTime();
  test::ConsoleCapture console;
  EXPECT_DOUBLE_EQ(view.elapsedSeconds(), 0.0);
  EXPECT_DOUBLE_EQ(view.remainingSeconds(), 0.0);
  EXPECT_DOUBLE_EQ(view.totalSeconds(), 10.0);
  EXPECT_EQ(view.startDate(), Clock::nowAsDate());
  EXPECT_TRUE(console.contains(
      QStringLiteral("Warning: elapsedSeconds on TimedStateMachineViewModel called before "
                     "lastStateTransitionSecond was initialized")));
  EXPECT_TRUE(console.contains(
      QStringLiteral("Warning: remainingSeconds on TimedStateMachineViewModel called before "
                     "projectedDurationInSeconds was initialized")));
}

} // namespace
