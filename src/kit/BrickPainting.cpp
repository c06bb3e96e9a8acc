#include "kit/BrickPainting.h"

#include "platform/GraphicsContext.h"

#include <QPainter>
#include <QWidget>

namespace kr {

bool paintBrickWithStack(QWidget* brick, const std::optional<DrawingStack>& stack) {
  if (!stack)
    return false;
  QPainter painter(brick);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  GraphicsContext context(&painter, brick->height());
  GraphicsContext::Scope scope(context);
  context.saveState();
  stack->draw(QRectF(0, 0, brick->width(), brick->height()));
  context.restoreState();
  return true;
}

} // namespace kr
