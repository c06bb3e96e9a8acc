#include "kit/CountDownView.h"

#include "kit/ProportionValueProvider.h"

#include "art/CountDownStyleKit.h"
#include "engine/Clock.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace kr {

CountDownView::CountDownView(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setObjectName(QStringLiteral("CountDownView"));
}

void CountDownView::setUp() {
  if (layerHierarchyCreated_)
    return;
  const QSizeF ringSize(width() - 2 * kCircleInset, height() - 2 * kCircleInset);
  if (ringSize.width() > 0 && ringSize.height() > 0)
    circleImage_ = CountDownStyleKit::imageOfOuterCircle(ringSize);
  layerHierarchyCreated_ = true;
}

void CountDownView::animate(double duration) {
  setUp();
  totalTime_ = duration;
  startTime_ = Clock::now();
  started_ = true;
  update();
}

double CountDownView::endAngleForProportion(double proportion) { return 90.0 - 360.0 * proportion; }

double CountDownView::secondsSinceStart() const {
  return started_ ? std::max(0.0, Clock::now() - startTime_) : 0.0;
}

double CountDownView::proportionNow() const {
  if (provider_)
    return provider_->currentProportion();
  if (totalTime_ <= 0.0)
    return 1.0;
  const double timeLeft = std::max(0.0, totalTime_ - secondsSinceStart());
  return 1.0 - timeLeft / totalTime_;
}

double CountDownView::pulseScaleNow() const {
  const double t = secondsSinceStart();
  if (!started_ || t >= 2.0 * kPulseSeconds * kPulseRepeats)
    return 1.0;
  const double phase = std::fmod(t, 2.0 * kPulseSeconds) / kPulseSeconds; // 0..2
  const double x = phase <= 1.0 ? phase : 2.0 - phase;
  const double eased = 0.5 - 0.5 * std::cos(M_PI * x);
  return 1.0 + (kPulseScale - 1.0) * eased;
}

void CountDownView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (layerHierarchyCreated_) {
    layerHierarchyCreated_ = false;
    setUp();
  }
}

void CountDownView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::black);
  if (!started_)
    return;
  const double proportion = std::clamp(proportionNow(), 0.0, 1.0);
  const QImage slice =
      CountDownStyleKit::imageOfSlice(QSizeF(size()), 90.0, endAngleForProportion(proportion));
  painter.drawImage(QPointF(0, 0), slice);
  if (circleImage_.isNull())
    return;
  // The ring image fills the whole view, scaled about the centre by the pulse.
  const double scale = pulseScaleNow();
  const QPointF centre = QRectF(rect()).center();
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.translate(centre);
  painter.scale(scale, scale);
  painter.translate(-centre);
  painter.drawImage(QRectF(rect()), circleImage_);
}

} // namespace kr
