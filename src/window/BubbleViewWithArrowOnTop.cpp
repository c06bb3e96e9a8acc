#include "window/BubbleViewWithArrowOnTop.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace kr {

namespace {
constexpr double kArrowHeight = 5.0;
constexpr double kArrowHalfWidth = 4.0;
} // namespace

BubbleViewWithArrowOnTop::BubbleViewWithArrowOnTop(const QRect& frame, QWidget* parent)
    : QWidget(parent) {
  setGeometry(frame);
  setCursor(Qt::PointingHandCursor);
}

void BubbleViewWithArrowOnTop::setTitle(const QString& title) {
  if (title_ == title)
    return; // refreshed every second: repaint only what changed
  title_ = title;
  update();
}

void BubbleViewWithArrowOnTop::setMiddleX(double x) {
  const float rounded = std::roundf(static_cast<float>(x));
  const double before = middleX_;
  if (rounded == 0.0f)
    middleX_ = 1.0;
  else if (rounded > 42.0f)
    middleX_ = 45.0;
  else
    middleX_ = rounded;
  if (middleX_ != before)
    update();
}

void BubbleViewWithArrowOnTop::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF body(0.5, kArrowHeight + 0.5, width() - 1.0, height() - kArrowHeight - 1.0);
  QPainterPath path;
  path.addRoundedRect(body, 4.0, 4.0);
  QPainterPath arrow;
  arrow.moveTo(middleX_ - kArrowHalfWidth, body.top() + 1.0);
  arrow.lineTo(middleX_, 0.5);
  arrow.lineTo(middleX_ + kArrowHalfWidth, body.top() + 1.0);
  arrow.closeSubpath();
  path = path.united(arrow);
  QLinearGradient gradient(body.topLeft(), body.bottomLeft());
  gradient.setColorAt(0.0, QColor(0xb7, 0x9c, 0xd9));
  gradient.setColorAt(1.0, QColor(0x8a, 0x6b, 0xbf));
  painter.fillPath(path, gradient);
  painter.setPen(QColor(0x5a, 0x44, 0x80));
  painter.drawPath(path);
  painter.setPen(Qt::white);
  QFont font = painter.font();
  font.setPointSizeF(10.0);
  painter.setFont(font);
  painter.drawText(body, Qt::AlignCenter, title_);
}

void BubbleViewWithArrowOnTop::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton)
    Q_EMIT clicked(this);
  event->accept();
}

} // namespace kr
