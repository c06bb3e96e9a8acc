// The kit's pad selector icons, the help icon and the hide icon, with their
// cached images.
#include "art/KorvaneStyleKit.h"

#include "platform/drawing/GraphicsContext.h"
#include "platform/drawing/SystemFont.h"

namespace kr {

namespace {

GraphicsContext& context() { return *GraphicsContext::current(); }

constexpr QSizeF kIconCanvas(18, 18);

// The icons' drop shadow, in canvas units.
Shadow iconShadow() { return Shadow{KorvaneStyleKit::black(), QPointF(0.5, -0.5), 1.0}; }

// Draws the shapes of an icon inside one transparency layer, so that together
// they cast one shadow.
template <typename Shapes>
void drawWithJointShadow(const QRectF& frame, ResizingBehavior resizing, Shapes shapes) {
  ResizedDrawing canvas(context(), kIconCanvas, frame, resizing);
  GraphicsContext& gc = context();
  gc.saveState();
  gc.setShadow(canvas.scaled(iconShadow()));
  gc.beginTransparencyLayer();
  shapes(gc);
  gc.endTransparencyLayer();
  gc.restoreState();
}

// A note pad page in its colour with the black binding strip.
void drawPadPage(const QRectF& frame, ResizingBehavior resizing, const QColor& pageColor) {
  drawWithJointShadow(frame, resizing, [&](GraphicsContext& gc) {
    gc.fill(BezierPath::roundedRect(QRectF(3, 1, 12, 15), 2, 2), pageColor);
    gc.fillRect(QRectF(4, 1, 1, 15), KorvaneStyleKit::black());
  });
}

// A bar standing on y = 2 with its high corners rounded (radius 1).
BezierPath statsBar(double x, double height) {
  const double top = 2 + height;
  BezierPath bar;
  bar.moveTo(QPointF(x, 2));
  bar.lineTo(QPointF(x + 4, 2));
  bar.appendArc(QPointF(x + 3, top - 1), 1, 0, 90);
  bar.appendArc(QPointF(x + 1, top - 1), 1, 90, 180);
  bar.closePath();
  return bar;
}

// The eye of the hide icon: an almond with the pupil cut out of it.
BezierPath eye() {
  BezierPath shape;
  shape.moveTo(QPointF(1.5, 9));
  shape.curveTo(QPointF(16.5, 9), QPointF(5, 14.6), QPointF(13, 14.6));
  shape.curveTo(QPointF(1.5, 9), QPointF(13, 3.4), QPointF(5, 3.4));
  shape.closePath();
  // The pupil: a circle of radius 2.6 around the centre, in four arcs.
  const double r = 2.6, k = 0.5523 * r;
  shape.moveTo(QPointF(9 + r, 9));
  shape.curveTo(QPointF(9, 9 + r), QPointF(9 + r, 9 + k), QPointF(9 + k, 9 + r));
  shape.curveTo(QPointF(9 - r, 9), QPointF(9 - k, 9 + r), QPointF(9 - r, 9 + k));
  shape.curveTo(QPointF(9, 9 - r), QPointF(9 - r, 9 - k), QPointF(9 - k, 9 - r));
  shape.curveTo(QPointF(9 + r, 9), QPointF(9 + k, 9 - r), QPointF(9 + r, 9 - k));
  shape.closePath();
  shape.setEvenOddWinding(true);
  return shape;
}

} // namespace

void KorvaneStyleKit::drawNowPadIcon(const QRectF& frame, ResizingBehavior resizing) {
  drawPadPage(frame, resizing, lightYellow());
}

void KorvaneStyleKit::drawLaterPadIcon(const QRectF& frame, ResizingBehavior resizing) {
  drawPadPage(frame, resizing, QColor::fromRgbF(0.722f, 0.965f, 0.514f));
}

void KorvaneStyleKit::drawScratchPadIcon(const QRectF& frame, ResizingBehavior resizing) {
  drawPadPage(frame, resizing, QColor::fromRgbF(0.832f, 0.757f, 0.993f));
}

void KorvaneStyleKit::drawLogBookIcon(const QRectF& frame, ResizingBehavior resizing) {
  drawWithJointShadow(frame, resizing, [](GraphicsContext& gc) {
    gc.fill(BezierPath::roundedRect(QRectF(3, 1, 12, 15), 1, 1), white());
    gc.fillRect(QRectF(5, 10, 8, 3), black());
  });
}

void KorvaneStyleKit::drawStatsIcon(const QRectF& frame, ResizingBehavior resizing) {
  drawWithJointShadow(frame, resizing, [](GraphicsContext& gc) {
    gc.fill(statsBar(2, 12), white());
    gc.fill(statsBar(7, 8), white());
    gc.fill(statsBar(12, 4), white());
  });
}

void KorvaneStyleKit::drawHelpIcon(const QRectF& frame, ResizingBehavior resizing) {
  ResizedDrawing canvas(context(), kIconCanvas, frame, resizing);
  GraphicsContext& gc = context();
  gc.saveState();
  gc.setShadow(canvas.scaled(iconShadow()));
  drawTextInBox(QStringLiteral("?"), QRectF(1, 2, 16, 14), systemFontOfSize(17, QFont::Bold),
                white(), Qt::AlignHCenter, QPointF(0, 0));
  gc.restoreState();
}

void KorvaneStyleKit::drawHideIcon(const QRectF& frame, ResizingBehavior resizing) {
  ResizedDrawing canvas(context(), kIconCanvas, frame, resizing);
  GraphicsContext& gc = context();
  // The stroke through the icon's centre.
  gc.saveState();
  gc.translate(9, 9.1);
  gc.rotate(40.65);
  gc.fillRect(QRectF(-0.58, -8.88, 1.15, 17.75), black());
  gc.restoreState();
  gc.fill(eye(), black());
}

DrawnImage KorvaneStyleKit::imageOfHideIcon() {
  return cachedImage("HideIcon", kIconCanvas, &KorvaneStyleKit::drawHideIcon);
}

DrawnImage KorvaneStyleKit::imageOfNowPadIcon() {
  return cachedImage("NowPadIcon", kIconCanvas, &KorvaneStyleKit::drawNowPadIcon);
}

DrawnImage KorvaneStyleKit::imageOfLaterPadIcon() {
  return cachedImage("LaterPadIcon", kIconCanvas, &KorvaneStyleKit::drawLaterPadIcon);
}

DrawnImage KorvaneStyleKit::imageOfScratchPadIcon() {
  return cachedImage("ScratchPadIcon", kIconCanvas, &KorvaneStyleKit::drawScratchPadIcon);
}

DrawnImage KorvaneStyleKit::imageOfLogBookIcon() {
  return cachedImage("LogBookIcon", kIconCanvas, &KorvaneStyleKit::drawLogBookIcon);
}

DrawnImage KorvaneStyleKit::imageOfStatsIcon() {
  return cachedImage("StatsIcon", kIconCanvas, &KorvaneStyleKit::drawStatsIcon);
}

DrawnImage KorvaneStyleKit::imageOfHelpIcon() {
  return cachedImage("HelpIcon", kIconCanvas, &KorvaneStyleKit::drawHelpIcon);
}

} // namespace kr
