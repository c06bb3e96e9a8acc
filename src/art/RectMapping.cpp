#include "art/RectMapping.h"

namespace kr {

QTransform& mapFrom(QTransform& transform, const QRectF& source, const QRectF& target) {
  if (source.width() == 0.0 || source.height() == 0.0)
    return transform;
  const double sx = target.width() / source.width();
  const double sy = target.height() / source.height();
  transform.setMatrix(sx, 0, 0, 0, sy, 0, target.x() - sx * source.x(),
                      target.y() - sy * source.y(), 1);
  return transform;
}

QTransform& scaleBounds(QTransform& transform, const QRectF& bounds, float height,
                        float centeredDistance, QPointF abovePoint) {
  if (bounds.width() == 0.0 || bounds.height() == 0.0)
    return transform;
  const double k = float(height / bounds.height());
  const QSizeF size(k * bounds.width(), k * bounds.height());
  const QRectF target(
      QPointF(abovePoint.x() - 0.5 * size.width(), abovePoint.y() + centeredDistance), size);
  return mapFrom(transform, bounds, target);
}

QTransform& scaleBounds(QTransform& transform, const QRectF& bounds, float height,
                        float centeredAboveOrigin) {
  return scaleBounds(transform, bounds, height, centeredAboveOrigin, QPointF(0, 0));
}

QTransform& flipVertical(QTransform& transform, const QRectF& rect) {
  transform.setMatrix(1, 0, 0, 0, -1, 0, 0, rect.height(), 1);
  return transform;
}

} // namespace kr
