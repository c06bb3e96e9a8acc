#include "shortcuts/RecordViewClearButton.h"

#include <QPainter>

namespace kr {

RecordViewClearButton::RecordViewClearButton(QWidget* parent) : QAbstractButton(parent) {
  setFocusPolicy(Qt::NoFocus);
  setCursor(Qt::ArrowCursor);
  setToolTip(QStringLiteral("Clear"));
}

QPixmap RecordViewClearButton::image(bool pressed, int side, qreal devicePixelRatio) {
  QPixmap pixmap(QSize(side, side) * devicePixelRatio);
  pixmap.setDevicePixelRatio(devicePixelRatio);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(pressed ? QColor(110, 110, 110) : QColor(170, 170, 170));
  painter.drawEllipse(QRectF(0, 0, side, side));
  QPen cross(Qt::white, qMax(1.0, side / 8.0), Qt::SolidLine, Qt::RoundCap);
  painter.setPen(cross);
  const qreal a = side * 0.32;
  const qreal b = side * 0.68;
  painter.drawLine(QPointF(a, a), QPointF(b, b));
  painter.drawLine(QPointF(a, b), QPointF(b, a));
  return pixmap;
}

void RecordViewClearButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawPixmap(0, 0, image(isDown(), qMin(width(), height()), devicePixelRatioF()));
}

} // namespace kr
