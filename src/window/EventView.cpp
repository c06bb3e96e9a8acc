#include "window/EventView.h"

#include "art/KorvaneStyleKit.h"
#include "platform/drawing/GraphicsContext.h"

#include <QPainter>

namespace kr {

EventView::EventView(const QRect& frame, QWidget* parent) : QWidget(parent) { setGeometry(frame); }

void EventView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  GraphicsContext context(&painter, height());
  GraphicsContext::Scope scope(context);
  KorvaneStyleKit::drawEventView(QRectF(0, 0, width(), height()), leftArrow, rightArrow, title);
}

} // namespace kr
