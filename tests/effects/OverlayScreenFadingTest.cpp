// The screen effects where translucent windows show solid: dimming and
// flashes are skipped (once said on the console), the rest screen still shows.
#include "effects/OverlayScreenFadingHelper.h"
#include "platform/ScreenOverlayWindows.h"

#include "support/TestClock.h"
#include "support/TestEnvironment.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>

#include <gtest/gtest.h>

namespace {

int overlaysShown() {
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  int count = 0;
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget->objectName() == QStringLiteral("ScreenOverlayWindow") && widget->isVisible())
      ++count;
  }
  return count;
}

TEST(OverlayScreenFading, WithoutTranslucencyDimsAndFlashesAreSkippedButTheRestScreenShows) {
  kr::test::TestClock clock;
  bool translucent = false;
  int asked = 0;
  kr::OverlayScreenFadingHelper fading([&](QString* why) {
    ++asked;
    if (!translucent && why)
      *why = QStringLiteral("no compositing manager");
    return translucent;
  });
  kr::test::ConsoleCapture console;
  QString why;
  EXPECT_FALSE(fading.canTint(&why));
  EXPECT_EQ(why, QStringLiteral("no compositing manager"));

  fading.quickFadeAllScreens(Qt::black, 0.6f, 4.0); // the dimming
  EXPECT_EQ(overlaysShown(), 0);
  fading.quickFadeAllScreens(QColor(0x60, 0x70, 0x90), 0.25f, 0.2); // a soft-break flash
  EXPECT_EQ(overlaysShown(), 0);
  const QStringList said = console.lines().filter(QStringLiteral("No screen dimming or flashes"));
  ASSERT_EQ(said.size(), 1);
  EXPECT_TRUE(
      said[0].endsWith(QStringLiteral("No screen dimming or flashes: no compositing manager")))
      << said[0].toStdString();

  // The rest screen is opaque black: right without a compositor too.
  fading.fadeAllScreensToBlack(new QWidget);
  EXPECT_EQ(overlaysShown(), int(QGuiApplication::screens().size()));
  fading.fadeAllScreensBackToNormal();
  clock.advance(kr::OverlayScreenFadingHelper::kFadeBackSeconds + 0.1);
  EXPECT_EQ(overlaysShown(), 0);

  // Asked at every dimming: a compositor started later is used.
  const int before = asked;
  translucent = true;
  fading.quickFadeAllScreens(Qt::black, 0.6f, 4.0);
  EXPECT_EQ(asked, before + 1);
  EXPECT_EQ(overlaysShown(), int(QGuiApplication::screens().size()));
  clock.advance(4.1);
  EXPECT_EQ(overlaysShown(), 0);
  EXPECT_EQ(console.lines().filter(QStringLiteral("No screen dimming or flashes")).size(), 1);
}

TEST(OverlayScreenFading, WithoutACheckTranslucencyIsTakenForGranted) {
  kr::test::TestClock clock;
  kr::OverlayScreenFadingHelper fading;
  EXPECT_TRUE(fading.canTint());
  fading.quickFadeAllScreens(Qt::black, 0.6f, 2.0);
  EXPECT_EQ(overlaysShown(), int(QGuiApplication::screens().size()));
  clock.advance(2.1);
  EXPECT_EQ(overlaysShown(), 0);
}

} // namespace
