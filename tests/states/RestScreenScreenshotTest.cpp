#include "states/CountDownViewController.h"
#include "states/RestBreakHelper.h"
#include "states/TimedBreakRunningState.h"

#include "SliceTestFixture.h"
#include "effects/OverlayScreenFadingHelper.h"
#include "platform/ScreenOverlayWindows.h"

#include <QApplication>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

using namespace kr;

// On an X server with two screens: a break with the rest screen covers both,
// the dial on the primary one; a screenshot of each screen goes to the build
// folder ("rest-screen-0.png", "rest-screen-1.png") for a look by eye.
TEST(RestScreenOnX11, CoversEveryScreenAndLeavesNothingBehind) {
  const QList<QScreen*> screens = QGuiApplication::screens();
  ASSERT_GE(screens.size(), 2) << "run with two screens";
  test::SliceFixture f;
  OverlayScreenFadingHelper fading;
  RestBreakHelper::shared().installScreenFading(&fading);
  UserDefaults::standard().setValue(QStringLiteral("lockScreenDuringBreak"), true);
  UserDefaults::standard().setValue(QStringLiteral("breakDurationInSeconds"), 600);
  UserDefaults::standard().setValue(QStringLiteral("breakDurationControlAlternative"),
                                    QStringLiteral("default"));
  DataModel::shared().useOneTimeOnlyBreakDurationThisTimeOnly = false;
  f.start();
  f.machine.triggerTransition(QStringLiteral("timedBreak"));
  ASSERT_TRUE(f.helper.timedBreakRunningState().isRestScreenUp());

  // Fully faded in, 130 s into the break: the dial shows about a fifth gone.
  f.clock.advance(130.0);
  for (QWidget* window : fading.overlays().windows()) {
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window)) << "the window reached the screen";
  }
  ASSERT_EQ(int(fading.overlays().windows().size()), int(screens.size()));
  for (int i = 0; i < screens.size(); ++i) {
    QWidget* window = fading.overlays().windowOn(screens.at(i));
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->screen(), screens.at(i)) << "created on the screen it covers";
    EXPECT_EQ(window->geometry(), screens.at(i)->geometry());
  }
  QCoreApplication::processEvents();
  for (int i = 0; i < screens.size(); ++i) {
    const QImage shot = screens.at(i)->grabWindow(0).toImage();
    const QString path = QDir(QStringLiteral(KR_SCREENSHOT_DIR))
                             .filePath(QStringLiteral("rest-screen-%1.png").arg(i));
    EXPECT_TRUE(shot.save(path)) << path.toStdString();
    // Black at the corners on every screen.
    EXPECT_EQ(shot.pixelColor(5, 5), QColor(Qt::black)) << i;
  }
  const QImage primary = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
  bool anyWhite = false;
  for (int y = 0; y < primary.height() && !anyWhite; y += 4) {
    for (int x = 0; x < primary.width() && !anyWhite; x += 4)
      anyWhite = primary.pixelColor(x, y).lightness() > 240;
  }
  EXPECT_TRUE(anyWhite) << "the dial is drawn on the primary screen";

  f.machine.triggerTransition(QStringLiteral("aborted"));
  f.clock.advance(1.0);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  int left = 0;
  for (QWidget* widget : QApplication::topLevelWidgets())
    left += widget->objectName() == QStringLiteral("ScreenOverlayWindow") ? 1 : 0;
  EXPECT_EQ(left, 0);
  RestBreakHelper::shared().installScreenFading(nullptr);
}
