#include "engine/SecondTicker.h"

#include "engine/Clock.h"
#include "engine/SmartScheduler.h"
#include "support/TestClock.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace kr;

namespace {

class Recorder final : public ScheduledItemType {
public:
  explicit Recorder(std::vector<double>* times) : times_(times) {}
  void tick(std::int64_t) override { times_->push_back(Clock::now()); }
  void fastForward(std::int64_t, std::int64_t) override { times_->push_back(Clock::now()); }

private:
  std::vector<double>* times_;
};

} // namespace

TEST(SecondTickerTest, SchedulersAndViewsShareOneTimerOnTheWholeSeconds) {
  test::TestClock clock(1000.4);
  std::vector<double> times;
  std::vector<std::string> order;
  auto first = std::make_shared<SmartScheduler>();
  first->subscribe(std::make_shared<Recorder>(&times));
  auto second = std::make_shared<SmartScheduler>();
  second->subscribe(std::make_shared<Recorder>(&times));
  // Views subscribe before the schedulers start, yet run after them.
  SecondTicker::Subscription views = SecondTicker::shared().subscribe(
      SecondTicker::Rank::views, [&] { order.push_back("views"); });
  first->start();
  clock.advance(0.3);
  second->start();
  EXPECT_EQ(clock.runningTimerCount(), 1);

  clock.advance(2.5); // to 1003.2
  EXPECT_EQ(times, (std::vector<double>{1001.0, 1001.0, 1002.0, 1002.0, 1003.0, 1003.0}));
  EXPECT_EQ(order.size(), 3u);

  // One that leaves, one that stays: still one timer; none once all left.
  first.reset();
  clock.advance(1.0);
  EXPECT_EQ(times.size(), 7u);
  EXPECT_EQ(clock.runningTimerCount(), 1);
  second->stop();
  views.reset();
  EXPECT_EQ(clock.runningTimerCount(), 0);
  EXPECT_FALSE(SecondTicker::shared().isRunning());
}

TEST(SecondTickerTest, SubscribersAddedOrRemovedWhileItFiresWaitOrAreSkipped) {
  test::TestClock clock(2000.0);
  std::vector<std::string> calls;
  SecondTicker::Subscription late;
  SecondTicker::Subscription removed;
  SecondTicker::Subscription checks =
      SecondTicker::shared().subscribe(SecondTicker::Rank::checks, [&] { calls.push_back("c"); });
  SecondTicker::Subscription first =
      SecondTicker::shared().subscribe(SecondTicker::Rank::scheduler, [&] {
        calls.push_back("s");
        if (!late.isActive()) {
          late = SecondTicker::shared().subscribe(SecondTicker::Rank::scheduler,
                                                  [&] { calls.push_back("late"); });
          removed.reset();
        }
      });
  removed =
      SecondTicker::shared().subscribe(SecondTicker::Rank::views, [&] { calls.push_back("r"); });
  clock.advance(1.0); // exactly on the next second
  EXPECT_EQ(calls, (std::vector<std::string>{"s", "c"}));
  calls.clear();
  clock.advance(1.0);
  EXPECT_EQ(calls, (std::vector<std::string>{"s", "late", "c"}));

  // After a long sleep: one firing, then again on the whole seconds.
  calls.clear();
  clock.sleep(3600.5);
  EXPECT_EQ(calls.size(), 3u);
  calls.clear();
  clock.advance(0.5);
  EXPECT_EQ(calls.size(), 3u);
  EXPECT_DOUBLE_EQ(clock.now(), 5603.0);
}

TEST(SecondTickerTest, NextWholeSecond) {
  EXPECT_EQ(SecondTicker::nextWholeSecondAfter(10.0), 11.0);
  EXPECT_EQ(SecondTicker::nextWholeSecondAfter(10.999), 11.0);
  EXPECT_EQ(SecondTicker::nextWholeSecondAfter(-0.5), 0.0);
}
