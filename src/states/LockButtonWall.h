#pragma once

#include "kit/walls/Wall.h"

#include <QImage>

#include <functional>

namespace kr {

class GraphicsContext;

// The lock icon of the rest screen. Its ring fills over each 15-second lock
// cycle; only while it is full (the open phase) does a click reach
// buttonClickFunc. Starts disabled: nothing ends the break before the first
// cycle has been computed.
class LockButtonWall final : public Wall {
public:
  static constexpr double kCycleSeconds = 15.0;
  static constexpr double kOvershoot = 1.1;
  // The smallest change of the ring's angle that is worth a repaint.
  static constexpr double kVisibleAngle = 4.0;

  explicit LockButtonWall(QWidget* parent = nullptr);

  bool enabled = false;
  std::function<void()> buttonClickFunc;

  // The ring angle `secondsSinceStart` into the lock cycle: it fills at
  // 26.4 degrees a second and passes 360 after 15 / 1.1 seconds.
  static double cycleAngle(double secondsSinceStart);
  // The lock opens once its ring is full.
  static bool isOpenAt(double angle) { return angle > 360.0; }
  // Sets the end angle drawn and `enabled` from the cycle angle; answers
  // whether the lock is open. The icon repaints when it opens or closes and
  // when the ring grew by `step` degrees (its visible angle unless told) or
  // more since the last repaint.
  bool applyCycleAngle(double angle, double step = kVisibleAngle);
  double endAngle() const { return endAngle_; }
  // The angle drawn by the last repaint asked for; below 0 before the first.
  double requestedAngle() const { return requestedAngle_; }
  // The first moment after `now` at which applyCycleAngle() would repaint for
  // a lock cycle that began at `cycleStart`: the ring grown visibly, the lock
  // opened or a new cycle begun.
  double nextRepaintAfter(double now, double cycleStart) const;

  // Paints `color` (opaque) behind the icon itself, so that a repaint of the
  // icon leaves the walls behind it alone; without it they show through.
  void setBackdrop(const QColor& color);

  QSize sizeHint() const override { return {39, 39}; }
  // The images of the layers kept now (0 before the first painting); they
  // are made again when the size or the pixel ratio changed.
  qint64 layerImageKey() const { return layers_.disc.cacheKey(); }

protected:
  void mousePressEvent(QMouseEvent* event) override;

private:
  // The icon's still layers as images for the current size and pixel ratio:
  // the disc, and the padlock closed and open. Only the wedge is drawn anew.
  struct Layers {
    QSize size;
    double ratio = 0.0;
    QImage disc;
    QImage padlock[2];
  };
  void drawIcon();
  void fillBackdrop(GraphicsContext& context, const QRectF& frame) const;
  const Layers& layers();

  Layers layers_;
  QColor backdrop_;
  double endAngle_ = 0.0;
  double requestedAngle_ = -1.0; // the angle of the last repaint asked for
};

} // namespace kr
