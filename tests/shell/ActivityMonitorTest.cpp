#include "shell/ActivityMonitor.h"

#include "platform/services/IdleTimeBackend.h"
#include "support/TestClock.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

using namespace kr;

namespace {

class ScriptedBackend final : public IdleTimeBackend {
public:
  explicit ScriptedBackend(std::optional<quint64>* value) : value_(value) {}
  QString name() const override { return QStringLiteral("scripted source"); }
  std::optional<quint64> idleMilliseconds() override { return *value_; }

private:
  std::optional<quint64>* value_;
};

} // namespace

TEST(ActivityMonitor, SamplesWholeIdleSecondsAtMostOnceASecondAndOnlyWhenRead) {
  test::TestClock clock;
  std::optional<quint64> idle = 3900;
  ActivityMonitor monitor(std::make_unique<ScriptedBackend>(&idle));
  // Nobody reads the value: the source is never asked, and no timer runs.
  clock.advance(10.0);
  EXPECT_EQ(monitor.samplesTaken(), 0);
  EXPECT_EQ(clock.runningTimerCount(), 0);
  EXPECT_EQ(monitor.idleTimeInSeconds(), 3.0);
  for (int i = 0; i < 3; ++i) {
    clock.advance(0.25);
    EXPECT_EQ(monitor.idleTimeInSeconds(), 3.0);
  }
  EXPECT_EQ(monitor.samplesTaken(), 1); // four reads within one clock second
  idle = 4000;
  EXPECT_EQ(monitor.idleTimeInSeconds(), 3.0); // lags until the next second
  clock.advance(0.25);
  EXPECT_EQ(monitor.idleTimeInSeconds(), 4.0);
  EXPECT_EQ(monitor.samplesTaken(), 2);
  idle = 0;
  clock.advance(1.0);
  EXPECT_EQ(monitor.idleTimeInSeconds(), 0.0);
  EXPECT_EQ(monitor.lastTimeProgramWasLaunched(), clock.now() - 12.0);
  EXPECT_EQ(monitor.lastTimeWoken(), ActivityMonitor::kDistantFuture);
}

TEST(ActivityMonitor, WithoutASourceSaysSoOnceAndReportsTheUserActive) {
  test::TestClock clock;
  test::ConsoleCapture console;
  ActivityMonitor monitor(nullptr, QStringLiteral("no X11 display"));
  clock.advance(10.0);
  EXPECT_EQ(monitor.idleTimeInSeconds(), 0.0);
  int said = 0;
  for (const QString& line : console.lines())
    said += line.contains(QLatin1String("idle time: not available")) ? 1 : 0;
  EXPECT_EQ(said, 1);
  EXPECT_TRUE(console.contains(QStringLiteral("no X11 display")));
}

TEST(ActivityMonitor, ASourceThatStopsAnsweringReadsAsActive) {
  test::TestClock clock;
  test::ConsoleCapture console;
  std::optional<quint64> idle = 60000;
  ActivityMonitor monitor(std::make_unique<ScriptedBackend>(&idle));
  clock.advance(1.0);
  EXPECT_EQ(monitor.idleTimeInSeconds(), 60.0);
  idle.reset();
  clock.advance(5.0);
  EXPECT_EQ(monitor.idleTimeInSeconds(), 0.0);
  int said = 0;
  for (const QString& line : console.lines())
    said += line.contains(QLatin1String("stopped answering")) ? 1 : 0;
  EXPECT_EQ(said, 1);
}
