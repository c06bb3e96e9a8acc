#include "engine/SmartScheduler.h"

#include "support/TestClock.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace kr;

namespace {

// Writes down what the scheduler asks of it.
class Recorder final : public ScheduledItemType {
public:
  void tick(std::int64_t second) override {
    calls.push_back("tick " + std::to_string(second));
    if (onCall)
      onCall();
  }
  void fastForward(std::int64_t second, std::int64_t seconds) override {
    calls.push_back("ff " + std::to_string(second) + " " + std::to_string(seconds));
    if (onCall)
      onCall();
  }
  std::vector<std::string> calls;
  std::function<void()> onCall;
};

using Calls = std::vector<std::string>;

class SmartSchedulerTest : public ::testing::Test {
protected:
  void SetUp() override {
    recorder = std::make_shared<Recorder>();
    scheduler = std::make_shared<SmartScheduler>();
    scheduler->subscribe(recorder);
  }

  test::TestClock clock{1000.4};
  std::shared_ptr<Recorder> recorder;
  std::shared_ptr<SmartScheduler> scheduler;
};

TEST_F(SmartSchedulerTest, TicksOncePerSecondAndRunsAheadOnTwoFiringsInOneSecond) {
  scheduler->start();
  EXPECT_EQ(scheduler->lastSecondFired(), 1000);
  clock.advance(3.0);
  EXPECT_EQ(recorder->calls, (Calls{"tick 1001", "tick 1002", "tick 1003"}));
  EXPECT_EQ(scheduler->lastSecondFired(), 1003);
  // The firings come on the whole seconds of the clock.
  EXPECT_DOUBLE_EQ(scheduler->lastFired(), 1003.0);

  // The timer drifted: a second firing inside second 1003.
  clock.set(1003.9);
  scheduler->timerFired();
  EXPECT_EQ(recorder->calls.back(), "tick 1003");
  EXPECT_EQ(scheduler->lastSecondFired(), 1004);
  // The regular firing at 1004.0 again sees a step of 0 and ticks.
  clock.advance(0.5);
  EXPECT_EQ(recorder->calls.back(), "tick 1004");
  EXPECT_EQ(recorder->calls.size(), 5u);
}

TEST_F(SmartSchedulerTest, ClockJumpOfHoursIsOneFastForwardPerSubscriber) {
  auto second = std::make_shared<Recorder>();
  scheduler->subscribe(second);
  scheduler->start();
  clock.advance(1.0);
  clock.sleep(3 * 3600.0);
  const Calls expected{"tick 1001", "ff 11801 10800"};
  EXPECT_EQ(recorder->calls, expected);
  EXPECT_EQ(second->calls, expected);
  EXPECT_EQ(scheduler->lastSecondFired(), 11801);
  clock.advance(1.0);
  EXPECT_EQ(recorder->calls.back(), "tick 11802");
}

TEST_F(SmartSchedulerTest, ClockSetBackLogsNegativeStepsAndTicksNothing) {
  scheduler->start();
  clock.advance(3.0);
  test::ConsoleCapture console;
  // The wall clock goes back ten minutes; the timer goes on firing each second.
  for (int i = 0; i < 3; ++i) {
    clock.set(403.4 + i);
    scheduler->timerFired();
  }
  EXPECT_TRUE(console.contains(QStringLiteral("smart scheduler called with negative delta -600!")));
  EXPECT_TRUE(console.contains(QStringLiteral("smart scheduler called with negative delta -598!")));
  EXPECT_EQ(recorder->calls.size(), 3u);
  EXPECT_EQ(scheduler->lastSecondFired(), 1003);
  // Ticking resumes once the clock second passes the last one handled.
  clock.set(1004.2);
  scheduler->timerFired();
  EXPECT_EQ(recorder->calls.back(), "tick 1004");
}

TEST_F(SmartSchedulerTest, TestModeSkipsFiringsAndTheNextOneFastForwards) {
  std::deque<bool> coin{false, true, false, true, true, false};
  scheduler->setTestMode(true, [&coin] {
    const bool skip = coin.front();
    coin.pop_front();
    return skip;
  });
  scheduler->start();
  clock.advance(6.0);
  EXPECT_EQ(recorder->calls, (Calls{"tick 1001", "ff 1003 2", "ff 1006 3"}));

  // The default coin skips about half.
  scheduler->setTestMode(true);
  int skipped = 0;
  for (int i = 0; i < 400; ++i) {
    const std::int64_t before = scheduler->lastSecondFired();
    clock.advance(1.0);
    skipped += scheduler->lastSecondFired() == before ? 1 : 0;
  }
  EXPECT_GT(skipped, 120);
  EXPECT_LT(skipped, 280);
}

TEST_F(SmartSchedulerTest, KeepsOneTimerAndStopsForGood) {
  scheduler->start();
  scheduler->start();
  EXPECT_EQ(clock.runningTimerCount(), 1);
  clock.advance(1.0);
  EXPECT_EQ(recorder->calls, (Calls{"tick 1001"}));
  scheduler->resume(); // running: nothing changes
  EXPECT_EQ(clock.runningTimerCount(), 1);

  // A subscriber that stops the scheduler: later subscribers get nothing more.
  auto late = std::make_shared<Recorder>();
  scheduler->subscribe(late);
  recorder->onCall = [this] { scheduler->stop(); };
  clock.advance(5.0);
  EXPECT_EQ(recorder->calls.size(), 2u);
  EXPECT_TRUE(late->calls.empty());
  EXPECT_TRUE(scheduler->isPaused());
  EXPECT_EQ(clock.runningTimerCount(), 0);

  recorder->onCall = nullptr;
  scheduler->resume();
  clock.advance(1.0);
  EXPECT_EQ(late->calls, (Calls{"tick 1007"}));
  scheduler->unsubscribe(late.get());
  clock.advance(1.0);
  EXPECT_EQ(late->calls.size(), 1u);

  scheduler.reset(); // a scheduler that goes away takes its timer with it
  EXPECT_EQ(clock.runningTimerCount(), 0);
}

} // namespace
