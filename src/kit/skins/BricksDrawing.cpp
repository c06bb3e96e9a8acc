#include "kit/skins/BricksDrawing.h"

#include "platform/FatalError.h"
#include "platform/drawing/SystemFont.h"

#include <cmath>

namespace kr {

namespace {
QColor rgb(double r, double g, double b, double a = 1.0) {
  return QColor::fromRgbF(float(r), float(g), float(b), float(a));
}
QColor grey(double w, double a = 1.0) { return rgb(w, w, w, a); }

GraphicsContext& context() {
  GraphicsContext* current = GraphicsContext::current();
  KR_ASSERT(current, QStringLiteral("drawing without a current graphics context"));
  return *current;
}
} // namespace

const QColor& BricksDrawing::standardFill() {
  static const QColor c = grey(1.0);
  return c;
}
const QColor& BricksDrawing::standardStroke() {
  static const QColor c = grey(0.46);
  return c;
}
const QColor& BricksDrawing::standardText() {
  static const QColor c = grey(0.0);
  return c;
}
const QColor& BricksDrawing::standardHighlightedText() {
  static const QColor c = grey(1.0);
  return c;
}
const QColor& BricksDrawing::standardHighlightedStroke() {
  static const QColor c = rgb(0.0, 0.345, 0.88);
  return c;
}
const QColor& BricksDrawing::darkFill() {
  static const QColor c = rgb(0.218, 0.212, 0.212);
  return c;
}
const QColor& BricksDrawing::darkStroke() {
  static const QColor c = grey(0.8);
  return c;
}
const QColor& BricksDrawing::darkText() {
  static const QColor c = grey(0.851, 0.969);
  return c;
}
const QColor& BricksDrawing::darkHighlightedFill() {
  static const QColor c = grey(0.634);
  return c;
}
const QColor& BricksDrawing::darkHighlightedStroke() {
  static const QColor c = rgb(0.393, 0.8, 0.32, 0.0);
  return c;
}
const QColor& BricksDrawing::darkHighlightedText() {
  static const QColor c = grey(0.0);
  return c;
}
const QColor& BricksDrawing::highlightGradientStart() {
  static const QColor c = rgb(0.352, 0.666, 0.993);
  return c;
}
const QColor& BricksDrawing::highlightGradientEnd() {
  static const QColor c = rgb(0.0, 0.484, 0.905);
  return c;
}
const Gradient& BricksDrawing::standardHighlightGradient() {
  static const Gradient g({highlightGradientStart(),
                           blendedColor(highlightGradientStart(), highlightGradientEnd(), 0.5),
                           highlightGradientEnd()},
                          {0.0, 0.5, 1.0});
  return g;
}
const Shadow& BricksDrawing::lightShadow() {
  // The light grey of the platform (two thirds white) at half alpha.
  static const Shadow s{grey(2.0 / 3.0, 0.5), QPointF(0, -0.5), 2.0};
  return s;
}

QRectF BricksDrawing::buttonBodyRect(const QRectF& f) {
  return QRectF(f.x() + 6.75, f.y() + std::floor((f.height() - 19.5) * 0.38 - 0.25) + 0.75,
                f.width() - 13, 19.5);
}

void BricksDrawing::drawTitle(GraphicsContext& c, const QString& title, const QRectF& rect,
                              const QColor& color, double yShift) {
  // Left-aligned, measured and centred vertically, clipped to its rectangle.
  const QFont font = systemFontOfSize(12);
  const double height = GraphicsContext::measureText(title, font, rect.width()).height();
  c.saveState();
  c.clipToRect(rect);
  c.drawText(
      title,
      QRectF(rect.x(), rect.y() + (rect.height() - height) * 0.5 + yShift, rect.width(), height),
      font, color, Qt::AlignLeft);
  c.restoreState();
}

void BricksDrawing::drawButtonFace(const QRectF& frame, const QColor* fill,
                                   const Gradient* gradient, const QColor& stroke,
                                   const QColor& text, const Shadow* shadow, const QString& title) {
  GraphicsContext& c = context();
  const QRectF body = buttonBodyRect(frame);
  const BezierPath path = BezierPath::roundedRect(body, 4.0, 4.0);
  if (gradient) {
    c.drawLinearGradient(*gradient, path, 90);
  } else if (fill) {
    c.saveState();
    if (shadow)
      c.setShadow(*shadow);
    c.fill(path, *fill);
    c.restoreState();
  }
  c.stroke(path, stroke, 0.5, Qt::SquareCap, Qt::BevelJoin);
  // Centred in the body inset by 1 vertically, moved down by 1; not clipped.
  const QRectF titleRect = body.adjusted(0, 1, 0, -1).translated(0, -1);
  c.drawText(title, titleRect, systemFontOfSize(12), text, Qt::AlignHCenter);
}

void BricksDrawing::drawPushButton(const QRectF& frame, const QColor& genericFillColor,
                                   const QColor& genericStrokeColor, const QColor& genericTextColor,
                                   const Shadow& genericShadow, const QString& title) {
  drawButtonFace(frame, &genericFillColor, nullptr, genericStrokeColor, genericTextColor,
                 &genericShadow, title);
}

void BricksDrawing::drawPushButtonWithGradient(const QRectF& frame,
                                               const QColor& genericStrokeColor,
                                               const QColor& genericTextColor,
                                               const Gradient& genericGradient,
                                               const QString& title) {
  drawButtonFace(frame, nullptr, &genericGradient, genericStrokeColor, genericTextColor, nullptr,
                 title);
}

void BricksDrawing::drawRoundedRegularButton(const QRectF& frame, const QString& title) {
  drawButtonFace(frame, &standardFill(), nullptr, standardStroke(), standardText(), &lightShadow(),
                 title);
}

void BricksDrawing::drawRoundedRegularButtonHighlighted(const QRectF& frame, const QString& title) {
  drawButtonFace(frame, nullptr, &standardHighlightGradient(), standardHighlightedStroke(),
                 grey(1.0), nullptr, title);
}

void BricksDrawing::drawDarkRoundedRegularButton(const QRectF& frame, const QString& title) {
  drawButtonFace(frame, &darkFill(), nullptr, standardStroke(), grey(1.0), &lightShadow(), title);
}

void BricksDrawing::drawPullDownFace(const QRectF& f, const QColor& fill, const QColor& stroke,
                                     const QColor& text, const QColor& chevron,
                                     const QString& title, double titleInset) {
  GraphicsContext& c = context();
  const QRectF body(f.x() + 3.5, f.y() + std::floor((f.height() - 20) * 0.36538 - 0.25) + 0.75,
                    f.width() - 7, 20);
  const BezierPath path = BezierPath::roundedRect(body, 4.0, 4.0);
  c.saveState();
  c.setShadow(lightShadow());
  c.fill(path, fill);
  c.restoreState();
  c.stroke(path, stroke, 0.5, Qt::SquareCap, Qt::BevelJoin);
  const QRectF titleRect(f.x() + titleInset, f.y() + std::floor((f.height() - 22) * 0.36364 + 0.5),
                         f.width() - 29, 22);
  drawTitle(c, title, titleRect, text, -0.5);
  // The chevron, flipped into its small box near the right edge.
  const QRectF box(f.x() + f.width() - 18, f.y() + 10, 8, 4);
  c.saveState();
  c.clipToRect(box);
  c.translate(box.x(), box.y());
  c.translate(0, 4);
  c.scale(1, -1);
  drawCanvas3(QRectF(0, 0, 8, 4), ResizingBehavior::uncheckedFromRawValue(2), chevron);
  c.restoreState();
}

void BricksDrawing::drawRoundedPullDownButton(const QRectF& frame, const QColor& genericFillColor,
                                              const QColor& genericStrokeColor,
                                              const QColor& genericTextColor,
                                              const QString& title) {
  drawPullDownFace(frame, genericFillColor, genericStrokeColor, genericTextColor, genericTextColor,
                   title, 12);
}

void BricksDrawing::drawDarkRoundedPullDownButton(const QRectF& frame,
                                                  const QColor& genericTextColor,
                                                  const QString& title) {
  // The title is white; the chevron takes the given colour.
  drawPullDownFace(frame, darkFill(), standardStroke(), grey(1.0), genericTextColor, title, 11);
}

void BricksDrawing::drawCheckBoxFace(const QRectF& f, const QColor& fill, const QColor& stroke,
                                     const QColor& text, const QString& title, bool on) {
  GraphicsContext& c = context();
  const QRectF box(f.x() + 2.5, f.y() + f.height() - 14.5, 13, 13);
  const BezierPath path = BezierPath::roundedRect(box, 2.0, 2.0);
  c.saveState();
  c.setShadow(lightShadow());
  c.fill(path, fill);
  c.restoreState();
  c.stroke(path, stroke, 1.0);
  drawTitle(c, title, QRectF(f.x() + 19, f.y() + f.height() - 15, f.width() - 20, 15), text, -0.5);
  if (!on)
    return;
  const BezierPath mark = BezierPath::polyline({QPointF(box.x() + 3, box.y() + 6.5),
                                                QPointF(box.x() + 5.5, box.y() + 3.5),
                                                QPointF(box.x() + 10, box.y() + 9.5)});
  c.stroke(mark, text, 2.0, Qt::RoundCap, Qt::RoundJoin);
}

void BricksDrawing::drawCheckBoxInOffState(const QRectF& frame, const QColor& genericFillColor,
                                           const QColor& genericStrokeColor,
                                           const QColor& genericTextColor, const QString& title) {
  drawCheckBoxFace(frame, genericFillColor, genericStrokeColor, genericTextColor, title, false);
}

void BricksDrawing::drawCheckBoxInOnState(const QRectF& frame, const QColor& genericFillColor,
                                          const QColor& genericStrokeColor,
                                          const QColor& genericTextColor, const QString& title) {
  drawCheckBoxFace(frame, genericFillColor, genericStrokeColor, genericTextColor, title, true);
}

void BricksDrawing::drawCanvas3(const QRectF& frame, ResizingBehavior resizing,
                                const QColor& genericTextColor) {
  // Designed top-down: the pull-down faces flip the canvas, which turns the
  // point towards the bottom of the control.
  ResizedDrawing canvas(context(), QSizeF(8, 5), frame, resizing);
  const BezierPath chevron = BezierPath::polyline({QPointF(1, 1), QPointF(4, 4), QPointF(7, 1)});
  context().stroke(chevron, genericTextColor, 1.25, Qt::RoundCap, Qt::RoundJoin);
}

void BricksDrawing::drawCanvas2(const QRectF& frame, ResizingBehavior resizing) {
  ResizedDrawing canvas(context(), QSizeF(28, 18), frame, resizing);
  const BezierPath triangle = BezierPath::polygon({QPointF(2, 2), QPointF(26, 2), QPointF(14, 16)});
  context().fill(triangle, grey(0.5));
}

void BricksDrawing::drawCheck(const QRectF& frame, ResizingBehavior resizing) {
  ResizedDrawing canvas(context(), QSizeF(18, 18), frame, resizing);
  const BezierPath mark = BezierPath::polyline({QPointF(3, 9), QPointF(7, 4), QPointF(15, 14)});
  context().stroke(mark, Qt::black, 3.0, Qt::RoundCap, Qt::RoundJoin);
}

void BricksDrawing::drawSliderKnob(const QRectF& f) {
  // A knob pointing down: a pentagon on fractions of the frame.
  const auto at = [&f](double x, double y) {
    return QPointF(f.x() + f.width() * x, f.y() + f.height() * y);
  };
  const BezierPath knob =
      BezierPath::polygon({at(0.5, 0.0), at(1.0, 0.35), at(1.0, 1.0), at(0.0, 1.0), at(0.0, 0.35)});
  context().fill(knob, grey(0.5));
}

} // namespace kr
