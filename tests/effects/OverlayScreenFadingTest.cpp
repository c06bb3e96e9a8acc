// The screen effects where translucent windows show solid: dimming and
// flashes are skipped (once said on the console), the rest screen still shows.
#include "effects/OverlayScreenFadingHelper.h"
#include "platform/ScreenOverlayWindows.h"
#include "platform/services/TestActiveWindow.h"

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

// Another program's window in front when the rest screen comes is made
// active when it goes, once; one of ours in front, or no window manager that
// tells, gives nothing back. A cover that replaces the rest screen keeps the
// window in front before the first.
TEST(OverlayScreenFading, TheRestScreenGivesTheWindowInFrontBeforeItBack) {
  kr::test::TestClock clock;
  using Window = std::optional<kr::ActiveWindowAPI::WindowId>;
  // 'c': the rest screen comes with that window in front (none: one of
  // ours); 'b': it goes.
  using Steps = std::vector<std::pair<char, Window>>;
  const struct {
    const char* name;
    bool available;
    Steps steps;
    std::vector<kr::ActiveWindowAPI::WindowId> activated;
  } cases[] = {
      {"another program's", true, {{'c', 42}, {'b', {}}}, {42}},
      {"ours", true, {{'c', {}}, {'b', {}}}, {}},
      {"no window manager", false, {{'c', 42}, {'b', {}}}, {}},
      {"no rest screen", true, {{'b', {}}}, {}},
      {"given back once", true, {{'c', 42}, {'b', {}}, {'b', {}}, {'c', {}}, {'b', {}}}, {42}},
      {"cover replaced", true, {{'c', 42}, {'c', {}}, {'b', {}}}, {42}},
      {"each its own", true, {{'c', 42}, {'b', {}}, {'c', 7}, {'b', {}}}, {42, 7}},
  };
  for (const auto& c : cases) {
    kr::TestActiveWindow active;
    active.available = c.available;
    kr::OverlayScreenFadingHelper fading({}, &active);
    for (const auto& [step, window] : c.steps) {
      active.otherProgramsWindow = window;
      if (step == 'c')
        fading.fadeAllScreensToBlack(new QWidget);
      else
        fading.fadeAllScreensBackToNormal();
    }
    EXPECT_EQ(active.activated, c.activated) << c.name;
    clock.advance(kr::OverlayScreenFadingHelper::kFadeBackSeconds + 0.1);
    EXPECT_EQ(overlaysShown(), 0) << c.name;
  }
}

} // namespace
