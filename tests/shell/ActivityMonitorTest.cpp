#include "shell/ActivityMonitor.h"

#include "platform/QnLog.h"
#include "platform/linux/dbus/LogindSleepWatcher.h"
#include "platform/services/IdleTimeBackend.h"
#include "support/TestClock.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QDBusMessage>
#include <QProcess>
#include <QTest>

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

namespace {

// A bus of the test's own, standing in for the system bus.
struct PrivateBus {
  PrivateBus() {
    daemon.start(QStringLiteral("dbus-daemon"),
                 {QStringLiteral("--session"), QStringLiteral("--nofork"),
                  QStringLiteral("--print-address")});
    if (daemon.waitForStarted(5000) && daemon.waitForReadyRead(5000))
      address = QString::fromUtf8(daemon.readLine()).trimmed();
  }
  ~PrivateBus() {
    QDBusConnection::disconnectFromBus(QStringLiteral("listener"));
    QDBusConnection::disconnectFromBus(QStringLiteral("logind"));
    daemon.terminate();
    daemon.waitForFinished(2000);
  }
  QProcess daemon;
  QString address;
};

void announce(QDBusConnection& bus, bool goingToSleep) {
  QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/login1"),
                                                   QStringLiteral("org.freedesktop.login1.Manager"),
                                                   QStringLiteral("PrepareForSleep"));
  signal << goingToSleep;
  ASSERT_TRUE(bus.send(signal));
}

} // namespace

TEST(ActivityMonitor, FollowsLogindsSleepAndWakeAnnouncements) {
  PrivateBus bus;
  ASSERT_FALSE(bus.address.isEmpty()) << "no dbus-daemon to run a private bus";
  QDBusConnection listener = QDBusConnection::connectToBus(bus.address, QStringLiteral("listener"));
  QDBusConnection logind = QDBusConnection::connectToBus(bus.address, QStringLiteral("logind"));
  ASSERT_TRUE(logind.registerService(QStringLiteral("org.freedesktop.login1")));
  test::TestClock clock;
  const bool logging = QnLog::isOn();
  QnLog::setOn(true);
  test::ConsoleCapture console;
  ActivityMonitor monitor(nullptr);
  monitor.setSleepWatcher(LogindSleepWatcher::watch(listener, [&monitor](bool goingToSleep) {
    goingToSleep ? monitor.onSleep() : monitor.onWake();
  }));
  EXPECT_TRUE(console.contains(QStringLiteral("sleep and wake: available (logind)")));

  const double asleep = clock.now();
  announce(logind, true);
  EXPECT_TRUE(QTest::qWaitFor([&] { return monitor.lastTimePutToSleep() == asleep; }, 5000));
  EXPECT_EQ(monitor.lastTimeWoken(), ActivityMonitor::kDistantFuture);
  clock.advance(600.0);
  announce(logind, false);
  EXPECT_TRUE(QTest::qWaitFor([&] { return monitor.lastTimeWoken() == clock.now(); }, 5000));
  EXPECT_EQ(monitor.lastTimePutToSleep(), asleep);
  EXPECT_EQ(console.lines().filter(QStringLiteral("onSleep")).size(), 1);
  EXPECT_EQ(console.lines().filter(QStringLiteral("onWake")).size(), 1);
  QnLog::setOn(logging);
}

TEST(ActivityMonitor, WithoutASystemBusSleepAndWakeAreNotFollowedAndItSaysSoOnce) {
  test::ConsoleCapture console;
  EXPECT_EQ(LogindSleepWatcher::watch(QDBusConnection(QStringLiteral("not connected")), {}),
            nullptr);
  EXPECT_EQ(console.lines()
                .filter(QStringLiteral("sleep and wake: not available (there is no system bus)"))
                .size(),
            1);
}
