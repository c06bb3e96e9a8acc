#include "window/WindowPlacement.h"
#include "window/StatusItemClickRules.h"

#include <gtest/gtest.h>

using namespace kr;

namespace {

// A 1440 x 900 screen whose visible area is 877 high at its top (the worked
// examples' screen, turned into Qt's downward y).
const WindowPlacement::Screen kLaptop{QRectF(0, 0, 1440, 900), QRectF(0, 0, 1440, 877)};
const QSizeF kWindow(440, 600);

} // namespace

TEST(WindowPlacement, DefaultPositionCentresAndPutsTheTopHalfAWindowBelowTheVisibleTop) {
  EXPECT_EQ(WindowPlacement::defaultPosition(kWindow, kLaptop.visibleFrame), QPointF(500, 300));
  // Odd sizes round half away from zero.
  EXPECT_EQ(WindowPlacement::defaultPosition(QSizeF(441, 601), QRectF(100, 50, 1000, 800)),
            QPointF(379, 351));
}

TEST(WindowPlacement, RememberedPositionIsClampedIntoTheVisibleArea) {
  const std::vector<WindowPlacement::Screen> screens{kLaptop};
  // Never placed: the default position, clamped like any other candidate, so
  // the 600-high window's bottom comes up to the visible area's bottom.
  EXPECT_EQ(WindowPlacement::computeTopLeftPoint({0, 0}, {-1, -1}, kWindow, screens, 0),
            QPointF(500, 277));
  // Only x unknown: the pair is used as it stands and clamped; the top edge at
  // 400 would put the bottom below the visible area, so the window moves up.
  EXPECT_EQ(WindowPlacement::computeTopLeftPoint({0, 0}, {-1, 400}, kWindow, screens, 0),
            QPointF(0, 277));
  // A position inside stays.
  EXPECT_EQ(WindowPlacement::computeTopLeftPoint({0, 0}, {200, 100}, kWindow, screens, 0),
            QPointF(200, 100));
  // A position on no screen falls back to the (clamped) default.
  EXPECT_EQ(WindowPlacement::computeTopLeftPoint({0, 0}, {5000, 5000}, kWindow, screens, 0),
            QPointF(500, 277));
}

TEST(WindowPlacement, SuggestedPointPlacesTheWindowBelowTheIconOnItsScreen) {
  const WindowPlacement::Screen right{QRectF(1440, 0, 1920, 1080), QRectF(1440, 30, 1920, 1050)};
  const std::vector<WindowPlacement::Screen> screens{kLaptop, right};
  EXPECT_EQ(WindowPlacement::computeTopLeftPoint({1000, 10}, {-1, -1}, kWindow, screens, 0),
            QPointF(940, 10));
  // On the second screen its own visible area holds: the top moves below its panel.
  EXPECT_EQ(WindowPlacement::computeTopLeftPoint({3300, 5}, {-1, -1}, kWindow, screens, 0),
            QPointF(3360 - 440, 30));
}

TEST(WindowPlacement, ScreenChoiceAndEdges) {
  const WindowPlacement::Screen right{QRectF(1440, 0, 1440, 900), QRectF(1440, 0, 1440, 900)};
  const std::vector<WindowPlacement::Screen> screens{kLaptop, right};
  // Equal overlap: the earlier screen wins; more overlap wins otherwise.
  EXPECT_EQ(WindowPlacement::screenWithLargestOverlap(screens, QRectF(1240, 0, 400, 100)), 0);
  EXPECT_EQ(WindowPlacement::screenWithLargestOverlap(screens, QRectF(1340, 0, 400, 100)), 1);
  EXPECT_EQ(WindowPlacement::screenWithLargestOverlap(screens, QRectF(-500, 0, 400, 100)), -1);
  // Left and bottom edges belong to a screen, right and top edges do not.
  EXPECT_EQ(WindowPlacement::screenForMouseLocation(screens, {0, 900}), 0);
  EXPECT_EQ(WindowPlacement::screenForMouseLocation(screens, {0, 0}), -1);
  EXPECT_EQ(WindowPlacement::screenForMouseLocation(screens, {1440, 10}), 1);
  EXPECT_EQ(WindowPlacement::screenForMouseLocation(screens, {2880, 10}), -1);
}

TEST(WindowPlacement, WindowLargerThanTheVisibleAreaKeepsItsTopAndRightEdgesInside) {
  const QPointF corner =
      WindowPlacement::clampTopLeft({-300, -300}, QSizeF(2000, 1000), kLaptop.visibleFrame);
  EXPECT_EQ(corner, QPointF(1440 - 2000, 0));
}

