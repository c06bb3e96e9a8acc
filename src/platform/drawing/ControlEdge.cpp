#include "platform/drawing/ControlEdge.h"

#include <algorithm>
#include <cmath>

namespace kr::ControlEdge {

namespace {

double relativeLuminance(const QColor& colour) {
  const auto channel = [](double c) {
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  const QColor rgb = colour.toRgb();
  return 0.2126 * channel(rgb.redF()) + 0.7152 * channel(rgb.greenF()) +
         0.0722 * channel(rgb.blueF());
}

} // namespace

QColor mix(const QColor& from, const QColor& to, double share) {
  const QColor a = from.toRgb();
  const QColor b = to.toRgb();
  const auto along = [share](int x, int y) { return qRound(x + (y - x) * share); };
  return QColor(along(a.red(), b.red()), along(a.green(), b.green()), along(a.blue(), b.blue()));
}

double contrast(const QColor& a, const QColor& b) {
  const double la = relativeLuminance(a);
  const double lb = relativeLuminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor on(const QColor& ground, const QColor& ink) {
  // A little above 3 : 1, so that the rounding of the mix and the smoothing
  // of a drawn edge keep it there.
  constexpr double kWanted = 3.5;
  for (int step = 10; step < 20; ++step) {
    const QColor edge = mix(ground, ink, step / 20.0);
    if (contrast(edge, ground) >= kWanted)
      return edge;
  }
  return QColor(ink.red(), ink.green(), ink.blue());
}

} // namespace kr::ControlEdge
