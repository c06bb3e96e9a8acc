#include "window/TitleBarButton.h"

#include "art/KorvaneStyleKit.h"
#include "platform/drawing/GraphicsContext.h"

namespace kr {

TitleBarButton::TitleBarButton(Glyph glyph, QWidget* parent)
    : PushButtonBrick(parent), glyph_(glyph) {
  const bool close = glyph == Glyph::close;
  setObjectName(close ? QStringLiteral("closeButton") : QStringLiteral("miniaturizeButton"));
  setToolTip(close ? QStringLiteral("Close") : QStringLiteral("Minimize"));
  setAccessibleName(toolTip());
  setFixedSize(kWidth, kHeight);
  setFocusPolicy(Qt::NoFocus);
  setAttribute(Qt::WA_Hover);
  normalDrawFunc =
      ButtonDrawingFuncType::plain([this](const QRectF& frame) { draw(frame, false); });
  highlightedDrawFunc =
      ButtonDrawingFuncType::plain([this](const QRectF& frame) { draw(frame, true); });
}

void TitleBarButton::draw(const QRectF& frame, bool pressed) const {
  GraphicsContext* context = GraphicsContext::current();
  if (!context)
    return;
  // The kit's button fills a 13 by 16 canvas (drawing coordinates, y up)
  // with a circle of 12 at (1, 1).
  const QRectF canvas(frame.x(), frame.y(), 13, 16);
  KorvaneStyleKit::drawTitleBarRoundButton(canvas);
  const BezierPath circle = BezierPath::oval(QRectF(frame.x() + 1, frame.y() + 1, 12, 12));
  if (pressed)
    context->fill(circle, QColor(0, 0, 0, 80));
  else if (underMouse())
    context->fill(circle, QColor(255, 255, 255, 60));
  const double cx = frame.x() + 7;
  const double cy = frame.y() + 7;
  BezierPath mark;
  if (glyph_ == Glyph::close) {
    mark.moveTo({cx - 2.5, cy - 2.5});
    mark.lineTo({cx + 2.5, cy + 2.5});
    mark.moveTo({cx - 2.5, cy + 2.5});
    mark.lineTo({cx + 2.5, cy - 2.5});
  } else {
    mark.moveTo({cx - 3, cy});
    mark.lineTo({cx + 3, cy});
  }
  context->stroke(mark, KorvaneStyleKit::n10(), 1.4, Qt::RoundCap);
}

} // namespace kr
