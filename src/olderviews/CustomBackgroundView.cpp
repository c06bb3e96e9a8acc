#include "olderviews/CustomBackgroundView.h"

#include "art/KorvaneStyleKit.h"
#include "platform/drawing/GraphicsContext.h"

#include <QPainter>

namespace kr {

CustomBackgroundView::CustomBackgroundView(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void CustomBackgroundView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  GraphicsContext context(&painter, height());
  GraphicsContext::Scope scope(context);
  KorvaneStyleKit::drawBackground(QRectF(0, 0, width(), height()));
}

} // namespace kr
