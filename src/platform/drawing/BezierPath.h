#pragma once

#include <QList>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <QTransform>

#include <array>
#include <initializer_list>
#include <vector>

namespace kr {

// A path in drawing coordinates (y up, angles in degrees counter-clockwise).
// It keeps its own list of elements (moves, lines, cubic curves and explicit
// closes) beside the QPainterPath it draws with, plus the stroke settings it
// carries (line width, join style, miter limit).
class BezierPath {
public:
  enum class ElementType { moveTo, lineTo, curveTo, closePath };
  // A move or line holds its point in `points[0]`; a curve holds its first
  // control point, its second control point and its end, in that order; a
  // close holds the start point of the subpath it closes.
  struct Element {
    ElementType type;
    std::array<QPointF, 3> points;
    bool operator==(const Element& other) const = default;
  };

  // Filled with the non-zero winding rule unless set otherwise.
  BezierPath() { path_.setFillRule(Qt::WindingFill); }

  static BezierPath rect(const QRectF& rect);
  static BezierPath roundedRect(const QRectF& rect, double xRadius, double yRadius);
  static BezierPath oval(const QRectF& rect);
  // The open path through `points`, in order.
  static BezierPath polyline(std::initializer_list<QPointF> points);
  // The closed outline through `points`, in order.
  static BezierPath polygon(std::initializer_list<QPointF> points);
  // The elements of a QPainterPath; a subpath that ends where it started is
  // closed.
  static BezierPath fromPainterPath(const QPainterPath& path);

  // A line or curve without a current point starts from the start of the
  // subpath closed last (or from the origin); a move right after a move
  // replaces it.
  void moveTo(QPointF point);
  void lineTo(QPointF point);
  void curveTo(QPointF end, QPointF control1, QPointF control2);
  // An arc of the circle around `center` from `startAngle` to `endAngle`
  // (degrees, counter-clockwise from the positive x axis); counter-clockwise
  // unless `clockwise`. Joins the current point with a line when there is one.
  void appendArc(QPointF center, double radius, double startAngle, double endAngle,
                 bool clockwise = false);
  void appendRect(const QRectF& rect);
  void append(const BezierPath& other);
  void closePath();
  // Maps every point of the path.
  void transform(const QTransform& transform);

  void setEvenOddWinding(bool evenOdd);
  bool usesEvenOddWinding() const;
  void setLineWidth(double width) { lineWidth_ = width; }
  double lineWidth() const { return lineWidth_; }
  void setLineJoinStyle(Qt::PenJoinStyle style) { lineJoinStyle_ = style; }
  Qt::PenJoinStyle lineJoinStyle() const { return lineJoinStyle_; }
  // The longest miter as a multiple of the line width, measured across the
  // whole join (10 unless set); a sharper join is bevelled.
  void setMiterLimit(double limit) { miterLimit_ = limit; }
  double miterLimit() const { return miterLimit_; }
  // The miter limit in QPen's measure (from the join point outwards).
  double penMiterLimit() const { return miterLimit_ / 2.0; }

  const std::vector<Element>& elements() const { return elements_; }
  int elementCount() const { return int(elements_.size()); }
  QPointF currentPoint() const { return current_; }

  // The bounds of the drawn outline (control points lying off it excluded).
  QRectF bounds() const { return path_.boundingRect(); }
  bool isEmpty() const { return path_.isEmpty(); }
  bool contains(QPointF point) const { return path_.contains(point); }
  const QPainterPath& painterPath() const { return path_; }

  // Path editing. The flips copy the path with every point mirrored about
  // the horizontal (V) or vertical (H) line through `point`.
  BezierPath pathFromVFlipAtPoint(QPointF point) const;
  BezierPath pathFromHFlipAtPoint(QPointF point) const;
  // One point for a move or line, three for a curve (both control points and
  // the end); the walk stops at the first close.
  QList<QPointF> controlPoints() const;
  int numControlPoints() const;
  // A copy, up to and including the first close, with control point `index`
  // (numbered as in `controlPoints`) replaced by `point`.
  BezierPath pathFromMovingControlPoint(int index, QPointF point) const;
  // Whether `point` lies on the stroke: within half the line width plus 2 of
  // a line, curve or closing segment.
  bool pointInStroke(QPointF point) const;

private:
  void appendElement(const Element& element);
  void appendShape(const QPainterPath& shape, bool closed);
  void ensureCurrentPoint();
  BezierPath emptyCopy() const;
  template <typename Map> BezierPath mapped(Map map) const;

  std::vector<Element> elements_;
  QPainterPath path_;
  QPointF current_;
  QPointF subpathStart_;
  bool hasCurrentPoint_ = false;
  double lineWidth_ = 1.0;
  Qt::PenJoinStyle lineJoinStyle_ = Qt::MiterJoin;
  double miterLimit_ = 10.0;
};

} // namespace kr
