// The program as main() builds it on the virtual desktop of the tests: a tray
// host, a session bus without a notification server, and no compositing
// manager. Start-up says what is there; what is missing is worked around.
#include "StartedProgram.h"

#include "effects/EffectsServices.h"
#include "effects/QNVisualNotification.h"
#include "support/TestEnvironment.h"

#include <QApplication>
#include <QSystemTrayIcon>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

using namespace kr;

namespace {

int visibleTopLevels(const char* className, const QString& objectName = {}) {
  int count = 0;
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget->isVisible() && widget->inherits(className) &&
        (objectName.isEmpty() || widget->objectName() == objectName))
      ++count;
  }
  return count;
}

TEST(ServicesOnDesktop, StartUpSaysOnceForEachServiceWhetherItIsThere) {
  test::ConsoleCapture console;
  test::StartedProgram p;
  for (const char* service : {"sound", "speech", "notifications", "screen fading", "scripts folder",
                              "idle time", "tray", "sleep and wake"}) {
    const QString prefix = QStringLiteral("kr.platform: %1: ").arg(QLatin1String(service));
    int said = 0;
    for (const QString& line : console.lines())
      said += line.startsWith(prefix) ? 1 : 0;
    EXPECT_EQ(said, 1) << service;
  }
  EXPECT_TRUE(console.contains(QStringLiteral("tray: available")));
  EXPECT_TRUE(console.contains(QStringLiteral("idle time: available")));
  EXPECT_TRUE(console.contains(QStringLiteral("notifications: not available (no notification "
                                              "server")));
  EXPECT_TRUE(console.contains(QStringLiteral("screen fading: not available (no compositing "
                                              "manager")));
  EXPECT_TRUE(console.contains(QStringLiteral("scripts folder: available (")));
}

TEST(ServicesOnDesktop, WithoutANotificationServerTheTrayShowsTheNotification) {
  test::StartedProgram p;
  ASSERT_TRUE(QTest::qWaitFor([] { return QSystemTrayIcon::isSystemTrayAvailable(); }, 30000));
  // Becoming active withdraws what was shown before; this one comes after.
  // (A window manager may never activate the program; then nothing is withdrawn.)
  static_cast<void>(QTest::qWaitFor(
      [] { return QGuiApplication::applicationState() == Qt::ApplicationActive; }, 5000));
  EXPECT_EQ(visibleTopLevels("QBalloonTip"), 0);
  EffectsServices::shared().visualNotification().displayNotification(
      QStringLiteral("Time Slice Elapsed"), QStringLiteral("Rate your focus"), 0.0, false);
  // The bus answers that nobody serves notifications; the tray's balloon comes instead.
  EXPECT_TRUE(QTest::qWaitFor([] { return visibleTopLevels("QBalloonTip") == 1; }, 10000));
}

TEST(ServicesOnDesktop, ADimmingDuringASliceMapsNoWindowWithoutACompositor) {
  test::ConsoleCapture console;
  test::StartedProgram p({{QStringLiteral("durationInSeconds"), 120},
                          {QStringLiteral("shouldUseSoftBreak"), false},
                          {QStringLiteral("dimBeforeEndOfTimeSlice"), true},
                          {QStringLiteral("endOfTimeSliceDimDuration"), 2}});
  p.click(QStringLiteral("Start Time Slice"));
  p.clock.advance(117.0);
  EXPECT_TRUE(console.lines().filter(QStringLiteral("No screen dimming")).isEmpty());
  p.clock.advance(1.0); // two seconds left: the dimming is due
  QCoreApplication::processEvents();
  EXPECT_EQ(console.lines().filter(QStringLiteral("No screen dimming or flashes")).size(), 1);
  EXPECT_EQ(visibleTopLevels("QWidget", QStringLiteral("ScreenOverlayWindow")), 0);
  p.clock.advance(1.0);
  EXPECT_EQ(visibleTopLevels("QWidget", QStringLiteral("ScreenOverlayWindow")), 0);
}

} // namespace