TEST(WindowPlacement, APageThatChangesTheWindowsSizeKeepsTheWholeWindowInside) {
  const std::vector<WindowPlacement::Screen> screens{kLaptop};
  // A pad widens the 440-wide window by 400 while its right edge is 100 from
  // the visible area's right edge: it moves 300 to the left, the top stays.
  EXPECT_EQ(WindowPlacement::keepInsideVisibleArea(QRectF(900, 100, 840, 600), screens, 0),
            QPointF(600, 100));
  // A taller page runs past the bottom: the window moves up, x stays.
  EXPECT_EQ(WindowPlacement::keepInsideVisibleArea(QRectF(500, 300, 440, 700), screens, 0),
            QPointF(500, 177));
  // Past the top and the left edges.
  EXPECT_EQ(WindowPlacement::keepInsideVisibleArea(QRectF(-100, -50, 440, 600), screens, 0),
            QPointF(0, 0));
  // Inside: unchanged.
  EXPECT_EQ(WindowPlacement::keepInsideVisibleArea(QRectF(10, 20, 440, 600), screens, 0),
            QPointF(10, 20));
  // Taller and wider than the visible area: the top and right edges win.
  EXPECT_EQ(WindowPlacement::keepInsideVisibleArea(QRectF(-300, 300, 2000, 1000), screens, 0),
            QPointF(1440 - 2000, 0));
}

TEST(WindowPlacement, AWindowOnNoScreenGoesToTheDefaultPositionOfTheMainScreen) {
  const WindowPlacement::Screen right{QRectF(1440, 0, 1920, 1080), QRectF(1440, 30, 1920, 1050)};
  // A monitor was removed: only the laptop is left, the remembered corner was
  // on the monitor.
  EXPECT_EQ(WindowPlacement::keepInsideVisibleArea(QRectF(2000, 200, 440, 600), {kLaptop}, 0),
            QPointF(500, 277));
  // With both screens, the main one is the second: its default position.
  EXPECT_EQ(
      WindowPlacement::keepInsideVisibleArea(QRectF(-5000, 200, 440, 600), {kLaptop, right}, 1),
      QPointF(1440 + 960 - 220, 30 + 300));
  // Straddling both: the screen it overlaps most keeps it, inside its own
  // visible area (below its panel).
  EXPECT_EQ(WindowPlacement::keepInsideVisibleArea(QRectF(1300, 0, 440, 600), {kLaptop, right}, 0),
            QPointF(1440, 30));
}

// The first launch on a 1024 x 768 screen: the profile page's 550-high window
// would start at y 275 and end 57 below the screen.
TEST(WindowPlacement, TheFirstPlacementOnASmallScreenKeepsTheBottomOnIt) {
  const WindowPlacement::Screen small{QRectF(0, 0, 1024, 768), QRectF(0, 0, 1024, 768)};
  const QSizeF profile(440, 550);
  const QPointF corner = WindowPlacement::defaultPosition(profile, small.visibleFrame);
  EXPECT_EQ(corner, QPointF(292, 275));
  EXPECT_EQ(WindowPlacement::keepInsideVisibleArea(QRectF(corner, profile), {small}, 0),
            QPointF(292, 218));
}

// A click on the tray icon: the window hangs below the icon, 60 to its left,
// kept on the visible area, wherever the tray sits.
TEST(WindowPlacement, ATrayClickPlacesTheWindowAtTheIconOnEveryEdge) {
  const QSizeF window(440, 600);
  const auto placed = [&](const QRect& icon, const QPointF& mouse, const QRectF& visible) {
    const WindowPlacement::Screen screen{QRectF(0, 0, 1366, 768), visible};
    const QPointF location = StatusItemClickRules::locationAtIcon(icon, mouse);
    return WindowPlacement::computeTopLeftPoint(location, QPointF(100, 60), window, {screen}, 0);
  };
  const QRectF belowTopPanel(0, 24, 1366, 744);
  // A panel at the top: below the icon, 60 to its left.
  EXPECT_EQ(placed(QRect(700, 0, 24, 24), QPointF(710, 12), belowTopPanel), QPointF(640, 24));
  // Its right end: the right edge stays on the screen.
  EXPECT_EQ(placed(QRect(1340, 0, 24, 24), QPointF(1350, 12), belowTopPanel),
            QPointF(1366 - 440, 24));
  // Its left end: the left edge stays on the screen, never at the stored corner.
  EXPECT_EQ(placed(QRect(0, 0, 24, 24), QPointF(5, 5), belowTopPanel), QPointF(0, 24));
  // A panel at the bottom: the window stands on the panel.
  EXPECT_EQ(placed(QRect(700, 744, 24, 24), QPointF(710, 756), QRectF(0, 0, 1366, 744)),
            QPointF(640, 144));
  // Panels on the left and on the right.
  EXPECT_EQ(placed(QRect(0, 400, 24, 24), QPointF(12, 410), QRectF(24, 0, 1342, 768)),
            QPointF(24, 168));
  EXPECT_EQ(placed(QRect(1342, 100, 24, 24), QPointF(1350, 110), QRectF(0, 0, 1342, 768)),
            QPointF(1342 - 440, 124));
  // A tray that does not tell where the icon is: at the mouse, which is on it.
  EXPECT_EQ(placed(QRect(), QPointF(1000, 12), belowTopPanel), QPointF(1366 - 440, 24));
  EXPECT_EQ(placed(QRect(), QPointF(500, 12), belowTopPanel), QPointF(440, 24));
}
