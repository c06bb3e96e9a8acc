#include "platform/drawing/DrawnImage.h"

#include "platform/drawing/GraphicsContext.h"

#include <cmath>

namespace kr {

DrawnImage::DrawnImage(QSizeF size, Handler handler)
    : shared_(std::make_shared<const Shared>(Shared{size, std::move(handler)})) {}

void DrawnImage::draw(GraphicsContext& context, const QRectF& rect) const {
  if (!shared_ || shared_->size.isEmpty())
    return;
  context.saveState();
  context.translate(rect.x(), rect.y());
  context.scale(rect.width() / shared_->size.width(), rect.height() / shared_->size.height());
  GraphicsContext::Scope scope(context);
  shared_->handler(QRectF(QPointF(0, 0), shared_->size));
  context.restoreState();
}

QImage DrawnImage::toImage(double scale) const {
  if (!shared_)
    return QImage();
  const QSize pixels(int(std::ceil(shared_->size.width() * scale)),
                     int(std::ceil(shared_->size.height() * scale)));
  QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  GraphicsContext context(&painter, pixels.height());
  draw(context, QRectF(0, 0, pixels.width(), pixels.height()));
  return image;
}

} // namespace kr
