// The kit's text-style indicators and option icons.
#include "art/KorvaneStyleKit.h"

#include "platform/drawing/GraphicsContext.h"
#include "platform/drawing/SystemFont.h"

#include <optional>

namespace kr {

namespace {

GraphicsContext& context() { return *GraphicsContext::current(); }

// The standard system font size, in drawing units.
constexpr double standardFontSize = 13;

QFont systemFont(bool bold = false) {
  return systemFontOfSize(standardFontSize, bold ? QFont::Bold : QFont::Normal);
}

// An oblique system font stands in where Helvetica is missing.
QFont obliqueFont() {
  QFont font = namedFontOrSystemFont(QStringLiteral("Helvetica"), standardFontSize);
  font.setStyle(QFont::StyleOblique);
  return font;
}

struct Line {
  double y;
  double fromX;
  double toX;
  Qt::PenCapStyle cap;
};

// The letter over the whole 20 x 20 canvas, and the line under or through it.
void drawIndicator(const QRectF& frame, ResizingBehavior resizing, const QString& letter,
                   const QFont& font, std::optional<Line> line = std::nullopt) {
  ResizedDrawing canvas(context(), QSizeF(20, 20), frame, resizing);
  KorvaneStyleKit::drawTextInBox(letter, QRectF(0, 0, 20, 20), font, Qt::black, Qt::AlignHCenter,
                                 QPointF(0, 0.5));
  if (!line)
    return;
  const BezierPath path =
      BezierPath::polyline({QPointF(line->fromX, line->y), QPointF(line->toX, line->y)});
  context().stroke(path, Qt::black, 1.0, line->cap);
}

void fillBarWithKnob(double barY, double knobX) {
  context().fillRect(QRectF(1, barY, 14, 1), Qt::white);
  context().fill(BezierPath::oval(QRectF(knobX - 1.5, barY + 0.5 - 1.5, 3, 3)), Qt::white);
}

// A bar 12 long and 1 thick with a right-angled barb (legs of 6) at one end,
// drawn from the current origin along x.
void drawHalfHeadedArrow(bool barbAtRightEnd) {
  BezierPath arrow = BezierPath::rect(QRectF(0, 0, 12, 1));
  arrow.append(barbAtRightEnd ? BezierPath::polygon({QPointF(12, 0), QPointF(6, 0), QPointF(6, -6)})
                              : BezierPath::polygon({QPointF(0, 1), QPointF(6, 1), QPointF(6, 7)}));
  context().fill(arrow, Qt::white);
}

} // namespace

void KorvaneStyleKit::drawPlainIndicator(const QRectF& frame, ResizingBehavior resizing) {
  drawIndicator(frame, resizing, QStringLiteral("P "), systemFont());
}

void KorvaneStyleKit::drawBoldIndicator(const QRectF& frame, ResizingBehavior resizing) {
  drawIndicator(frame, resizing, QStringLiteral("B"), systemFont(true));
}

void KorvaneStyleKit::drawItalicsIndicator(const QRectF& frame, ResizingBehavior resizing) {
  drawIndicator(frame, resizing, QStringLiteral("i"), obliqueFont());
}

void KorvaneStyleKit::drawUnderlineIndicator(const QRectF& frame, ResizingBehavior resizing) {
  drawIndicator(frame, resizing, QStringLiteral("U"), systemFont(),
                Line{3.5, 5.5, 14.48, Qt::FlatCap});
}

void KorvaneStyleKit::drawStrikeThroughIndicator(const QRectF& frame, ResizingBehavior resizing) {
  drawIndicator(frame, resizing, QStringLiteral("S"), systemFont(),
                Line{9.5, 4.5, 14.48, Qt::RoundCap});
}

void KorvaneStyleKit::drawFilterIcon(const QRectF& frame, ResizingBehavior resizing) {
  ResizedDrawing canvas(context(), QSizeF(10, 12), frame, resizing);
  // A top edge 8 wide narrowing over 3 units to a stem 2 wide and 5 long.
  const BezierPath funnel = BezierPath::polygon(
      {QPointF(1, 10), QPointF(9, 10), QPointF(6, 7), QPointF(6, 2), QPointF(4, 2), QPointF(4, 7)});
  context().fill(funnel, Qt::black);
}

void KorvaneStyleKit::drawStatePreferencesIcon(const QRectF& frame, ResizingBehavior resizing) {
  ResizedDrawing canvas(context(), QSizeF(16, 18), frame, resizing);
  context().fillRect(QRectF(1, 3, 14, 1), Qt::white);
  context().fillRect(QRectF(1, 8, 14, 1), Qt::white);
  context().fillRect(QRectF(1, 13, 14, 1), Qt::white);
  fillBarWithKnob(3, 4);  // the lowest bar, knob near its left end
  fillBarWithKnob(8, 12); // the middle bar, knob near its right end
  fillBarWithKnob(13, 8); // the top bar, knob in its middle
}

void KorvaneStyleKit::drawHelpIndexIcon(const QRectF& frame, ResizingBehavior resizing) {
  ResizedDrawing canvas(context(), QSizeF(16, 18), frame, resizing);
  for (double y : {4.0, 8.0, 12.0}) {
    context().fillRect(QRectF(1, y, 10, 1), Qt::white);
    context().fill(BezierPath::oval(QRectF(12, y + 0.5 - 1, 2, 2)), Qt::white);
  }
}

void KorvaneStyleKit::drawAlternativeUIIcon(const QRectF& frame, ResizingBehavior resizing) {
  ResizedDrawing canvas(context(), QSizeF(16, 18), frame, resizing);
  GraphicsContext& gc = context();
  const struct {
    QPointF origin;
    bool barbAtRightEnd;
  } arrows[] = {{QPointF(5.2, 3.4), true}, {QPointF(2.4, 6.2), false}};
  for (const auto& arrow : arrows) {
    gc.saveState();
    gc.translate(arrow.origin.x(), arrow.origin.y());
    gc.rotate(45);
    gc.setAlpha(0.5);
    gc.beginTransparencyLayer();
    drawHalfHeadedArrow(arrow.barbAtRightEnd);
    gc.endTransparencyLayer();
    gc.restoreState();
  }
}

#define KR_CACHED_IMAGE(stem, w, h)                                                                \
  DrawnImage KorvaneStyleKit::imageOf##stem() {                                                    \
    return cachedImage(#stem, QSizeF(w, h),                                                        \
                       [](const QRectF& f, ResizingBehavior r) { draw##stem(f, r); });             \
  }

KR_CACHED_IMAGE(PlainIndicator, 20, 20)
KR_CACHED_IMAGE(BoldIndicator, 20, 20)
KR_CACHED_IMAGE(ItalicsIndicator, 20, 20)
KR_CACHED_IMAGE(UnderlineIndicator, 20, 20)
KR_CACHED_IMAGE(StrikeThroughIndicator, 20, 20)
KR_CACHED_IMAGE(FilterIcon, 10, 12)
KR_CACHED_IMAGE(StatePreferencesIcon, 16, 18)
KR_CACHED_IMAGE(HelpIndexIcon, 16, 18)
KR_CACHED_IMAGE(AlternativeUIIcon, 16, 18)

#undef KR_CACHED_IMAGE

} // namespace kr
