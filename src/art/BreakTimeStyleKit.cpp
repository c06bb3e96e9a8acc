#include "art/BreakTimeStyleKit.h"

#include "art/KorvaneStyleKit.h"
#include "platform/drawing/GraphicsContext.h"

namespace kr {

namespace {

// The desktop's dark grey.
const QColor darkGrey = QColor::fromRgbF(1.0f / 3, 1.0f / 3, 1.0f / 3);

// The slice of the disc round `centre` from angle `from` clockwise to `to`.
BezierPath clockwiseWedge(QPointF centre, double radius, double from, double to) {
  BezierPath wedge;
  wedge.moveTo(centre);
  wedge.appendArc(centre, radius, from, to, true);
  wedge.lineTo(centre);
  wedge.closePath();
  return wedge;
}

BezierPath playTriangle() { return BezierPath::polygon({{4, 2}, {4, 14}, {14, 8}}); }

void fillAtHalfOpacity(GraphicsContext& context, const BezierPath& path) {
  context.saveState();
  context.setAlpha(0.5);
  context.fill(path, Qt::black);
  context.restoreState();
}

// Runs `draw` with the current context while the 16 x 16 button canvas is
// mapped into the frame.
template <typename Draw>
void drawButton(const QRectF& frame, ResizingBehavior resizing, Draw draw) {
  GraphicsContext* context = GraphicsContext::current();
  if (!context)
    return;
  ResizedDrawing drawing(*context, QSizeF(16.0, 16.0), frame, resizing);
  draw(*context);
}

} // namespace

const QColor& BreakTimeStyleKit::flashColor() {
  static const QColor color = QColor::fromRgbF(0.214f, 0.24f, 0.325f, 1.0f);
  return color;
}

void BreakTimeStyleKit::drawLockIcon(const QRectF& frame, ResizingBehavior resizing,
                                     double endAngle, unsigned layers) {
  GraphicsContext* context = GraphicsContext::current();
  if (!context)
    return;
  ResizedDrawing drawing(*context, QSizeF(39.0, 39.0), frame, resizing);

  const QRectF disc(4.0, 3.0, 32.0, 32.0);
  if (layers & lockDisc)
    context->fill(BezierPath::oval(disc), QColor::fromRgbF(0.244f, 0.244f, 0.244f, 1.0f));

  if (layers & lockWedge) {
    context->fill(clockwiseWedge(disc.center(), 16.0, 90.0, 90.0 - endAngle), Qt::white);
  }
  if (!(layers & lockPadlock))
    return;

  // The body with its keyhole: two closed outlines filled even-odd.
  BezierPath body = BezierPath::roundedRect(QRectF(13.0, 10.0, 14.0, 11.0), 1.5, 1.5);
  body.append(BezierPath::oval(QRectF(18.5, 14.0, 3.0, 3.0)));
  body.setEvenOddWinding(true);
  context->fill(body, Qt::black);

  // The shackle: raised by one and its left leg clear of the body when open.
  const bool open = isShackleOpen(endAngle);
  const double lift = open ? 1.0 : 0.0;
  BezierPath shackle;
  shackle.moveTo({16.0, (open ? 22.5 : 20.0) + lift});
  shackle.lineTo({16.0, 24.0 + lift});
  shackle.appendArc({20.0, 24.0 + lift}, 4.0, 180.0, 0.0, true);
  shackle.lineTo({24.0, 20.0 + lift});
  context->stroke(shackle, Qt::black, 2.2);
}

void BreakTimeStyleKit::drawStatusItem(double endAngle) {
  GraphicsContext* context = GraphicsContext::current();
  if (!context)
    return;
  context->stroke(BezierPath::oval(QRectF(2.5, 2.5, 12.5, 12.5)), darkGrey, 1.5, Qt::RoundCap);
  const QRectF disc(4.0, 4.0, 9.5, 9.5);
  context->fill(clockwiseWedge(disc.center(), 4.75, 90.0, endAngle + 90.0), darkGrey);
}

DrawnImage BreakTimeStyleKit::imageOfStatusItem(double endAngle) {
  return DrawnImage(QSizeF(18.0, 18.0), [endAngle](const QRectF&) { drawStatusItem(endAngle); });
}

void BreakTimeStyleKit::drawPlayButton(const QRectF& frame, ResizingBehavior resizing) {
  drawButton(frame, resizing, [](GraphicsContext& c) { c.fill(playTriangle(), Qt::black); });
}

void BreakTimeStyleKit::drawPauseButton(const QRectF& frame, ResizingBehavior resizing) {
  drawButton(frame, resizing, [](GraphicsContext& c) {
    c.fillRect(QRectF(3, 2, 3, 12), Qt::black);
    c.fillRect(QRectF(10, 2, 3, 12), Qt::black);
  });
}

void BreakTimeStyleKit::drawFastForwardButton(const QRectF& frame, ResizingBehavior resizing) {
  drawButton(frame, resizing, [](GraphicsContext& c) {
    fillAtHalfOpacity(c, BezierPath::polygon({{1, 3}, {1, 13}, {8, 8}}));
    fillAtHalfOpacity(c, BezierPath::polygon({{8, 3}, {8, 13}, {15, 8}}));
  });
}

void BreakTimeStyleKit::drawTransparentPlayButton(const QRectF& frame, ResizingBehavior resizing) {
  drawButton(frame, resizing, [](GraphicsContext& c) { fillAtHalfOpacity(c, playTriangle()); });
}

void BreakTimeStyleKit::drawAddButton(const QRectF& frame, ResizingBehavior resizing) {
  drawButton(frame, resizing, [](GraphicsContext& c) {
    c.fillRect(QRectF(2, 7, 12, 2), Qt::black);
    c.fillRect(QRectF(7, 2, 2, 12), Qt::black);
  });
}

DrawnImage BreakTimeStyleKit::imageOfPlayButton() {
  return KorvaneStyleKit::cachedImage("BreakTimePlayButton", QSizeF(16, 16), drawPlayButton);
}

DrawnImage BreakTimeStyleKit::imageOfPauseButton() {
  return KorvaneStyleKit::cachedImage("BreakTimePauseButton", QSizeF(16, 16), drawPauseButton);
}

DrawnImage BreakTimeStyleKit::imageOfFastForwardButton() {
  return KorvaneStyleKit::cachedImage("BreakTimeFastForwardButton", QSizeF(16, 16),
                                      drawFastForwardButton);
}

DrawnImage BreakTimeStyleKit::imageOfTransparentPlayButton() {
  return KorvaneStyleKit::cachedImage("BreakTimeTransparentPlayButton", QSizeF(16, 16),
                                      drawTransparentPlayButton);
}

DrawnImage BreakTimeStyleKit::imageOfAddButton() {
  return KorvaneStyleKit::cachedImage("BreakTimeAddButton", QSizeF(16, 16), drawAddButton);
}

} // namespace kr
