#include "art/SilverWheel.h"

#include "art/ResizingBehavior.h"
#include "platform/drawing/GraphicsContext.h"

#include <QTransform>

namespace kr {

namespace {

QColor grey(double white, double alpha = 1.0) {
  return QColor::fromRgbF(white, white, white, alpha);
}

constexpr QPointF kCentre{12.0, 12.0};

QRectF circle(double radius) {
  return {kCentre.x() - radius, kCentre.y() - radius, 2 * radius, 2 * radius};
}

// Light at the top, darker towards the bottom, as polished metal under a
// lamp above it.
Gradient silver(double top, double bottom) { return Gradient::between(grey(bottom), grey(top)); }

void drawRim(GraphicsContext& gc) {
  BezierPath rim = BezierPath::oval(circle(11.0));
  rim.append(BezierPath::oval(circle(8.5)));
  rim.setEvenOddWinding(true);
  gc.drawLinearGradient(silver(0.95, 0.58), rim, 90);
  gc.stroke(BezierPath::oval(circle(11.0)), grey(0.36), 0.75);
  gc.stroke(BezierPath::oval(circle(8.5)), grey(0.46), 0.5);
  // The glint along the rim's upper left.
  BezierPath glint;
  glint.appendArc(kCentre, 9.8, 105.0, 165.0);
  gc.stroke(glint, grey(1.0, 0.8), 0.8, Qt::RoundCap);
}

void drawSpokes(GraphicsContext& gc) {
  for (int k = 0; k < 6; ++k) {
    BezierPath spoke = BezierPath::rect(QRectF(-0.8, 2.5, 1.6, 6.3));
    QTransform turn;
    turn.translate(kCentre.x(), kCentre.y());
    turn.rotate(60.0 * k);
    spoke.transform(turn);
    gc.fill(spoke, grey(0.8));
    gc.stroke(spoke, grey(0.45), 0.4);
  }
}

void drawHub(GraphicsContext& gc) {
  const BezierPath hub = BezierPath::oval(circle(3.2));
  gc.drawLinearGradient(silver(0.97, 0.62), hub, 90);
  gc.stroke(hub, grey(0.4), 0.6);
  gc.fill(BezierPath::oval(circle(1.0)), grey(0.5));
}

} // namespace

void SilverWheel::draw(const QRectF& frame) {
  GraphicsContext* context = GraphicsContext::current();
  if (!context)
    return;
  ResizedDrawing drawing(*context, kSize, frame, ResizingBehavior::fit);
  drawSpokes(*context);
  drawRim(*context);
  drawHub(*context);
}

const DrawnImage& SilverWheel::image() {
  static const DrawnImage wheel(kSize, [](const QRectF& frame) { draw(frame); });
  return wheel;
}

} // namespace kr
