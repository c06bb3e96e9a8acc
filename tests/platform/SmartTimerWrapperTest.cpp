#include "platform/SmartTimerWrapper.h"
#include "engine/Clock.h"

#include "support/TestClock.h"

#include <QElapsedTimer>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

using kr::SmartTimerWrapper;

TEST(SmartTimerWrapperTest, TestClockFiresDueTimersInOrderAtTheirTimes) {
  kr::test::TestClock clock(1000.0);
  std::vector<std::pair<char, double>> fired;
  auto every = SmartTimerWrapper::wrapTimer(
      1.0, true, [&](SmartTimerWrapper&) { fired.emplace_back('r', kr::Clock::now()); });
  auto once = SmartTimerWrapper::wrapTimer(
      1.5, false, [&](SmartTimerWrapper&) { fired.emplace_back('o', kr::Clock::now()); });
  clock.advance(3.0);
  const std::vector<std::pair<char, double>> expected = {
      {'r', 1001.0}, {'o', 1001.5}, {'r', 1002.0}, {'r', 1003.0}};
  EXPECT_EQ(fired, expected);
  EXPECT_FALSE(once->isValid());
  EXPECT_TRUE(every->isValid());
  every->stop();
  clock.advance(5.0);
  EXPECT_EQ(fired.size(), expected.size());
  EXPECT_EQ(clock.runningTimerCount(), 0);
}

TEST(SmartTimerWrapperTest, SleepFiresOverdueTimersOnceOnWaking) {
  kr::test::TestClock clock(0.0);
  int ticks = 0;
  double lastFire = 0;
  auto timer = SmartTimerWrapper::wrapTimer(1.0, true, [&](SmartTimerWrapper&) {
    ++ticks;
    lastFire = kr::Clock::now();
  });
  clock.sleep(3600.0);
  EXPECT_EQ(ticks, 1);
  EXPECT_DOUBLE_EQ(lastFire, 3600.0);
  clock.advance(1.0);
  EXPECT_EQ(ticks, 2);
  timer->stop();
}

TEST(SmartTimerWrapperTest, RunningTimerNeedsNoOwnerAndBlockMayStopIt) {
  kr::test::TestClock clock(0.0);
  int runs = 0;
  SmartTimerWrapper::wrapTimer(1.0, true, [&](SmartTimerWrapper& t) {
    if (++runs == 3)
      t.stop();
  });
  clock.advance(10.0);
  EXPECT_EQ(runs, 3);
  EXPECT_EQ(clock.runningTimerCount(), 0);
}

TEST(SmartTimerWrapperTest, EventLoopBackendRunsOneShotTimer) {
  bool fired = false;
  auto timer = SmartTimerWrapper::wrapTimer(0.0, false, [&](SmartTimerWrapper&) { fired = true; });
  EXPECT_TRUE(QTest::qWaitFor([&] { return fired; }, 2000));
  EXPECT_FALSE(timer->isValid());
}
