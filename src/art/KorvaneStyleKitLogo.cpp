// The kit's logotype: "Korvane-R" in white on the 187 x 21 canvas. The
// upright stems of the two capitals are the logo's rounded bars (3.5 wide for
// the K, 2.5 for the R, both 14 high and 2.05 above the canvas's low edge);
// the other letters are closed outlines of lines and curves around them.
#include "art/KorvaneStyleKit.h"

#include "platform/drawing/GraphicsContext.h"

#include <QLineF>

#include <algorithm>
#include <cmath>

namespace kr {

namespace {

GraphicsContext& context() { return *GraphicsContext::current(); }

constexpr QSizeF kLogoCanvas(187, 21);
constexpr double kBase = 2.05;         // the baseline: the bars' low edge
constexpr double kCapTop = kBase + 14; // the capitals' height: the bars' high edge
constexpr double kXTop = kBase + 10.5; // the small letters' height
constexpr double kStemK = 3.5;
constexpr double kStemR = 2.5;

QPointF onEllipse(QPointF center, double rx, double ry, double degrees) {
  const double a = degrees * M_PI / 180.0;
  return QPointF(center.x() + rx * std::cos(a), center.y() + ry * std::sin(a));
}

// Appends the arc of the ellipse from angle `from` to angle `to` (degrees,
// counter-clockwise when `to` is larger) as cubic curves of at most 90
// degrees each, joined to the current point with a line.
void appendEllipticalArc(BezierPath& path, QPointF center, double rx, double ry, double from,
                         double to) {
  const QPointF start = onEllipse(center, rx, ry, from);
  if (QLineF(path.currentPoint(), start).length() > 1e-9)
    path.lineTo(start);
  const int pieces = std::max(1, int(std::ceil(std::fabs(to - from) / 90.0 - 1e-9)));
  const double step = (to - from) / pieces;
  auto tangent = [&](double degrees) {
    const double a = degrees * M_PI / 180.0;
    return QPointF(-rx * std::sin(a), ry * std::cos(a));
  };
  const double k = 4.0 / 3.0 * std::tan(step * M_PI / 180.0 / 4.0);
  for (int i = 0; i < pieces; ++i) {
    const double a0 = from + step * i, a1 = a0 + step;
    const QPointF p0 = onEllipse(center, rx, ry, a0), p1 = onEllipse(center, rx, ry, a1);
    path.curveTo(p1, p0 + k * tangent(a0), p1 - k * tangent(a1));
  }
}

// A whole ellipse as one closed contour, counter-clockwise or clockwise.
void appendEllipse(BezierPath& path, QPointF center, double rx, double ry, bool clockwise) {
  path.moveTo(onEllipse(center, rx, ry, 0));
  appendEllipticalArc(path, center, rx, ry, 0, clockwise ? -360 : 360);
  path.closePath();
}

void appendPolygon(BezierPath& path, std::initializer_list<QPointF> points) {
  path.append(BezierPath::polygon(points));
}

// The K's arms, springing from just right of its stem.
BezierPath letterKArms(double x) {
  const double s = x + kStemK + 0.5;
  const double m = kBase + 6.5;
  BezierPath path;
  appendPolygon(path, {QPointF(s, m + 2.0), QPointF(x + 10.3, kCapTop), QPointF(x + 14.0, kCapTop),
                       QPointF(x + 7.6, m + 0.1), QPointF(x + 14.2, kBase),
                       QPointF(x + 10.5, kBase), QPointF(s, m - 2.0)});
  return path;
}

BezierPath letterO(double x) {
  const QPointF center(x + 6, kBase + 5.25);
  BezierPath path;
  appendEllipse(path, center, 6, 5.25, false);
  appendEllipse(path, center, 3.0, 2.6, true); // the counter
  return path;
}

BezierPath letterR(double x) {
  BezierPath path;
  path.moveTo(QPointF(x, kBase));
  path.lineTo(QPointF(x + 3, kBase));
  path.lineTo(QPointF(x + 3, kXTop - 4.2));
  path.curveTo(QPointF(x + 7.2, kXTop - 2.7), QPointF(x + 3, kXTop - 3.0),
               QPointF(x + 5.2, kXTop - 2.7));
  path.lineTo(QPointF(x + 8, kXTop - 2.7));
  path.lineTo(QPointF(x + 8, kXTop));
  path.lineTo(QPointF(x + 7.2, kXTop));
  path.curveTo(QPointF(x + 3, kXTop - 1.4), QPointF(x + 5.2, kXTop), QPointF(x + 3.9, kXTop - 0.6));
  path.lineTo(QPointF(x + 3, kXTop));
  path.lineTo(QPointF(x, kXTop));
  path.closePath();
  return path;
}

BezierPath letterV(double x) {
  BezierPath path;
  appendPolygon(path, {QPointF(x, kXTop), QPointF(x + 3.3, kXTop), QPointF(x + 6, kBase + 3.9),
                       QPointF(x + 8.7, kXTop), QPointF(x + 12, kXTop), QPointF(x + 7.7, kBase),
                       QPointF(x + 4.3, kBase)});
  return path;
}

// A round bowl with a straight stem on its right.
BezierPath letterA(double x) {
  const QPointF center(x + 5.6, kBase + 5.25);
  BezierPath path;
  appendEllipse(path, center, 5.6, 5.25, false);
  appendPolygon(path, {QPointF(x + 9, kBase), QPointF(x + 12, kBase), QPointF(x + 12, kXTop),
                       QPointF(x + 9, kXTop)});
  appendEllipse(path, center, 2.7, 2.6, true); // the counter
  return path;
}

// A stem with an arch springing from it to a second stem.
BezierPath letterN(double x) {
  const QPointF archCenter(x + 5.25, kXTop - 4.5);
  BezierPath path;
  path.moveTo(QPointF(x, kBase));
  path.lineTo(QPointF(x + 3, kBase));
  appendEllipticalArc(path, archCenter, 2.25, 1.8, 180, 0);
  path.lineTo(QPointF(x + 7.5, kBase));
  path.lineTo(QPointF(x + 10.5, kBase));
  appendEllipticalArc(path, archCenter, 5.25, 4.5, 0, 90);
  path.lineTo(QPointF(x, kXTop));
  path.closePath();
  return path;
}

// A ring open at its low right, with a bar across its middle closing the eye.
BezierPath letterE(double x) {
  const QPointF center(x + 6, kBase + 5.25);
  const double rx = 6, ry = 5.25, innerRx = 3.6, innerRy = 3.05, halfBar = 0.9;
  const double degrees = 180.0 / M_PI;
  const double outerAtBar = -std::asin(halfBar / ry) * degrees;
  const double innerAtBar = std::asin(halfBar / innerRy) * degrees;
  const double gapEnd = 320;
  BezierPath path;
  path.moveTo(onEllipse(center, rx, ry, outerAtBar));
  appendEllipticalArc(path, center, rx, ry, outerAtBar, gapEnd);
  appendEllipticalArc(path, center, innerRx, innerRy, gapEnd, 180 + innerAtBar);
  path.closePath(); // along the bar's low edge
  // The eye, above the bar.
  path.moveTo(onEllipse(center, innerRx, innerRy, innerAtBar));
  appendEllipticalArc(path, center, innerRx, innerRy, 180 - innerAtBar, innerAtBar);
  path.closePath();
  return path;
}

BezierPath hyphen(double x) {
  return BezierPath::roundedRect(QRectF(x, kBase + 4.5, 5, 2.2), 1, 1);
}

// The R's bowl and leg (one outline) with the counter of the bowl.
BezierPath letterRBowl(double x) {
  const double bowlLow = kBase + 6.2;
  const QPointF center(x + 7.0, (bowlLow + kCapTop) / 2);
  const double rx = 4.3, ry = (kCapTop - bowlLow) / 2;
  const double legJoint = -62;
  BezierPath path;
  path.moveTo(QPointF(x + kStemR, bowlLow));
  path.lineTo(QPointF(x + 5.2, bowlLow));
  path.lineTo(QPointF(x + 9.3, kBase));
  path.lineTo(QPointF(x + 12.4, kBase));
  appendEllipticalArc(path, center, rx, ry, legJoint, 90);
  path.lineTo(QPointF(x + kStemR, kCapTop));
  path.closePath();
  // The counter, wound the other way.
  const double counterTop = kCapTop - 2.4, counterLow = bowlLow + 2.3;
  const QPointF counterCenter(center.x(), (counterTop + counterLow) / 2);
  path.moveTo(QPointF(x + kStemR, counterTop));
  appendEllipticalArc(path, counterCenter, rx - 2.5, (counterTop - counterLow) / 2, 90, -90);
  path.lineTo(QPointF(x + kStemR, counterLow));
  path.closePath();
  return path;
}

struct Placement {
  double k, o, r, v, a, n, e, hyphen, capitalR;
};

// Letter positions, the whole word centred on the canvas.
Placement placement() {
  const double widths[] = {14.2, 12, 8, 12, 12, 10.5, 12, 5, 12.4};
  const double gaps[] = {2.5, 2.5, 1.5, 2.0, 2.5, 2.5, 2.0, 2.0};
  double total = 0;
  for (double w : widths)
    total += w;
  for (double g : gaps)
    total += g;
  double x = (kLogoCanvas.width() - total) / 2;
  double at[9];
  for (int i = 0; i < 9; ++i) {
    at[i] = x;
    x += widths[i] + (i < 8 ? gaps[i] : 0);
  }
  return Placement{at[0], at[1], at[2], at[3], at[4], at[5], at[6], at[7], at[8]};
}

} // namespace

void KorvaneStyleKit::drawLogo(const QRectF& frame, ResizingBehavior resizing) {
  ResizedDrawing canvas(context(), kLogoCanvas, frame, resizing);
  GraphicsContext& gc = context();
  const Shadow shadow = canvas.scaled(Shadow{black(), QPointF(0.5, -0.5), 1.0});
  auto fillWhite = [&](const BezierPath& shape) {
    gc.saveState();
    gc.setShadow(shadow);
    gc.fill(shape, white());
    gc.restoreState();
  };
  const Placement at = placement();
  for (const BezierPath& letter : {letterKArms(at.k), letterO(at.o), letterR(at.r), letterV(at.v),
                                   letterA(at.a), letterN(at.n), letterE(at.e), hyphen(at.hyphen)})
    fillWhite(letter);
  fillWhite(BezierPath::roundedRect(QRectF(at.capitalR, kBase, kStemR, 14), 1, 1));
  fillWhite(BezierPath::roundedRect(QRectF(at.k, kBase, kStemK, 14), 1, 1));
  fillWhite(letterRBowl(at.capitalR));
}

} // namespace kr
