// Desktop notifications over a private session bus, against a notification
// server that the test itself registers there.
#include "effects/QNVisualNotification.h"
#include "platform/linux/dbus/FreedesktopNotifier.h"

#include "support/TestClock.h"
#include "support/TestEnvironment.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QVariantMap>

#include <gtest/gtest.h>

namespace {

struct Received {
  QString appName;
  uint replacesId;
  QString summary;
  QString body;
  QStringList actions;
  QVariantMap hints;
  int expireTimeout;
};

class FakeNotificationServer : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
  std::vector<Received> notifications;
  std::vector<uint> closed;
  uint lastId = 100;

public Q_SLOTS:
  uint Notify(const QString& appName, uint replacesId, const QString& /*icon*/,
              const QString& summary, const QString& body, const QStringList& actions,
              const QVariantMap& hints, int expireTimeout) {
    notifications.push_back({appName, replacesId, summary, body, actions, hints, expireTimeout});
    return replacesId ? replacesId : ++lastId;
  }
  void CloseNotification(uint id) { closed.push_back(id); }
  QStringList GetCapabilities() { return {QStringLiteral("body"), QStringLiteral("actions")}; }
};

bool waitUntil(const std::function<bool()>& done) {
  QDeadlineTimer deadline(10000);
  while (!done() && !deadline.hasExpired())
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  return done();
}

class VisualNotificationDBusTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(server.isConnected()) << "no session bus: run under dbus-run-session";
    ASSERT_TRUE(server.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &fake,
                                      QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(server.registerService(QStringLiteral("org.freedesktop.Notifications")));
  }
  void TearDown() override {
    server.unregisterService(QStringLiteral("org.freedesktop.Notifications"));
    server.unregisterObject(QStringLiteral("/org/freedesktop/Notifications"));
  }

  kr::test::TestClock clock;
  FakeNotificationServer fake;
  QDBusConnection server =
      QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("fake-server"));
  kr::FreedesktopNotifier notifier{QDBusConnection::sessionBus()};
  bool active = false;
  kr::QNVisualNotification visual{notifier, [this] { return active; }};
};

TEST_F(VisualNotificationDBusTest, ANotificationIsShownAndClosedAfterThreeSeconds) {
  visual.displayNotification(QStringLiteral("Time Slice Elapsed"), QStringLiteral("Well done"), 0.0,
                             false);
  ASSERT_TRUE(waitUntil([&] { return fake.notifications.size() == 1; }));
  const Received& n = fake.notifications[0];
  EXPECT_EQ(n.appName, QStringLiteral("Korvane-R"));
  EXPECT_EQ(n.replacesId, 0u);
  EXPECT_EQ(n.summary, QStringLiteral("Time Slice Elapsed"));
  EXPECT_EQ(n.body, QStringLiteral("Well done"));
  EXPECT_TRUE(n.actions.isEmpty());
  EXPECT_EQ(n.expireTimeout, -1);
  EXPECT_EQ(n.hints.value(QStringLiteral("desktop-entry")).toString(), QStringLiteral("korvane-r"));

  clock.advance(2.5);
  QCoreApplication::processEvents();
  EXPECT_TRUE(fake.closed.empty());
  clock.advance(0.5);
  ASSERT_TRUE(waitUntil([&] { return !fake.closed.empty(); }));
  EXPECT_EQ(fake.closed, std::vector<uint>{101});
}

TEST_F(VisualNotificationDBusTest, ASecondNotificationReplacesTheFirstByIdAndStickyOnesStay) {
  visual.displayNotification(QStringLiteral("Starting Time Slice"), QString(), 0.0, true);
  ASSERT_TRUE(waitUntil([&] { return fake.notifications.size() == 1; }));
  // The desktop's answer with the id comes back before the next one.
  ASSERT_TRUE(waitUntil([&] { return visual.currentNotificationId() == fake.lastId; }));
  active = true;
  visual.displayNotification(QStringLiteral("Only 5 minutes left"), QStringLiteral("<Tags>"), 0.0,
                             true);
  ASSERT_TRUE(waitUntil([&] { return fake.notifications.size() == 2; }));
  EXPECT_EQ(fake.notifications[0].actions,
            (QStringList{QStringLiteral("default"), QStringLiteral("Bring To Front")}));
  EXPECT_EQ(fake.notifications[0].expireTimeout, 0);
  EXPECT_TRUE(fake.notifications[0].hints.value(QStringLiteral("resident")).toBool());
  EXPECT_EQ(fake.notifications[1].replacesId, fake.lastId);
  EXPECT_EQ(fake.notifications[1].actions,
            (QStringList{QStringLiteral("default"), QStringLiteral("Hide")}));
  EXPECT_EQ(fake.notifications[1].body, QStringLiteral("<Tags>"));
  clock.advance(30);
  for (int i = 0; i < 10; ++i)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  EXPECT_TRUE(fake.closed.empty());
}

TEST_F(VisualNotificationDBusTest, WithoutANotificationServerOneLineIsWrittenAndNothingHangs) {
  kr::FreedesktopNotifier absent(QDBusConnection::sessionBus(),
                                 QStringLiteral("org.example.NoSuchNotifications"));
  kr::QNVisualNotification lonely(absent, [] { return false; });
  kr::test::ConsoleCapture console;
  lonely.displayNotification(QStringLiteral("a"), QString(), 0.0, false);
  lonely.displayNotification(QStringLiteral("b"), QString(), 0.0, false);
  ASSERT_TRUE(
      waitUntil([&] { return console.contains(QStringLiteral("No desktop notifications")); }));
  for (int i = 0; i < 10; ++i)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  EXPECT_EQ(console.lines().filter(QStringLiteral("No desktop notifications")).size(), 1);
  clock.advance(5);
  EXPECT_TRUE(fake.notifications.empty());
}

TEST_F(VisualNotificationDBusTest, BecomingActiveClosesTheStickyNotificationStillShown) {
  visual.displayNotification(QStringLiteral("Time Slice Elapsed"), QString(), 0.0, true);
  ASSERT_TRUE(waitUntil([&] { return visual.currentNotificationId() == 101; }));
  visual.removeDeliveredNotifications();
  ASSERT_TRUE(waitUntil([&] { return !fake.closed.empty(); }));
  EXPECT_EQ(fake.closed, std::vector<uint>{101});
}

TEST_F(VisualNotificationDBusTest, TheNotifierTellsWhetherAServerIsThere) {
  EXPECT_TRUE(notifier.isAvailable());
  EXPECT_TRUE(notifier.unavailableReason().isEmpty());
  kr::FreedesktopNotifier absent(QDBusConnection::sessionBus(),
                                 QStringLiteral("org.example.NoSuchNotifications"));
  EXPECT_FALSE(absent.isAvailable());
  EXPECT_TRUE(absent.unavailableReason().contains(QStringLiteral("no notification server")))
      << absent.unavailableReason().toStdString();
  kr::FreedesktopNotifier noBus(QDBusConnection(QStringLiteral("never-connected")));
  EXPECT_EQ(noBus.unavailableReason(), QStringLiteral("no session bus"));
}

} // namespace

#include "VisualNotificationDBusTest.moc"
