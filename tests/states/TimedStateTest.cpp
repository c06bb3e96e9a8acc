#include "states/TimedState.h"

#include "StateTestDoubles.h"
#include "engine/StateMachine.h"
#include "engine/TimedStateMachineModule.h"
#include "support/TestClock.h"

#include <gtest/gtest.h>

using namespace kr;

namespace {

class CountingTimedState final : public TimedState {
public:
  std::int64_t duration() override { return durationToUse; }
  void handleTimerElapsed() override { log.append(QStringLiteral("elapsed")); }
  void handleTimerAborted() override { log.append(QStringLiteral("aborted hook")); }
  void eachTick(std::int64_t seconds) override {
    ticks.push_back(seconds);
    TimedState::eachTick(seconds);
  }
  QString menuItemText() const override { return remainingTimeText(); }

  std::int64_t durationToUse = 5;
  std::vector<std::int64_t> ticks;
  QStringList log;
};

class Target final : public BaseState {
public:
  void activate() override {
    log->append(QStringLiteral("target on"));
    BaseState::activate();
  }
  const StateExits& exits() const override {
    static const StateExits table{StateExits::exit(QStringLiteral("back"), &Target::back)};
    return table;
  }
  QStringList* log = nullptr;
  StateBase* back = nullptr;
};

struct Fixture {
  Fixture() {
    target.log = &timed.log;
    timed.elapsed = &target;
    timed.aborted = &target;
    target.back = &timed;
    machine.setInitialState(&timed);
  }
  test::TestClock clock;
  test::RecordingStateHost host;
  StateMachine machine;
  CountingTimedState timed;
  Target target;
};

std::vector<test::PostedEvent> eventsNamed(const test::RecordingStateHost& host,
                                           const QString& suffix) {
  std::vector<test::PostedEvent> found;
  for (const auto& event : host.events) {
    if (event.name.endsWith(suffix))
      found.push_back(event);
  }
  return found;
}

} // namespace

TEST(TimedState, PostsStartThenOneTimeEventPerSecondUntilElapsed) {
  Fixture f;
  f.machine.start();
  ASSERT_FALSE(f.host.events.empty());
  const test::PostedEvent start = f.host.events.front();
  EXPECT_EQ(start.name, QStringLiteral("Korvane_R_3.CountingTimedState.start"));
  EXPECT_EQ(start.value, 0);
  EXPECT_EQ(start.maxValue, 5);
  EXPECT_EQ(f.host.hiddenBy.size(), 1u);
  EXPECT_EQ(f.host.statusTitles.back(), QStringLiteral(" 00:05"));

  f.clock.advance(4.0);
  const auto times = eventsNamed(f.host, QStringLiteral(".time"));
  ASSERT_EQ(times.size(), 4u);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(times[static_cast<std::size_t>(i)].value, i + 1);
    EXPECT_EQ(times[static_cast<std::size_t>(i)].maxValue, 5);
  }
  EXPECT_EQ(f.host.statusTitles.back(), QStringLiteral(" 00:01"));
  EXPECT_TRUE(f.timed.log.isEmpty());

  f.clock.advance(1.0);
  EXPECT_EQ(f.timed.log, QStringList{QStringLiteral("elapsed")});
  EXPECT_EQ(eventsNamed(f.host, QStringLiteral(".time")).size(), 4u);
  f.clock.advance(10.0);
  EXPECT_EQ(eventsNamed(f.host, QStringLiteral(".time")).size(), 4u);
  EXPECT_EQ(f.timed.log.size(), 1);
}

TEST(TimedState, LeavingEarlyStopsTheCountAndReportsTheLastFrozenValues) {
  Fixture f;
  f.timed.durationToUse = 60;
  f.machine.start();
  f.clock.advance(3.0);
  f.clock.advance(0.5);
  f.timed.timerAborted();
  EXPECT_EQ(f.timed.log,
            (QStringList{QStringLiteral("aborted hook"), QStringLiteral("target on")}));
  EXPECT_EQ(f.machine.currentState(), &f.target);
  const auto ends = eventsNamed(f.host, QStringLiteral(".end"));
  ASSERT_EQ(ends.size(), 1u);
  EXPECT_EQ(ends[0].value, 3);
  EXPECT_EQ(ends[0].maxValue, 60);
  EXPECT_EQ(f.host.statusMenuClears, 1);

  const std::size_t timesBefore = eventsNamed(f.host, QStringLiteral(".time")).size();
  f.clock.advance(30.0);
  EXPECT_EQ(eventsNamed(f.host, QStringLiteral(".time")).size(), timesBefore);
  EXPECT_FALSE(f.timed.acceptsEventsFrom(*f.timed.timedStateMachineModule()));
  // The module of the last activation stays readable.
  EXPECT_EQ(f.timed.totalTime(), 60);
}

TEST(TimedState, ReactivationBuildsANewModuleAndAddsTheRefreshEntryOnce) {
  Fixture f;
  f.machine.start();
  const std::size_t viewsAfterFirst = f.timed.updatableViewCount();
  EXPECT_EQ(viewsAfterFirst, 1u);
  f.clock.advance(2.0);
  const TimedStateMachineModule* first = f.timed.timedStateMachineModule();
  EXPECT_TRUE(f.timed.acceptsEventsFrom(*first));
  f.machine.triggerTransition(QStringLiteral("aborted"));

  f.timed.durationToUse = 10;
  f.timed.ticks.clear();
  f.machine.triggerTransition(QStringLiteral("back"));
  EXPECT_EQ(f.timed.updatableViewCount(), viewsAfterFirst);
  EXPECT_EQ(f.host.events.back().name, QStringLiteral("Korvane_R_3.CountingTimedState.start"));
  EXPECT_EQ(f.host.events.back().value, 0);
  EXPECT_EQ(f.host.events.back().maxValue, 10);
  f.clock.advance(2.0);
  EXPECT_EQ(f.timed.ticks, (std::vector<std::int64_t>{1, 2}));
  EXPECT_EQ(f.timed.totalElapsedSeconds(), 2);
}

TEST(TimedState, PageRefreshFreezesTheTimeEverySecondWhileActiveOnly) {
  Fixture f;
  f.timed.durationToUse = 100;
  f.machine.start();
  f.clock.advance(2.5);
  // The refresh at 2.0 s froze the view model at that instant; the tick of
  // the scheduler does the same, so the elapsed value reads two seconds.
  EXPECT_EQ(f.timed.totalElapsedSeconds(), 2);
  f.timed.prepareForUITimerUpdate();
  EXPECT_EQ(f.timed.totalElapsedSeconds(), 2);
  f.machine.triggerTransition(QStringLiteral("aborted"));
  EXPECT_FALSE(f.timed.isRefreshing());
}
