// The kit's design study of a break panel.
#include "art/BreakTimeStyleKit.h"

#include "art/KorvaneStyleKit.h"
#include "art/ShadowDrawing.h"
#include "platform/drawing/GraphicsContext.h"
#include "platform/drawing/SystemFont.h"

namespace kr {

namespace {

QColor grey(float white) { return QColor::fromRgbF(white, white, white, 1.0f); }

// A rounded panel filled, shaded inside and outlined.
void drawPanel(GraphicsContext& gc, const QRectF& rect, double radius, const QColor& fill,
               const std::optional<Shadow>& innerShadow, const QColor& outline, double lineWidth) {
  const BezierPath panel = BezierPath::roundedRect(rect, radius, radius);
  gc.fill(panel, fill);
  if (innerShadow)
    drawInnerShadow(panel, *innerShadow);
  gc.stroke(panel, outline, lineWidth);
}

} // namespace

void BreakTimeStyleKit::drawCanvas1(const QRectF& frame, ResizingBehavior resizing) {
  GraphicsContext* context = GraphicsContext::current();
  if (!context)
    return;
  GraphicsContext& gc = *context;
  ResizedDrawing canvas(gc, QSizeF(385, 191), frame, resizing);

  const QColor frameFill = grey(0.876f);
  const QColor frameOutline = grey(0.657f);
  const QColor displayFill = QColor::fromRgbF(0.312f, 0.302f, 0.302f, 1.0f);
  const QColor displayOutline = QColor::fromRgbF(0.289f, 0.288f, 0.288f, 1.0f);
  const QColor digitsColor = grey(0.934f);
  const QColor captionFill = QColor::fromRgbF(0.195f, 0.196f, 0.196f, 1.0f);
  const QColor captionColor = grey(0.837f);
  QColor shadowColor = captionFill;
  shadowColor.setAlphaF(captionFill.alphaF() * 0.5f);
  const Shadow shadow = canvas.scaled(Shadow{shadowColor, QPointF(588, -2), 4});

  drawPanel(gc, QRectF(1, 1, 383, 189), 10, frameFill, std::nullopt, frameOutline, 2);
  const QRectF display(18, 48, 349, 125);
  drawPanel(gc, display, 8, displayFill, shadow, displayOutline, 1);
  const QRectF caption(18, 10, 349, 30);
  drawPanel(gc, caption, 6, captionFill, shadow, displayOutline, 1);

  QFont digitsFont = namedFontOrSystemFont(QStringLiteral("Helvetica"), 102);
  digitsFont.setWeight(QFont::Light);
  const QString digits = QStringLiteral("05:03");
  gc.saveState();
  gc.setShadow(shadow);
  KorvaneStyleKit::drawTextInBox(digits, display, digitsFont, digitsColor, Qt::AlignHCenter, {});
  gc.restoreState();
  KorvaneStyleKit::drawTextInBox(digits, display, digitsFont, digitsColor, Qt::AlignHCenter, {});
  KorvaneStyleKit::drawTextInBox(QStringLiteral("TIME REMAINING TILL BREAK"), caption,
                                 namedFontOrSystemFont(QStringLiteral("Helvetica"), 15),
                                 captionColor, Qt::AlignHCenter, {});
}

} // namespace kr
