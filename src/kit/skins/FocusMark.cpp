#include "kit/skins/FocusMark.h"

#include <QPainter>
#include <QPen>
#include <QWidget>

namespace kr {

namespace {
constexpr double kWidth = 2.0;
constexpr double kRadius = 4.0;
} // namespace

bool FocusMark::isShown(const QWidget& widget) {
  return widget.hasFocus() && widget.window()->testAttribute(Qt::WA_KeyboardFocusChange);
}

void FocusMark::paint(QPainter& painter, const QWidget& widget, const QRectF& rect) {
  const QRectF area = rect.isEmpty() ? QRectF(widget.rect()) : rect;
  const QRectF ring = area.adjusted(kWidth / 2, kWidth / 2, -kWidth / 2, -kWidth / 2);
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(widget.palette().color(QPalette::Active, QPalette::Highlight), kWidth));
  painter.drawRoundedRect(ring, kRadius, kRadius);
  painter.restore();
}

void FocusMark::paintIfShown(QWidget& widget) {
  if (!isShown(widget))
    return;
  QPainter painter(&widget);
  paint(painter, widget);
}

} // namespace kr
