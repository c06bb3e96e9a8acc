// The kit's window pieces, placeholders, fragment bars and calendar text.
#include "art/KorvaneStyleKit.h"

#include "art/ShadowDrawing.h"
#include "platform/drawing/GraphicsContext.h"
#include "platform/drawing/SystemFont.h"

namespace kr {

namespace {

GraphicsContext& context() { return *GraphicsContext::current(); }

QFont systemFont(double size) { return systemFontOfSize(size); }

const QColor systemGrey = QColor::fromRgbF(0.5f, 0.5f, 0.5f);
const QColor systemDarkGrey = QColor::fromRgbF(1.0f / 3, 1.0f / 3, 1.0f / 3);
const QColor systemGreen = QColor::fromRgbF(0.0f, 1.0f, 0.0f);

void fillBar(const QRectF& rect, const QColor& color) {
  context().fill(KorvaneStyleKit::fragmentBarPath(rect), color);
}

void drawGradientBar(const QRectF& rect) {
  const QColor& n4 = KorvaneStyleKit::n4();
  const QColor& n2 = KorvaneStyleKit::n2();
  const Gradient gradient({n4, blendedColor(n4, n2, 0.5), n2}, {0.0, 0.95, 1.0});
  context().drawLinearGradient(gradient, KorvaneStyleKit::fragmentBarPath(rect), 90);
}

QRectF secondRowFromTop(const QRectF& frame) {
  return QRectF(frame.x(), frame.y() + frame.height() - 2, frame.width(), 1);
}

QRectF topRow(const QRectF& frame) {
  return QRectF(frame.x(), frame.y() + frame.height() - 1, frame.width(), 1);
}

void drawOptionBar(const QRectF& frame, const QColor& barColor) {
  fillBar(QRectF(frame.x() - 3, frame.y(), frame.width() + 3, frame.height()), barColor);
  context().fillRect(secondRowFromTop(frame), KorvaneStyleKit::n1());
  context().fillRect(topRow(frame), KorvaneStyleKit::n6());
}

} // namespace

BezierPath KorvaneStyleKit::fragmentBarPath(const QRectF& rect) {
  const QRectF inner = rect.adjusted(1, 1, -1, -1);
  BezierPath path;
  path.moveTo(QPointF(rect.left(), rect.top()));
  path.lineTo(QPointF(rect.right(), rect.top()));
  // y is up: QRectF's "bottom" is the maximum y.
  path.appendArc(QPointF(inner.right(), inner.bottom()), 1, 0, 90);
  path.appendArc(QPointF(inner.left(), inner.bottom()), 1, 90, 180);
  path.closePath();
  return path;
}

void KorvaneStyleKit::drawTextInBox(const QString& text, const QRectF& box, const QFont& font,
                                    const QColor& color, Qt::Alignment alignment, QPointF offset) {
  GraphicsContext& gc = context();
  const double height = GraphicsContext::measureText(text, font, box.width()).height();
  const QRectF textRect(box.x(), box.y() + (box.height() - height) / 2, box.width(), height);
  gc.saveState();
  gc.clipToRect(box);
  gc.drawText(text, textRect.translated(offset), font, color, alignment);
  gc.restoreState();
}

void KorvaneStyleKit::drawTitleBarRoundButton(const QRectF& frame, ResizingBehavior resizing) {
  ResizedDrawing canvas(context(), QSizeF(13, 16), frame, resizing);
  context().fill(BezierPath::oval(QRectF(1, 1, 12, 12)), systemGrey);
}

void KorvaneStyleKit::drawEmptyPlaceholderIcon(const QRectF& frame, ResizingBehavior resizing) {
  ResizedDrawing canvas(context(), QSizeF(20, 18), frame, resizing);
}

void KorvaneStyleKit::drawEmptyEndPlaceholderIcon(const QRectF& frame, ResizingBehavior resizing) {
  ResizedDrawing canvas(context(), QSizeF(29, 18), frame, resizing);
}

void KorvaneStyleKit::drawEmptyStartPlaceholderIcon(const QRectF& frame,
                                                    ResizingBehavior resizing) {
  ResizedDrawing canvas(context(), QSizeF(24, 18), frame, resizing);
}

void KorvaneStyleKit::drawMainWindowMask(const QRectF& frame, ResizingBehavior resizing) {
  ResizedDrawing canvas(context(), QSizeF(64, 64), frame, resizing);
  context().fill(BezierPath::roundedRect(QRectF(0, 0, 64, 64), 5, 5), Qt::black);
}

void KorvaneStyleKit::drawLogBookEntry(const QRectF& frame) {
  const QColor top = QColor::fromRgbF(0.9f, 0.94f, 1.0f);
  const QColor bottom = QColor::fromRgbF(0.902f, 0.929f, 0.97f);
  const Gradient gradient({top, blendedColor(top, bottom, 0.5), bottom}, {0.0, 0.49, 0.99});
  const QRectF rect(frame.x(), frame.y(), frame.width() + 0.5, frame.height());
  context().drawLinearGradient(gradient, BezierPath::rect(rect), 0);
}

void KorvaneStyleKit::drawTitleFragmentBar(const QRectF& frame) {
  fillBar(QRectF(frame.x() - 16, frame.y(), frame.width() + 58, frame.height()), n6());
}

void KorvaneStyleKit::drawFirstLabelFragmentBar(const QRectF& frame) {
  drawGradientBar(QRectF(frame.x() - 3, frame.y(), frame.width() + 3, frame.height()));
}

void KorvaneStyleKit::drawLabelFragmentBar(const QRectF& frame) {
  drawGradientBar(QRectF(frame.x() - 3, frame.y(), frame.width() + 3, frame.height()));
  context().fillRect(secondRowFromTop(frame), n2());
  const QRectF top = topRow(frame);
  context().fillRect(top, n4());
  drawInnerShadow(BezierPath::rect(top),
                  Shadow{QColor::fromRgbF(0, 0, 0, 0.09f), QPointF(3, -3), 5});
}

void KorvaneStyleKit::drawOptionFragmentBar(const QRectF& frame) { drawOptionBar(frame, n3()); }

void KorvaneStyleKit::drawInbetweenWall(const QRectF& frame) { drawOptionBar(frame, n2()); }

void KorvaneStyleKit::drawDefaultFragmentBackground(const QRectF& frame) {
  fillBar(QRectF(frame.x() - 3, frame.y(), frame.width() + 3, frame.height()), n4());
}

void KorvaneStyleKit::drawCalendarNoEvents(const QRectF& frame) {
  const double top = frame.y() + frame.height();
  drawTextInBox(QStringLiteral("No Calendar Events."), QRectF(frame.x(), top - 32, 435, 20),
                systemFont(20), systemDarkGrey, Qt::AlignHCenter, QPointF(0, 0));
  drawTextInBox(QStringLiteral("Use Ctrl+D to quickly enter a duration."),
                QRectF(frame.x(), top - 54, 435, 20), systemFont(9), systemDarkGrey,
                Qt::AlignHCenter, QPointF(0, 0.5));
}

void KorvaneStyleKit::drawDummyTitleFragmentText(const QRectF& frame) {
  drawTextInBox(QStringLiteral("Define Objective"),
                QRectF(frame.x() + 2, frame.y() + 1, frame.width() - 3, frame.height() - 2),
                systemFont(13), Qt::black, Qt::AlignLeft, QPointF(0, 0.5));
}

void KorvaneStyleKit::drawCanvas1(const QRectF& frame, ResizingBehavior resizing) {
  ResizedDrawing canvas(context(), QSizeF(200, 200), frame, resizing);
  GraphicsContext& gc = context();
  const Shadow shadow = canvas.scaled(Shadow{Qt::black, QPointF(0, -3), 5});
  const QFont font = namedFontOrSystemFont(QStringLiteral("Helvetica Neue"), 12);
  const QRectF dropped(20, 110, 160, 70);
  gc.saveState();
  gc.setShadow(shadow);
  gc.fill(BezierPath::rect(dropped), systemGreen);
  gc.restoreState();
  drawTextInBox(QStringLiteral("Inner Fill"), dropped, font, Qt::black, Qt::AlignHCenter,
                QPointF(0, 2));
  const QRectF inner(20, 20, 160, 70);
  gc.fill(BezierPath::rect(inner), systemGreen);
  drawInnerShadow(BezierPath::rect(inner), shadow);
  drawTextInBox(QStringLiteral("Inner Fill"), inner, font, Qt::black, Qt::AlignHCenter,
                QPointF(0, 2));
}

DrawnImage KorvaneStyleKit::imageOfEmptyPlaceholderIcon() {
  return cachedImage("EmptyPlaceholderIcon", QSizeF(20, 18),
                     [](const QRectF& f, ResizingBehavior r) { drawEmptyPlaceholderIcon(f, r); });
}

DrawnImage KorvaneStyleKit::imageOfEmptyEndPlaceholderIcon() {
  return cachedImage(
      "EmptyEndPlaceholderIcon", QSizeF(29, 18),
      [](const QRectF& f, ResizingBehavior r) { drawEmptyEndPlaceholderIcon(f, r); });
}

DrawnImage KorvaneStyleKit::imageOfEmptyStartPlaceholderIcon() {
  return cachedImage(
      "EmptyStartPlaceholderIcon", QSizeF(24, 18),
      [](const QRectF& f, ResizingBehavior r) { drawEmptyStartPlaceholderIcon(f, r); });
}

DrawnImage KorvaneStyleKit::imageOfMainWindowMask() {
  return cachedImage("MainWindowMask", QSizeF(64, 64),
                     [](const QRectF& f, ResizingBehavior r) { drawMainWindowMask(f, r); });
}

} // namespace kr
