#include "platform/drawing/BezierPath.h"

#include "platform/drawing/BezierFunctions.h"

#include <cmath>

namespace kr {

using Type = BezierPath::ElementType;

// --- Building --------------------------------------------------------------------------------

BezierPath BezierPath::rect(const QRectF& rect) {
  BezierPath path;
  path.appendRect(rect);
  return path;
}

BezierPath BezierPath::roundedRect(const QRectF& rect, double xRadius, double yRadius) {
  QPainterPath shape;
  shape.addRoundedRect(rect.normalized(), xRadius, yRadius);
  BezierPath path;
  path.appendShape(shape, true);
  return path;
}

BezierPath BezierPath::oval(const QRectF& rect) {
  QPainterPath shape;
  shape.addEllipse(rect.normalized());
  BezierPath path;
  path.appendShape(shape, true);
  return path;
}

BezierPath BezierPath::polyline(std::initializer_list<QPointF> points) {
  BezierPath path;
  bool first = true;
  for (const QPointF& point : points) {
    if (first)
      path.moveTo(point);
    else
      path.lineTo(point);
    first = false;
  }
  return path;
}

BezierPath BezierPath::polygon(std::initializer_list<QPointF> points) {
  BezierPath path = polyline(points);
  path.closePath();
  return path;
}

BezierPath BezierPath::fromPainterPath(const QPainterPath& painterPath) {
  BezierPath path;
  path.setEvenOddWinding(painterPath.fillRule() == Qt::OddEvenFill);
  path.appendShape(painterPath, false);
  return path;
}

// Adds the elements of a QPainterPath; a subpath that returns to its start is
// closed, and so is the last one when `closed`.
void BezierPath::appendShape(const QPainterPath& shape, bool closed) {
  QPointF start;
  int subpathLength = 0;
  auto closeIfReturned = [&](bool force) {
    if (subpathLength > 1 && (force || current_ == start))
      closePath();
  };
  for (int i = 0; i < shape.elementCount(); ++i) {
    const QPainterPath::Element e = shape.elementAt(i);
    switch (e.type) {
    case QPainterPath::MoveToElement:
      closeIfReturned(false);
      start = e;
      subpathLength = 1;
      moveTo(e);
      break;
    case QPainterPath::LineToElement:
      lineTo(e);
      ++subpathLength;
      break;
    case QPainterPath::CurveToElement:
      curveTo(shape.elementAt(i + 2), e, shape.elementAt(i + 1));
      i += 2;
      ++subpathLength;
      break;
    case QPainterPath::CurveToDataElement:
      break;
    }
  }
  closeIfReturned(closed);
}

void BezierPath::ensureCurrentPoint() {
  if (!hasCurrentPoint_)
    moveTo(current_);
}

void BezierPath::appendElement(const Element& element) {
  switch (element.type) {
  case Type::moveTo:
    if (!elements_.empty() && elements_.back().type == Type::moveTo)
      elements_.pop_back();
    elements_.push_back(element);
    path_.moveTo(element.points[0]);
    current_ = subpathStart_ = element.points[0];
    hasCurrentPoint_ = true;
    return;
  case Type::lineTo:
    elements_.push_back(element);
    path_.lineTo(element.points[0]);
    current_ = element.points[0];
    return;
  case Type::curveTo:
    elements_.push_back(element);
    path_.cubicTo(element.points[0], element.points[1], element.points[2]);
    current_ = element.points[2];
    return;
  case Type::closePath:
    elements_.push_back(element);
    path_.closeSubpath();
    // The next line or curve starts a new subpath where this one started.
    current_ = subpathStart_;
    hasCurrentPoint_ = false;
    return;
  }
}

void BezierPath::moveTo(QPointF point) { appendElement({Type::moveTo, {point}}); }

void BezierPath::lineTo(QPointF point) {
  ensureCurrentPoint();
  appendElement({Type::lineTo, {point}});
}

void BezierPath::curveTo(QPointF end, QPointF control1, QPointF control2) {
  ensureCurrentPoint();
  appendElement({Type::curveTo, {control1, control2, end}});
}

void BezierPath::closePath() {
  if (elements_.empty() || elements_.back().type == Type::closePath)
    return;
  appendElement({Type::closePath, {subpathStart_}});
}

void BezierPath::appendArc(QPointF center, double radius, double startAngle, double endAngle,
                           bool clockwise) {
  double sweep = endAngle - startAngle;
  if (!clockwise && sweep < 0)
    sweep += 360.0 * std::ceil(-sweep / 360.0);
  if (clockwise && sweep > 0)
    sweep -= 360.0 * std::ceil(sweep / 360.0);
  const double start = startAngle * M_PI / 180.0;
  const QPointF first(center.x() + radius * std::cos(start), center.y() + radius * std::sin(start));
  if (hasCurrentPoint_)
    lineTo(first);
  else
    moveTo(first);
  // QPainterPath::arcTo measures angles with y down; negating them sweeps in
  // y-up drawing coordinates.
  QPainterPath arc;
  arc.moveTo(first);
  const QRectF box(center.x() - radius, center.y() - radius, 2 * radius, 2 * radius);
  arc.arcTo(box, -startAngle, -sweep);
  for (int i = 1; i < arc.elementCount(); ++i) {
    const QPainterPath::Element e = arc.elementAt(i);
    if (e.type == QPainterPath::CurveToElement) {
      curveTo(arc.elementAt(i + 2), e, arc.elementAt(i + 1));
      i += 2;
    } else if (e.type == QPainterPath::LineToElement && QPointF(e) != current_) {
      lineTo(e);
    }
  }
}

void BezierPath::appendRect(const QRectF& rect) {
  const QRectF r = rect.normalized();
  moveTo(r.topLeft()); // y up: QRectF's top is the minimum y
  lineTo(r.topRight());
  lineTo(r.bottomRight());
  lineTo(r.bottomLeft());
  closePath();
}

void BezierPath::append(const BezierPath& other) {
  for (const Element& element : other.elements_) {
    if (element.type == Type::closePath)
      closePath();
    else
      appendElement(element);
  }
}

void BezierPath::transform(const QTransform& transform) {
  *this = mapped([&](QPointF p) { return transform.map(p); });
}

void BezierPath::setEvenOddWinding(bool evenOdd) {
  path_.setFillRule(evenOdd ? Qt::OddEvenFill : Qt::WindingFill);
}

bool BezierPath::usesEvenOddWinding() const { return path_.fillRule() == Qt::OddEvenFill; }

// --- Editing ---------------------------------------------------------------------------------

BezierPath BezierPath::emptyCopy() const {
  BezierPath copy;
  copy.setEvenOddWinding(usesEvenOddWinding());
  copy.lineWidth_ = lineWidth_;
  copy.lineJoinStyle_ = lineJoinStyle_;
  copy.miterLimit_ = miterLimit_;
  return copy;
}

template <typename Map> BezierPath BezierPath::mapped(Map map) const {
  BezierPath copy = emptyCopy();
  for (const Element& element : elements_) {
    switch (element.type) {
    case Type::moveTo:
      copy.moveTo(map(element.points[0]));
      break;
    case Type::lineTo:
      copy.lineTo(map(element.points[0]));
      break;
    case Type::curveTo:
      copy.curveTo(map(element.points[2]), map(element.points[0]), map(element.points[1]));
      break;
    case Type::closePath:
      copy.closePath();
      break;
    }
  }
  return copy;
}

BezierPath BezierPath::pathFromVFlipAtPoint(QPointF point) const {
  return mapped([point](QPointF p) {
    FlipPointV(p, point);
    return p;
  });
}

BezierPath BezierPath::pathFromHFlipAtPoint(QPointF point) const {
  return mapped([point](QPointF p) {
    FlipPointH(p, point);
    return p;
  });
}

QList<QPointF> BezierPath::controlPoints() const {
  QList<QPointF> points;
  for (const Element& element : elements_) {
    if (element.type == Type::closePath)
      break;
    const int count = element.type == Type::curveTo ? 3 : 1;
    for (int i = 0; i < count; ++i)
      points.append(element.points[size_t(i)]);
  }
  return points;
}

int BezierPath::numControlPoints() const {
  int count = 0;
  for (const Element& element : elements_) {
    if (element.type == Type::closePath)
      break;
    count += element.type == Type::curveTo ? 3 : 1;
  }
  return count;
}

BezierPath BezierPath::pathFromMovingControlPoint(int index, QPointF point) const {
  BezierPath copy = emptyCopy();
  int number = 0;
  auto at = [&](QPointF original) { return number++ == index ? point : original; };
  for (const Element& element : elements_) {
    if (element.type == Type::closePath) {
      copy.closePath();
      break;
    }
    if (element.type == Type::curveTo) {
      const QPointF control1 = at(element.points[0]);
      const QPointF control2 = at(element.points[1]);
      copy.curveTo(at(element.points[2]), control1, control2);
    } else if (element.type == Type::moveTo) {
      copy.moveTo(at(element.points[0]));
    } else {
      copy.lineTo(at(element.points[0]));
    }
  }
  return copy;
}

bool BezierPath::pointInStroke(QPointF point) const {
  const float width = float(lineWidth_);
  const double half = width / 2.0;
  if (!bounds().adjusted(-half, -half, half, half).contains(point))
    return false;
  const float tolerance = width / 2.0f + 2.0f;
  QPointF current, start;
  for (const Element& element : elements_) {
    switch (element.type) {
    case Type::moveTo:
      current = start = element.points[0];
      break;
    case Type::lineTo:
      if (IsPointOnLine(point, current, element.points[0], tolerance))
        return true;
      current = element.points[0];
      break;
    case Type::curveTo: {
      const CubicCurve curve{current, element.points[0], element.points[1], element.points[2]};
      if (V2DistanceBetween2Points(point, NearestPointOnCurve(point, curve)) <= tolerance)
        return true;
      current = element.points[2];
      break;
    }
    case Type::closePath:
      if (IsPointOnLine(point, current, start, tolerance))
        return true;
      current = start;
      break;
    }
  }
  return false;
}

} // namespace kr
