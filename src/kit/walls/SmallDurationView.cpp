#include "kit/walls/SmallDurationView.h"

#include "platform/drawing/GraphicsContext.h"

namespace kr {

void SmallDurationView::setBackdrop(const QColor& color) {
  backdrop_ = color.isValid() && color.alpha() == 255 ? color : QColor();
  setAttribute(Qt::WA_OpaquePaintEvent, backdrop_.isValid());
  update();
}

void SmallDurationView::drawReadOut() {
  if (GraphicsContext* context = GraphicsContext::current(); context && backdrop_.isValid())
    context->fillRect(QRectF(0, 0, width(), height()), backdrop_);
  DurationViewStyleKit::drawSmallDurationView(texts(), sizes(), disabled);
}

} // namespace kr
