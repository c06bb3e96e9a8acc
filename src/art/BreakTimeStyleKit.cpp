#include "art/BreakTimeStyleKit.h"

#include "platform/drawing/GraphicsContext.h"

namespace kr {

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
    BezierPath wedge;
    wedge.moveTo(disc.center());
    wedge.appendArc(disc.center(), 16.0, 90.0, 90.0 - endAngle, true);
    wedge.lineTo(disc.center());
    wedge.closePath();
    context->fill(wedge, Qt::white);
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

} // namespace kr
