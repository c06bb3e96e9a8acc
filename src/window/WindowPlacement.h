#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include <vector>

namespace kr {

// Where the main window goes, in Qt's screen coordinates (y grows downwards;
// a position is the window's top-left corner). Plain functions of the screens
// and the window size, so they are tested without a display.
class WindowPlacement {
public:
  struct Screen {
    QRectF frame;
    QRectF visibleFrame; // the screen minus panels and docks
  };

  // Centred horizontally, the top edge half a window height below the top of
  // the visible area.
  static QPointF defaultPosition(const QSizeF& window, const QRectF& visibleFrame);
  // Keeps a window of the given size inside the visible area; where it does
  // not fit, its top and right edges win.
  static QPointF clampTopLeft(const QPointF& candidate, const QSizeF& window,
                              const QRectF& visibleFrame);
  // The first screen whose frame contains the point, or -1.
  static int screenForMouseLocation(const std::vector<Screen>& screens, const QPointF& point);
  // The screen with the largest overlap with the rectangle (the earlier one on
  // ties), or -1 when none overlaps.
  static int screenWithLargestOverlap(const std::vector<Screen>& screens, const QRectF& window);
  // The top-left corner for a point the status item suggests, or for the
  // remembered position when the suggestion is (0, 0). `stored` holds -1 for
  // a coordinate that was never remembered.
  static QPointF computeTopLeftPoint(const QPointF& suggested, const QPointF& stored,
                                     const QSizeF& window, const std::vector<Screen>& screens,
                                     int mainScreen);
  // Keeps the whole window inside the visible area of the screen it overlaps
  // most (where it does not fit, its top and right edges win). A window on no
  // screen goes to the default position on the main screen.
  static QPointF keepInsideVisibleArea(const QRectF& window, const std::vector<Screen>& screens,
                                       int mainScreen);
};

} // namespace kr
