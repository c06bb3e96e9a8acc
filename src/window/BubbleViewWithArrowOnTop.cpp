#include "window/BubbleViewWithArrowOnTop.h"

#include "art/BezierPathUtility.h"
#include "art/KorvaneStyleKit.h"
#include "platform/drawing/GraphicsContext.h"

#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace kr {

BubbleViewWithArrowOnTop::BubbleViewWithArrowOnTop(const QRect& frame, QWidget* parent)
    : QWidget(parent), gradient_(BezierPathUtility::whiteGradient()) {
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
  GraphicsContext context(&painter, height());
  GraphicsContext::Scope scope(context);
  KorvaneStyleKit::drawBubbleWithArrowOnTop(QRectF(0, 0, width(), height()), title_, middleX_);
}

void BubbleViewWithArrowOnTop::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton)
    Q_EMIT clicked(this);
  event->accept();
}

} // namespace kr
