// The kit's window background, calendar event box, time bubble and the
// smaller frame-relative pieces.
#include "art/KorvaneStyleKit.h"

#include "platform/drawing/GraphicsContext.h"
#include "platform/drawing/SystemFont.h"

#include <cmath>

namespace kr {

namespace {

GraphicsContext& context() { return *GraphicsContext::current(); }

double maxX(const QRectF& rect) { return rect.x() + rect.width(); }
double maxY(const QRectF& rect) { return rect.y() + rect.height(); }

// An edge at fraction `f` of a stretching group, rounded to whole points.
double groupEdge(double origin, double extent, double f) {
  return origin + std::floor(extent * f + 0.5);
}

// The text laid out from the low edge of `box` upwards (a text taller than
// the box runs past its high edge), clipped to the box.
void drawTextAnchoredAtLowEdge(const QString& text, const QRectF& box, const QFont& font,
                               const QColor& color) {
  GraphicsContext& gc = context();
  const double height = GraphicsContext::measureText(text, font, box.width()).height();
  gc.saveState();
  gc.clipToRect(box);
  gc.drawText(text, QRectF(box.x(), box.y(), box.width(), height), font, color, Qt::AlignHCenter);
  gc.restoreState();
}

} // namespace

const QColor& KorvaneStyleKit::white() {
  static const QColor c = QColor::fromRgbF(1.0f, 1.0f, 1.0f);
  return c;
}

const QColor& KorvaneStyleKit::black() {
  static const QColor c = QColor::fromRgbF(0.0f, 0.0f, 0.0f);
  return c;
}

const QColor& KorvaneStyleKit::lightGray() {
  static const QColor c = QColor::fromRgbF(0.667f, 0.667f, 0.667f);
  return c;
}

QFont KorvaneStyleKit::labelFont() { return systemFontOfSize(10); }

QFont KorvaneStyleKit::smallSystemFont() { return systemFontOfSize(11); }

void KorvaneStyleKit::drawBackground(const QRectF& frame) {
  GraphicsContext& gc = context();
  const Gradient gradient({n8(), blendedColor(n8(), n6(), 0.5), n6()}, {0.0, 0.1, 1.0});
  gc.fillRect(frame, n2());

  // Both bands stretch with the frame's width.
  const double left = groupEdge(frame.x(), frame.width(), 0.0);
  const double width = groupEdge(frame.x(), frame.width(), 1.0) - left;

  // The low band, darkest at the bottom, with a two-tone rule along its top.
  const double low = frame.y();
  gc.drawLinearGradient(gradient, BezierPath::rect(QRectF(left, low, width, 37)), 90);
  gc.fillRect(QRectF(left, low + 36, width, 1), n8());
  gc.fillRect(QRectF(left, low + 35.5, width, 1), n1());

  // The high band, darkest at the top, leaving the frame's highest row;
  // painted last, it covers the low band where a short frame makes them meet.
  const double high = maxY(frame) - 37;
  gc.drawLinearGradient(gradient, BezierPath::rect(QRectF(left, high, width, 36)), -90);
}

void KorvaneStyleKit::drawEventView(const QRectF& frame, bool leftTerminator, bool rightTerminator,
                                    const QString& label) {
  GraphicsContext& gc = context();
  gc.fillRect(QRectF(frame.x() + 1, maxY(frame) - 28, frame.width() - 1, 1), white());
  if (rightTerminator)
    gc.fillRect(QRectF(maxX(frame) - 1, maxY(frame) - 32, 1, 9), white());
  if (leftTerminator)
    gc.fillRect(QRectF(frame.x(), maxY(frame) - 32, 1, 9), white());
  const QRectF textRect(frame.x() + 1, frame.y() + 7, frame.width() - 2, frame.height() - 8);
  drawTextAnchoredAtLowEdge(label, textRect, labelFont(), white());
}

void KorvaneStyleKit::drawBubbleWithArrowOnTop(const QRectF& frame, const QString& label,
                                               double horizontalCenter) {
  GraphicsContext& gc = context();
  const QRectF textRect(frame.x() + 1, maxY(frame) - 17, frame.width() - 2, 10);
  drawTextInBox(label, textRect, smallSystemFont(), lightGray(), Qt::AlignHCenter, QPointF(0, 0));

  // The chevron stands in the view's own coordinates, whatever the frame.
  gc.saveState();
  gc.translate(horizontalCenter - 3.5, 20.5);
  gc.stroke(BezierPath::polyline({QPointF(0, 0), QPointF(3, 3), QPointF(6, 0)}), lightGray(), 1);
  gc.restoreState();
}

void KorvaneStyleKit::drawAlternativeOption(const QRectF& frame) {
  const QColor first = QColor::fromRgbF(0.9f, 0.94f, 1.0f);
  const QColor second = QColor::fromRgbF(0.902f, 0.929f, 0.97f);
  const Gradient gradient({first, blendedColor(first, second, 0.5), second}, {0.0, 0.49, 0.99});

  // Rounded at both low corners and the high right one; square at the high left.
  const QRectF r(frame.x() + 1, frame.y() + 1, frame.width() - 2, frame.height() - 2);
  const double radius = 3;
  BezierPath shape;
  shape.moveTo(QPointF(r.x(), maxY(r)));
  shape.appendArc(QPointF(r.x() + radius, r.y() + radius), radius, 180, 270);
  shape.appendArc(QPointF(maxX(r) - radius, r.y() + radius), radius, 270, 360);
  shape.appendArc(QPointF(maxX(r) - radius, maxY(r) - radius), radius, 0, 90);
  shape.closePath();
  context().drawLinearGradient(gradient, shape, -90);
}

void KorvaneStyleKit::drawTagTokenFieldBackground(const QRectF& frame) {
  context().fill(BezierPath::roundedRect(frame, 1, 1), n4());
}

void KorvaneStyleKit::drawPadBackground(const QRectF&) {}

void KorvaneStyleKit::drawSegmentedControl(const QRectF&) {}

void KorvaneStyleKit::drawHighlightedSegmentedControl(const QRectF&) {}

} // namespace kr
