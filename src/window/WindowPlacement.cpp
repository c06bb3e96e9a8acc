#include "window/WindowPlacement.h"

#include <algorithm>
#include <cmath>

namespace kr {

QPointF WindowPlacement::defaultPosition(const QSizeF& window, const QRectF& visibleFrame) {
  const double x = visibleFrame.x() + visibleFrame.width() * 0.5 - std::round(window.width() * 0.5);
  const double y = visibleFrame.y() + std::round(window.height() * 0.5);
  return {x, y};
}

QPointF WindowPlacement::clampTopLeft(const QPointF& candidate, const QSizeF& window,
                                      const QRectF& visibleFrame) {
  const double x = std::min(std::max(candidate.x(), visibleFrame.x()),
                            visibleFrame.x() + visibleFrame.width() - window.width());
  // The bottom edge is kept inside first, so a window taller than the visible
  // area ends with its top at the visible top.
  const double y =
      std::max(std::min(candidate.y(), visibleFrame.y() + visibleFrame.height() - window.height()),
               visibleFrame.y());
  return {x, y};
}

int WindowPlacement::screenForMouseLocation(const std::vector<Screen>& screens,
                                            const QPointF& point) {
  for (std::size_t i = 0; i < screens.size(); ++i) {
    const QRectF& f = screens[i].frame;
    // Left and bottom edges belong to the screen, right and top edges do not.
    if (point.x() >= f.x() && point.x() < f.x() + f.width() && point.y() > f.y() &&
        point.y() <= f.y() + f.height())
      return static_cast<int>(i);
  }
  return -1;
}

int WindowPlacement::screenWithLargestOverlap(const std::vector<Screen>& screens,
                                              const QRectF& window) {
  int best = -1;
  double bestArea = 0.0;
  for (std::size_t i = 0; i < screens.size(); ++i) {
    const QRectF overlap = screens[i].frame.intersected(window);
    const double area = overlap.isValid() ? overlap.width() * overlap.height() : 0.0;
    if (area > bestArea) {
      bestArea = area;
      best = static_cast<int>(i);
    }
  }
  return best;
}

QPointF WindowPlacement::computeTopLeftPoint(const QPointF& suggested, const QPointF& stored,
                                             const QSizeF& window,
                                             const std::vector<Screen>& screens, int mainScreen) {
  if (screens.empty())
    return suggested;
  const int main =
      mainScreen >= 0 && mainScreen < static_cast<int>(screens.size()) ? mainScreen : 0;
  const auto defaultOnMain = [&] { return defaultPosition(window, screens[main].visibleFrame); };
  QPointF candidate;
  int screen = main;
  if (suggested != QPointF(0, 0)) {
    const int under = screenForMouseLocation(screens, suggested);
    screen = under >= 0 ? under : main;
    candidate = QPointF(suggested.x() - 60, suggested.y());
  } else {
    candidate = stored.x() == -1 && stored.y() == -1 ? defaultOnMain() : stored;
    const int overlapping = screenWithLargestOverlap(screens, QRectF(candidate, window));
    if (overlapping >= 0) {
      screen = overlapping;
    } else {
      candidate = defaultOnMain();
    }
  }
  return clampTopLeft(candidate, window, screens[static_cast<std::size_t>(screen)].visibleFrame);
}

QPointF WindowPlacement::keepInsideVisibleArea(const QRectF& window,
                                               const std::vector<Screen>& screens, int mainScreen) {
  if (screens.empty())
    return window.topLeft();
  int screen = screenWithLargestOverlap(screens, window);
  QPointF candidate = window.topLeft();
  if (screen < 0) {
    screen = mainScreen >= 0 && mainScreen < static_cast<int>(screens.size()) ? mainScreen : 0;
    candidate =
        defaultPosition(window.size(), screens[static_cast<std::size_t>(screen)].visibleFrame);
  }
  return clampTopLeft(candidate, window.size(),
                      screens[static_cast<std::size_t>(screen)].visibleFrame);
}

} // namespace kr
