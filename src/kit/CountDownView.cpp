#include "kit/CountDownView.h"

#include "kit/ProportionValueProvider.h"

#include "art/CountDownStyleKit.h"
#include "engine/Clock.h"

#include "platform/GraphicsContext.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPolygonF>

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
  // Before the first painting everything is new.
  requestedRegion_ = paintedScale_ > 0.0
                         ? changedRegion(paintedAngle_, paintedScale_, angle, scale) & rect()
                         : QRegion(rect());
  update(requestedRegion_);
  return true;
}

namespace {

// Pixels added round every shape: antialiasing, and rounding to whole pixels.
constexpr double kMargin = 4.0;
// The same round an edge that only moved along itself.
constexpr double kEdgeMargin = 2.0;

// A polygon round the ellipse (its edges outside it) or inside it.
QPolygon ellipsePolygon(QPointF centre, double rx, double ry, bool outside) {
  constexpr int kCorners = 72;
  const double stretch = outside ? 1.0 / std::cos(M_PI / kCorners) : 1.0;
  QPolygon polygon;
  polygon.reserve(kCorners);
  for (int i = 0; i < kCorners; ++i) {
    const double a = 2.0 * M_PI * i / kCorners;
    polygon << QPointF(centre.x() + rx * stretch * std::cos(a),
                       centre.y() + ry * stretch * std::sin(a))
                   .toPoint();
  }
  return polygon;
}

} // namespace

QRegion CountDownView::changedRegion(double fromAngle, double fromScale, double toAngle,
                                     double toScale) const {
  const double w = width();
  const double h = height();
  QRegion region;
  const QSizeF inset(w - 2 * kCircleInset, h - 2 * kCircleInset);
  if (fromScale != toScale && inset.width() > 0 && inset.height() > 0) {
    // The ring: an oval 20 in from the inset square, stroked 10 wide, then
    // stretched over the view and scaled about the centre.
    const QPointF centre = QRectF(rect()).center();
    const double sx = w / inset.width();
    const double sy = h / inset.height();
    const double low = std::min(fromScale, toScale);
    const double high = std::max(fromScale, toScale);
    // Where the stroke is white at both sizes nothing changes: only the bands
    // its two edges moved through are repainted.
    // An edge stands `in` from the sides of the inset square before scaling.
    auto band = [&](double in) {
      const double fromX = (inset.width() / 2.0 - in) * low * sx - kEdgeMargin;
      const double fromY = (inset.height() / 2.0 - in) * low * sy - kEdgeMargin;
      const double toX = (inset.width() / 2.0 - in) * high * sx + kEdgeMargin;
      const double toY = (inset.height() / 2.0 - in) * high * sy + kEdgeMargin;
      QRegion part(ellipsePolygon(centre, toX, toY, true));
      if (fromX > 0 && fromY > 0)
        part -= QRegion(ellipsePolygon(centre, fromX, fromY, false));
      return part;
    };
    region = band(15.0) + band(25.0);
  }
  if (fromAngle != toAngle) {
    const double low = std::min(fromAngle, toAngle);
    const double high = std::max(fromAngle, toAngle);
    if (high - low >= 180.0)
      return QRegion(rect()); // the slice jumped: all of it
    // The slice: a sector of the ellipse inscribed in the slice rectangle
    // (whose corner is given from the bottom); between the two edges it swept.
    const QRectF s = CountDownStyleKit::sliceRect(QRectF(0, 0, w, h));
    const QPointF centre(s.center().x(), h - s.center().y());
    const double rx = s.width() / 2.0 + kMargin;
    const double ry = s.height() / 2.0 + kMargin;
    auto along = [&](double degrees, double radiusX, double radiusY) {
      const double a = degrees * M_PI / 180.0;
      return QPointF(radiusX * std::cos(a), -radiusY * std::sin(a));
    };
    // Each edge moved out by the margin, square to it; the apex covered too.
    auto outward = [&](double degrees, double sign) {
      const double a = degrees * M_PI / 180.0;
      return QPointF(sign * std::sin(a), sign * std::cos(a)) * kMargin;
    };
    QPolygonF sector;
    sector << centre + outward(low, 1.0) - along(low, kMargin, kMargin)
           << centre + along(low, rx, ry) + outward(low, 1.0);
    constexpr double kStep = 5.0;
    const int steps = std::max(1, static_cast<int>(std::ceil((high - low) / kStep)));
    const double stretch = 1.0 / std::cos((high - low) / steps / 2.0 * M_PI / 180.0);
    for (int i = 0; i <= steps; ++i)
      sector << centre + along(low + (high - low) * i / steps, rx * stretch, ry * stretch);
    sector << centre + along(high, rx, ry) + outward(high, -1.0)
           << centre + outward(high, -1.0) - along(high, kMargin, kMargin);
    region += QRegion(sector.toPolygon());
    // The slice's rim from twelve o'clock on: its curve is drawn in pieces
    // that depend on how far it reaches, so its edge pixels may all change.
    const double start = std::max(high, 90.0);
    const int rimSteps = std::max(1, static_cast<int>(std::ceil((start - low) / kStep)));
    const double rimStretch = 1.0 / std::cos((start - low) / rimSteps / 2.0 * M_PI / 180.0);
    const double rimX = rx - kMargin + kEdgeMargin;
    const double rimY = ry - kMargin + kEdgeMargin;
    QPolygonF rim;
    for (int i = 0; i <= rimSteps; ++i) {
      const double a = low + (start - low) * i / rimSteps;
      rim << centre + along(a, rimX * rimStretch, rimY * rimStretch);
    }
    for (int i = rimSteps; i >= 0; --i) {
      const double a = low + (start - low) * i / rimSteps;
      rim << centre + along(a, rx - kMargin - kEdgeMargin, ry - kMargin - kEdgeMargin);
    }
    region += QRegion(rim.toPolygon());
    // Rounding to whole pixels: a pixel round the apex.
    region += QRect((centre - QPointF(kMargin, kMargin)).toPoint(),
                    (centre + QPointF(kMargin, kMargin)).toPoint());
  }
  return region;
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
