#include "states/LockButtonWall.h"

#include "art/BreakTimeStyleKit.h"
#include "platform/drawing/GraphicsContext.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace kr {

LockButtonWall::LockButtonWall(QWidget* parent) : Wall(parent) {
  setObjectName(QStringLiteral("LockButtonWall"));
  setFixedSize(39, 39);
  setBackgroundDrawingFunc([this](const QRectF&) { drawIcon(); });
}

const LockButtonWall::Layers& LockButtonWall::layers() {
  const double ratio = devicePixelRatioF();
  if (layers_.size == size() && layers_.ratio == ratio)
    return layers_;
  const QRectF frame(0, 0, width(), height());
  auto drawn = [&](unsigned layer, double endAngle) {
    QImage image((QSizeF(size()) * ratio).toSize().expandedTo(QSize(1, 1)),
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    GraphicsContext context(&painter, height());
    GraphicsContext::Scope scope(context);
    BreakTimeStyleKit::drawLockIcon(frame, ResizingBehavior::fit, endAngle, layer);
    return image;
  };
  layers_.size = size();
  layers_.ratio = ratio;
  layers_.disc = drawn(BreakTimeStyleKit::lockDisc, 0.0);
  layers_.padlock[0] = drawn(BreakTimeStyleKit::lockPadlock, 0.0);
  layers_.padlock[1] = drawn(BreakTimeStyleKit::lockPadlock, 360.0);
  return layers_;
}

void LockButtonWall::drawIcon() {
  GraphicsContext* context = GraphicsContext::current();
  if (!context)
    return;
  const Layers& still = layers();
  const QRectF frame(0, 0, width(), height());
  if (backdrop_.isValid())
    fillBackdrop(*context, frame);
  context->drawImage(still.disc, frame);
  BreakTimeStyleKit::drawLockIcon(frame, ResizingBehavior::fit, endAngle_,
                                  BreakTimeStyleKit::lockWedge);
  context->drawImage(still.padlock[BreakTimeStyleKit::isShackleOpen(endAngle_) ? 1 : 0], frame);
}

void LockButtonWall::fillBackdrop(GraphicsContext& context, const QRectF& frame) const {
  // Where the view covers whole device pixels, without turning, the
  // backdrop is those pixels filled: the same as the rectangle's path,
  // without laying out a path five times a second.
  QPainter* painter = context.painter();
  const QTransform& world = painter->worldTransform();
  const QRectF device = painter->deviceTransform().mapRect(frame);
  const bool whole = device.toRect() == device && !device.isEmpty();
  if (world.type() > QTransform::TxScale || !whole) {
    context.fillRect(frame, backdrop_);
    return;
  }
  const QRectF logical = world.mapRect(frame);
  painter->save();
  painter->resetTransform();
  painter->fillRect(logical, backdrop_);
  painter->restore();
}

void LockButtonWall::setBackdrop(const QColor& color) {
  backdrop_ = color.isValid() && color.alpha() == 255 ? color : QColor();
  setAttribute(Qt::WA_OpaquePaintEvent, backdrop_.isValid());
  update();
}

double LockButtonWall::cycleAngle(double secondsSinceStart) {
  const double a = std::fmod(std::max(0.0, secondsSinceStart), kCycleSeconds);
  return a / kCycleSeconds * kOvershoot * 360.0;
}

bool LockButtonWall::applyCycleAngle(double angle, double step) {
  const bool open = isOpenAt(angle);
  enabled = open;
  endAngle_ = open ? 360.0 : angle;
  // The ring grows by about a pixel every few degrees: repaint when it shows.
  const bool fullnessChanged = (endAngle_ >= 360.0) != (requestedAngle_ >= 360.0);
  const double grown = std::fabs(endAngle_ - requestedAngle_);
  if ((grown > 0.0 && grown >= step) || fullnessChanged) {
    requestedAngle_ = endAngle_;
    update();
  }
  return open;
}

double LockButtonWall::nextRepaintAfter(double now, double cycleStart) const {
  const double intoCycle = std::fmod(std::max(0.0, now - cycleStart), kCycleSeconds);
  const double cycleBegan = now - intoCycle;
  const double degreesPerSecond = kOvershoot * 360.0 / kCycleSeconds;
  const double angle = cycleAngle(now - cycleStart);
  const double drawn = isOpenAt(angle) ? 360.0 : angle;
  if (requestedAngle_ < 0.0 || std::fabs(drawn - requestedAngle_) >= kVisibleAngle ||
      (drawn >= 360.0) != (requestedAngle_ >= 360.0))
    return now;                             // due already
  double next = cycleBegan + kCycleSeconds; // the ring empties
  if (!isOpenAt(angle)) {
    // The ring grown by the visible angle, or full: the lock opens.
    const double grown = std::min(requestedAngle_ + kVisibleAngle, 360.0);
    next = std::min(next, cycleBegan + grown / degreesPerSecond);
  }
  return std::max(next, now);
}

void LockButtonWall::mousePressEvent(QMouseEvent* event) {
  // Never passed on, taken or not.
  event->accept();
  if (enabled && buttonClickFunc)
    buttonClickFunc();
}

} // namespace kr
