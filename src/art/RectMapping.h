#pragma once

#include <QPointF>
#include <QRectF>
#include <QTransform>

// Transforms that map one rectangle onto another. Each sets the transform it
// is given and returns it; a source rectangle without width or height leaves
// the transform as it was.
namespace kr {

// Scales by (target.w / source.w, target.h / source.h) and moves the source's
// origin onto the target's.
QTransform& mapFrom(QTransform& transform, const QRectF& source, const QRectF& target);

// Scales `bounds` by k = height / bounds.h (single precision) and places the
// result centred horizontally on `abovePoint`, `centeredDistance` above it.
QTransform& scaleBounds(QTransform& transform, const QRectF& bounds, float height,
                        float centeredDistance, QPointF abovePoint);
// The same above the origin.
QTransform& scaleBounds(QTransform& transform, const QRectF& bounds, float height,
                        float centeredAboveOrigin);

// y becomes rect.h - y.
QTransform& flipVertical(QTransform& transform, const QRectF& rect);

} // namespace kr
