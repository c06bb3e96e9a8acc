#include "kit/CountDownView.h"

#include "kit/ProportionValueProvider.h"

#include "art/CountDownStyleKit.h"
#include "engine/Clock.h"

#include "platform/GraphicsContext.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace kr {

CountDownView::CountDownView(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setObjectName(QStringLiteral("CountDownView"));
}

void CountDownView::setUp() { layerHierarchyCreated_ = true; }

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
  update();
}

double CountDownView::ringRadius() const {
  // The ring is drawn in the view inset by the circle inset and stretched over
  // the whole view: its radius in the view is that of the inset drawing,
  // scaled by view / inset size.
  const double inset = std::max(1.0, width() - 2 * kCircleInset);
  return (inset / 2.0 - 20.0) * width() / inset;
}

bool CountDownView::refresh() {
  if (!started_ || paintPending_)
    return false;
  const double angle = endAngleForProportion(std::clamp(proportionNow(), 0.0, 1.0));
  const double scale = pulseScaleNow();
  const bool sliceMoved = std::fabs(angle - paintedAngle_) >= kVisibleAngle;
  const bool ringMoved = std::fabs(scale - paintedScale_) * ringRadius() >= kVisibleRadius;
  if (!sliceMoved && !ringMoved)
    return false;
  paintPending_ = true;
  update(); // this view's rectangle only
  return true;
}

void CountDownView::paintEvent(QPaintEvent* event) {
  ++paintCount_;
  paintPending_ = false;
  QPainter painter(this);
  painter.setClipRegion(event->region());
  painter.fillRect(rect(), Qt::black);
  if (!started_)
    return;
  paintedAngle_ = endAngleForProportion(std::clamp(proportionNow(), 0.0, 1.0));
  paintedScale_ = pulseScaleNow();
  painter.setRenderHint(QPainter::Antialiasing);
  GraphicsContext context(&painter, height());
  GraphicsContext::Scope scope(context);
  CountDownStyleKit::drawSlice(QRectF(rect()), 90.0, paintedAngle_);
  // The ring is drawn as in the view inset by the circle inset, stretched over
  // the whole view and scaled about the centre by the pulse.
  const QSizeF inset(width() - 2 * kCircleInset, height() - 2 * kCircleInset);
  if (inset.width() <= 0 || inset.height() <= 0)
    return;
  const QPointF centre = QRectF(rect()).center();
  context.saveState();
  context.translate(centre.x(), height() - centre.y());
  context.scale(paintedScale_ * width() / inset.width(), paintedScale_ * height() / inset.height());
  context.translate(-inset.width() / 2.0, -inset.height() / 2.0);
  CountDownStyleKit::drawOuterCircle(QRectF(QPointF(0, 0), inset));
  context.restoreState();
}

} // namespace kr
