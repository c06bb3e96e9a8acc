#include "art/CountDownStyleKit.h"

#include "platform/drawing/GraphicsContext.h"

#include <QPainter>

namespace kr {

namespace {

template <typename Draw> QImage drawnImage(QSizeF size, Draw draw) {
  QImage image(size.toSize().expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  GraphicsContext context(&painter, image.height());
  GraphicsContext::Scope scope(context);
  draw();
  return image;
}

GraphicsContext& currentContext() {
  GraphicsContext* context = GraphicsContext::current();
  Q_ASSERT(context);
  return *context;
}

} // namespace

QRectF CountDownStyleKit::sliceRect(const QRectF& frame) {
  return {frame.x() + 40.0, frame.y() + 39.0, frame.width() - 80.0, frame.height() - 80.0};
}

void CountDownStyleKit::drawSlice(const QRectF& frame, double startAngle, double endAngle) {
  GraphicsContext& context = currentContext();
  const QRectF s = sliceRect(frame);
  if (s.width() <= 0.0 || s.height() <= 0.0)
    return;
  BezierPath wedge;
  wedge.moveTo({0.0, 0.0});
  wedge.appendArc({0.0, 0.0}, s.width() / 2.0, startAngle, endAngle, true);
  wedge.lineTo({0.0, 0.0});
  wedge.closePath();
  // The circle becomes the ellipse inscribed in s.
  context.saveState();
  context.translate(s.center().x(), s.center().y());
  context.scale(1.0, s.height() / s.width());
  context.fill(wedge, Qt::white);
  context.restoreState();
}

void CountDownStyleKit::drawOuterCircle(const QRectF& frame) {
  const QRectF oval = frame.adjusted(20.0, 20.0, -20.0, -20.0);
  currentContext().stroke(BezierPath::oval(oval), Qt::white, 10.0);
}

QFont CountDownStyleKit::readOutFont() {
  QFont font(QStringLiteral("Futura"));
  font.setStyleName(QStringLiteral("Medium"));
  font.setStyleHint(QFont::SansSerif);
  font.setWeight(QFont::Medium);
  font.setPixelSize(35);
  return font;
}

void CountDownStyleKit::drawReadOut(const QString& text) {
  GraphicsContext& context = currentContext();
  const QRectF box(0.0, -1.0, 300.0, 40.0);
  const QFont font = readOutFont();
  const double h = GraphicsContext::measureText(text, font, box.width()).height();
  context.saveState();
  context.clipToRect(box);
  context.drawText(text, QRectF(box.x(), box.y() + (box.height() - h) / 2.0, box.width(), h), font,
                   Qt::white, Qt::AlignHCenter);
  context.restoreState();
}

QImage CountDownStyleKit::imageOfSlice(QSizeF imageSize, double startAngle, double endAngle) {
  return drawnImage(imageSize,
                    [&] { drawSlice(QRectF(QPointF(0, 0), imageSize), startAngle, endAngle); });
}

QImage CountDownStyleKit::imageOfOuterCircle(QSizeF imageSize) {
  return drawnImage(imageSize, [&] { drawOuterCircle(QRectF(QPointF(0, 0), imageSize)); });
}

QImage CountDownStyleKit::imageOfReadOut(const QString& text) {
  return drawnImage(QSizeF(300.0, 40.0), [&] { drawReadOut(text); });
}

} // namespace kr
