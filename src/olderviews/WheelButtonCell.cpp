#include "olderviews/WheelButtonCell.h"

#include "art/BezierPathUtility.h"
#include "art/SilverWheel.h"
#include "platform/drawing/GraphicsContext.h"

#include <QPainter>
#include <QWidget>

#include <cmath>

namespace kr {

WheelButtonCell::WheelButtonCell(QObject* parent) : QObject(parent) {}

bool WheelButtonCell::showsFirstResponder(const QWidget* controlView) {
  return controlView->hasFocus() && controlView->window()->isActiveWindow();
}

void WheelButtonCell::drawBezelWithFrame(QPainter& painter, const QRectF& frame,
                                         const QWidget* controlView) const {
  const DrawnImage& wheel = SilverWheel::image();
  const QPointF at(std::round(kWheelOffset.x()), std::round(kWheelOffset.y()));
  GraphicsContext context(&painter, controlView->height());
  context.saveState();
  // The frame in drawing coordinates, y up.
  context.clipToRect(
      QRectF(frame.x(), controlView->height() - frame.bottom(), frame.width(), frame.height()));
  if (showsFirstResponder(controlView))
    context.setShadow(BezierPathUtility::focusRingShadow());
  context.setCompositionMode(QPainter::CompositionMode_SourceAtop);
  context.setAlpha(1.0);
  // The wheel is put down as one picture, casting one glow.
  context.beginTransparencyLayer();
  wheel.draw(context, QRectF(at.x(), controlView->height() - at.y() - wheel.size().height(),
                             wheel.size().width(), wheel.size().height()));
  context.endTransparencyLayer();
  context.restoreState();
}

} // namespace kr
