#include "window/StatusIconFace.h"

#include "platform/drawing/IconManager.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QRegularExpression>

namespace kr {

namespace {

// Light marks on a dark badge read on light and dark panels alike.
const QColor kBadge(40, 40, 40, 235);
const QColor kMark(Qt::white);
const QColor kOnRing(255, 170, 40);

QFont boldFont(qreal pixelSize) {
  QFont font;
  font.setBold(true);
  font.setPixelSize(qMax(1, qRound(pixelSize)));
  return font;
}

void drawBadge(QPainter& painter, const QRectF& box, bool on) {
  painter.setPen(Qt::NoPen);
  painter.setBrush(kBadge);
  const qreal radius = box.width() * 0.22;
  painter.drawRoundedRect(box, radius, radius);
  if (on) {
    const qreal width = box.width() * 0.1;
    painter.setPen(QPen(kOnRing, width));
    painter.setBrush(Qt::NoBrush);
    const qreal inset = width / 2;
    painter.drawRoundedRect(box.adjusted(inset, inset, -inset, -inset), radius, radius);
  }
}

// The digits fill the badge's height; wider numbers are narrowed to fit.
void drawMinutes(QPainter& painter, const QRectF& box, const QString& minutes) {
  QFont font = boldFont(box.height() * 0.78);
  font.setLetterSpacing(QFont::PercentageSpacing, 92);
  painter.setFont(font);
  const QRectF bounds = painter.fontMetrics().tightBoundingRect(minutes);
  const qreal room = box.width() * 0.9;
  painter.save();
  painter.translate(box.center());
  if (bounds.width() > room)
    painter.scale(room / bounds.width(), 1.0);
  painter.setPen(kMark);
  painter.drawText(QPointF(-bounds.center().x(), -bounds.center().y()), minutes);
  painter.restore();
}

void drawLetter(QPainter& painter, const QRectF& box, qreal scale) {
  painter.setFont(boldFont(box.height() * scale));
  painter.setPen(kMark);
  const QRectF bounds = painter.fontMetrics().tightBoundingRect(QStringLiteral("R"));
  painter.drawText(box.center() - bounds.center(), QStringLiteral("R"));
}

} // namespace

StatusIconFace StatusIconFace::forStatus(const QString& title, int state, qint64 iconChoice) {
  static const QRegularExpression countDown(QStringLiteral("^(\\d+):(\\d\\d)$"));
  StatusIconFace face;
  face.iconName = IconManager::menuBarIconNameForChoice(iconChoice);
  face.on = state != 0;
  const QRegularExpressionMatch match = countDown.match(title.trimmed());
  if (match.hasMatch())
    face.minutes = QString::number(match.captured(1).toLongLong());
  return face;
}

QImage StatusIconFace::image(int size, qreal devicePixelRatio) const {
  const int pixels = qMax(1, qRound(size * devicePixelRatio));
  QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(devicePixelRatio);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  const QRectF box(0, 0, size, size);
  if (!minutes.isEmpty()) {
    drawBadge(painter, box, on);
    drawMinutes(painter, box, minutes);
  } else if (iconName == IconManager::menuBarIconNameForChoice(0)) {
    drawBadge(painter, box, on);
    drawLetter(painter, box, 0.72);
  } else {
    // The plain letter: a dark outline keeps it visible on light panels.
    QPainterPath letter;
    const QFont font = boldFont(size * 0.9);
    letter.addText(0, 0, font, QStringLiteral("R"));
    letter.translate(box.center() - letter.boundingRect().center());
    painter.setPen(QPen(on ? kOnRing : kBadge, size * 0.08));
    painter.setBrush(kMark);
    painter.drawPath(letter);
  }
  return image;
}

} // namespace kr
