#include "platform/ScreenOverlayWindows.h"

#include "support/TestClock.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>

#include <gtest/gtest.h>

using namespace kr;

namespace {

int overlaysAlive() {
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  int count = 0;
  for (QWidget* widget : QApplication::topLevelWidgets())
    count += widget->objectName() == QStringLiteral("ScreenOverlayWindow") ? 1 : 0;
  return count;
}

} // namespace

TEST(ScreenOverlayWindows, TintComesAndGoesWithoutTakingInput) {
  test::TestClock clock;
  ScreenOverlayWindows overlays;
  ASSERT_TRUE(overlays.tintAllScreens(Qt::black, 0.6, 4.0));
  ASSERT_EQ(int(overlays.windows().size()), int(QGuiApplication::screens().size()));
  QWidget* window = overlays.windows().front();
  EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowTransparentForInput));
  clock.advance(2.0);
  EXPECT_NEAR(window->windowOpacity(), 0.6, 0.02) << "darkest at half the duration";
  clock.advance(2.1);
  EXPECT_EQ(overlaysAlive(), 0) << "gone after the full duration";
  EXPECT_EQ(clock.runningTimerCount(), 0);
}

TEST(ScreenOverlayWindows, CoverRefusesTintsOwnsItsContentAndAlwaysComesDown) {
  test::TestClock clock;
  QPointer<QWidget> content = new QWidget;
  content->setFixedSize(100, 80);
  {
    ScreenOverlayWindows overlays;
    overlays.tintAllScreens(Qt::black, 0.5, 10.0);
    overlays.coverAllScreens(content, 1.0, 5.0);
    EXPECT_EQ(overlaysAlive(), int(QGuiApplication::screens().size()))
        << "the cover replaced the tint";
    EXPECT_FALSE(overlays.tintAllScreens(Qt::black, 0.5, 1.0)) << "no tint over the cover";
    QWidget* primary = overlays.windowOn(QGuiApplication::primaryScreen());
    ASSERT_NE(primary, nullptr);
    EXPECT_EQ(content->parentWidget(), primary);
    EXPECT_EQ(content->geometry().center(), primary->rect().center());
    EXPECT_TRUE(content->testAttribute(Qt::WA_TransparentForMouseEvents));
    clock.advance(4.9);
    EXPECT_FALSE(overlays.isContentFullyShown());
    clock.advance(0.2);
    EXPECT_TRUE(overlays.isContentFullyShown());
    EXPECT_FALSE(content->testAttribute(Qt::WA_TransparentForMouseEvents));
    EXPECT_NEAR(primary->windowOpacity(), 1.0, 1e-9);

    overlays.removeAll(0.5);
    EXPECT_TRUE(content->isHidden()) << "the content goes at once";
    EXPECT_TRUE(primary->testAttribute(Qt::WA_TransparentForMouseEvents));
    overlays.removeAll(0.5); // twice is harmless
    overlays.coverAllScreens(nullptr, 0.0, 0.0);
    EXPECT_GT(overlaysAlive(), 0);
  }
  EXPECT_EQ(overlaysAlive(), 0) << "the helper's end takes every window down";
  EXPECT_TRUE(content.isNull()) << "the content went with its window";
  EXPECT_EQ(clock.runningTimerCount(), 0);
}
