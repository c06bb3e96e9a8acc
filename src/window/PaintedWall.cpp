#include "window/PaintedWall.h"

#include <QPainter>

namespace kr {

PaintedWall::PaintedWall(Drawing drawing, QWidget* parent)
    : QWidget(parent), drawing_(std::move(drawing)) {}

void PaintedWall::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  drawing_(painter, QRectF(rect()));
}

} // namespace kr
