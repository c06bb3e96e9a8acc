#include "platform/BezierPath.h"

#include <cmath>

namespace kr {

BezierPath BezierPath::rect(const QRectF& rect) {
  BezierPath path;
  path.appendRect(rect);
  return path;
}

BezierPath BezierPath::roundedRect(const QRectF& rect, double xRadius, double yRadius) {
  BezierPath path;
  path.path_.addRoundedRect(rect.normalized(), xRadius, yRadius);
  return path;
}

BezierPath BezierPath::oval(const QRectF& rect) {
  BezierPath path;
  path.path_.addEllipse(rect.normalized());
  return path;
}

BezierPath BezierPath::polyline(std::initializer_list<QPointF> points) {
  BezierPath path;
  for (const QPointF& point : points) {
    if (path.path_.elementCount() == 0)
      path.moveTo(point);
    else
      path.lineTo(point);
  }
  return path;
}

BezierPath BezierPath::polygon(std::initializer_list<QPointF> points) {
  BezierPath path = polyline(points);
  path.closePath();
  return path;
}

void BezierPath::moveTo(QPointF point) { path_.moveTo(point); }

void BezierPath::lineTo(QPointF point) { path_.lineTo(point); }

void BezierPath::curveTo(QPointF end, QPointF control1, QPointF control2) {
  path_.cubicTo(control1, control2, end);
}

void BezierPath::appendArc(QPointF center, double radius, double startAngle, double endAngle,
                           bool clockwise) {
  // QPainterPath measures angles with y down; in y-up drawing coordinates a
  // counter-clockwise sweep is a positive angle with the y axis mirrored, so
  // the arc is built in a mirrored frame: angle a at (cx + r cos a, cy + r sin a).
  double sweep = endAngle - startAngle;
  if (!clockwise && sweep < 0)
    sweep += 360.0 * std::ceil(-sweep / 360.0);
  if (clockwise && sweep > 0)
    sweep -= 360.0 * std::ceil(sweep / 360.0);
  const double start = startAngle * M_PI / 180.0;
  const QPointF first(center.x() + radius * std::cos(start), center.y() + radius * std::sin(start));
  if (path_.elementCount() == 0)
    path_.moveTo(first);
  else
    path_.lineTo(first);
  // QPainterPath::arcTo takes y-down angles; negate them to sweep in y-up space.
  const QRectF box(center.x() - radius, center.y() - radius, 2 * radius, 2 * radius);
  path_.arcTo(box, -startAngle, -sweep);
}

void BezierPath::appendRect(const QRectF& rect) { path_.addRect(rect.normalized()); }

void BezierPath::append(const BezierPath& other) { path_.addPath(other.path_); }

void BezierPath::closePath() { path_.closeSubpath(); }

void BezierPath::setEvenOddWinding(bool evenOdd) {
  path_.setFillRule(evenOdd ? Qt::OddEvenFill : Qt::WindingFill);
}

bool BezierPath::usesEvenOddWinding() const { return path_.fillRule() == Qt::OddEvenFill; }

} // namespace kr
