#include "kit/ReadoutLayer.h"

#include "art/CountDownStyleKit.h"
#include "engine/Clock.h"
#include "platform/SmartTimerWrapper.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <limits>

namespace kr {

ReadoutLayer::ReadoutLayer(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_TranslucentBackground);
  display();
}

ReadoutLayer::~ReadoutLayer() {
  if (frames_)
    frames_->stop();
}

QString ReadoutLayer::readoutText(double seconds) {
  using Limits = std::numeric_limits<qint16>;
  const double whole = std::isnan(seconds) ? 0.0 : std::trunc(seconds);
  const int s = int(std::clamp(whole, double(Limits::min()), double(Limits::max())));
  const int minutes = s / 60;
  return QString::asprintf("%02d", minutes) + QChar(0x2032) +
         QString::asprintf("%02d", s - 60 * minutes) + QChar(0x2033);
}

double ReadoutLayer::presentedTimeLeft() const {
  if (!frames_)
    return timeLeft_;
  const double progress = std::clamp((Clock::now() - changedAt_) / kAnimationSeconds, 0.0, 1.0);
  return from_ + (timeLeft_ - from_) * progress;
}

void ReadoutLayer::setTimeLeft(double seconds) {
  if (seconds == timeLeft_ && !frames_)
    return;
  // From what the view shows now, also in the middle of a change.
  from_ = presentedTimeLeft();
  timeLeft_ = seconds;
  changedAt_ = Clock::now();
  if (!frames_) {
    frames_ =
        SmartTimerWrapper::wrapTimer(kFrameSeconds, true, [this](SmartTimerWrapper&) { frame(); });
  }
  display();
}

void ReadoutLayer::frame() {
  if (Clock::now() - changedAt_ >= kAnimationSeconds) {
    frames_->stop();
    frames_.reset();
  }
  display();
}

void ReadoutLayer::display() {
  const QString text = readoutText(presentedTimeLeft());
  if (text == shownText_ && !contents_.isNull())
    return;
  shownText_ = text;
  contents_ = CountDownStyleKit::imageOfReadOut(text);
  update();
}

void ReadoutLayer::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(QRectF(rect()), contents_);
}

} // namespace kr
