#include "art/ResizingBehavior.h"

#include "platform/FatalError.h"
#include "platform/drawing/GraphicsContext.h"

#include <QHashFunctions>

#include <algorithm>
#include <cmath>

namespace kr {

std::optional<ResizingBehavior> ResizingBehavior::fromRawValue(int raw) {
  if (raw < 0 || raw > 3)
    return std::nullopt;
  return ResizingBehavior(Case(raw));
}

ResizingBehavior ResizingBehavior::uncheckedFromRawValue(int raw) {
  return ResizingBehavior(raw, Unchecked{});
}

QRectF ResizingBehavior::apply(const QRectF& rect, const QRectF& target) const {
  if (rect == target)
    return rect;
  if (target == QRectF(0, 0, 0, 0))
    return rect;
  if (raw_ < 0 || raw_ > 3)
    KR_FATAL(QStringLiteral("unexpected resizing behaviour %1").arg(raw_));
  const double rectWidth = std::fabs(rect.width()), rectHeight = std::fabs(rect.height());
  const double targetWidth = std::fabs(target.width()), targetHeight = std::fabs(target.height());
  double sx = std::fabs(targetWidth / rectWidth);
  double sy = std::fabs(targetHeight / rectHeight);
  switch (raw_) {
  case fit:
    sx = sy = std::min(sx, sy);
    break;
  case fill:
    sx = sy = std::max(sx, sy);
    break;
  case stretch:
    break;
  case center:
    sx = sy = 1.0;
    break;
  }
  const double width = rectWidth * sx, height = rectHeight * sy;
  const QRectF normalized = target.normalized();
  return QRectF(normalized.x() + (targetWidth - width) * 0.5,
                normalized.y() + (targetHeight - height) * 0.5, width, height);
}

size_t qHash(const ResizingBehavior& behavior, size_t seed) {
  return ::qHash(behavior.rawValue(), seed);
}

ResizedDrawing::ResizedDrawing(GraphicsContext& context, QSizeF canvas, const QRectF& frame,
                               ResizingBehavior behavior)
    : context_(context) {
  context_.saveState();
  resized_ = behavior.apply(QRectF(QPointF(0, 0), canvas), frame);
  const double sx = resized_.width() / canvas.width();
  const double sy = resized_.height() / canvas.height();
  context_.translate(resized_.x(), resized_.y());
  context_.scale(sx, sy);
  shadowScale_ = std::min(sx, sy);
}

ResizedDrawing::~ResizedDrawing() { context_.restoreState(); }

Shadow ResizedDrawing::scaled(const Shadow& shadow) const {
  return Shadow{shadow.color, shadow.offset * shadowScale_, shadow.blurRadius * shadowScale_};
}

} // namespace kr
