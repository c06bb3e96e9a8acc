#pragma once

#include <QPainterPath>
#include <QPointF>
#include <QRectF>

#include <initializer_list>

namespace kr {

// A path in drawing coordinates (y up, angles in degrees counter-clockwise).
class BezierPath {
public:
  BezierPath() = default;

  static BezierPath rect(const QRectF& rect);
  static BezierPath roundedRect(const QRectF& rect, double xRadius, double yRadius);
  static BezierPath oval(const QRectF& rect);
  // The open path through `points`, in order.
  static BezierPath polyline(std::initializer_list<QPointF> points);
  // The closed outline through `points`, in order.
  static BezierPath polygon(std::initializer_list<QPointF> points);

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

  void setEvenOddWinding(bool evenOdd);
  bool usesEvenOddWinding() const;
  void setLineWidth(double width) { lineWidth_ = width; }
  double lineWidth() const { return lineWidth_; }

  QRectF bounds() const { return path_.boundingRect(); }
  bool isEmpty() const { return path_.isEmpty(); }
  bool contains(QPointF point) const { return path_.contains(point); }
  const QPainterPath& painterPath() const { return path_; }

private:
  QPainterPath path_;
  double lineWidth_ = 1.0;
};

} // namespace kr
