#include "kit/skins/StandardImages.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <cmath>
#include <functional>

namespace kr {

namespace {

constexpr int side = 16;

QPixmap drawn(const std::function<void(QPainter&)>& paint) {
  QPixmap pixmap(side * 2, side * 2);
  pixmap.setDevicePixelRatio(2.0);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  paint(painter);
  return pixmap;
}

QPixmap checkMark(const QColor& color) {
  return drawn([&](QPainter& p) {
    QPen pen(color, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    QPainterPath mark;
    mark.moveTo(3.5, 8.5);
    mark.lineTo(6.5, 11.5);
    mark.lineTo(12.5, 4.5);
    p.drawPath(mark);
  });
}

} // namespace

QIcon StandardImages::addTemplate() {
  static const QIcon icon(drawn([](QPainter& p) {
    p.setPen(QPen(Qt::black, 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(8, 3.5), QPointF(8, 12.5));
    p.drawLine(QPointF(3.5, 8), QPointF(12.5, 8));
  }));
  return icon;
}

QIcon StandardImages::actionTemplate() {
  static const QIcon icon(drawn([](QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    QPainterPath gear;
    const QPointF centre(8, 8);
    for (int tooth = 0; tooth < 8; ++tooth) {
      const double angle = tooth * M_PI / 4.0;
      const QPointF at(centre.x() + 5.6 * std::cos(angle), centre.y() + 5.6 * std::sin(angle));
      gear.addEllipse(at, 1.5, 1.5);
    }
    gear.addEllipse(centre, 5.0, 5.0);
    p.drawPath(gear.simplified());
    p.setCompositionMode(QPainter::CompositionMode_Clear);
    p.drawEllipse(centre, 2.0, 2.0);
  }));
  return icon;
}

QIcon StandardImages::menuOnStateTemplate() {
  static const QIcon icon(checkMark(Qt::black));
  return icon;
}

QIcon StandardImages::icon(const DrawnImage& image) {
  QIcon icon;
  for (double scale : {1.0, 2.0}) {
    QPixmap pixmap = QPixmap::fromImage(image.toImage(scale));
    pixmap.setDevicePixelRatio(scale);
    icon.addPixmap(pixmap);
  }
  return icon;
}

QIcon StandardImages::tintedMenuOnState(const QColor& tint) { return QIcon(checkMark(tint)); }

} // namespace kr
