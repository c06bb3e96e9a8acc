#include "kit/bricks/SliderBrick.h"

#include "kit/ControlSize.h"
#include "kit/skins/FocusMark.h"
#include "platform/FatalError.h"
#include "platform/QnLog.h"
#include "platform/drawing/GraphicsContext.h"

#include <QPainter>
#include <QStyleOptionSlider>

#include <cmath>

namespace kr {

SliderBrick::SliderBrick(ValueChangedFunc action, QWidget* parent)
    : QSlider(Qt::Horizontal, parent),
      sliderValueChangedFunc([](float) -> float { KR_FATAL(QStringLiteral("Fatal error")); }) {
  setRange(0, 1);
  if (action)
    sliderValueChangedFunc = std::move(action);
  // Emitted for each user step or drag, after the position moved and before the
  // value follows it, so a corrected position becomes the value.
  connect(this, &QAbstractSlider::actionTriggered, this, &SliderBrick::actionMethod);
}

void SliderBrick::actionMethod() {
  const float current = floatValue();
  const float kept = sliderValueChangedFunc(current);
  if (std::isnan(kept) || kept != current) {
    const double rounded = std::isnan(kept) ? double(minimum()) : std::round(double(kept));
    setSliderPosition(int(std::clamp(rounded, double(minimum()), double(maximum()))));
  }
  qn_log(QStringLiteral("\"floatValue: %1\"").arg(double(floatValue())));
}

void SliderBrick::small() {
  // The small size only: the slider keeps its font.
  const QFont kept = font();
  setControlSize(this, ControlSize::small);
  setFont(kept);
}

void SliderBrick::apply(const ControlSkin&) {}

void SliderBrick::paintEvent(QPaintEvent* event) {
  if (!normalSliderKnobDrawingStack && !normalDrawBarInsideDrawingStack) {
    QSlider::paintEvent(event);
    return;
  }
  QStyleOptionSlider option;
  initStyleOption(&option);
  const QRect bar =
      style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
  const QRect knob =
      style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  // Whatever has no stack keeps the platform's drawing.
  option.subControls = QStyle::SubControls();
  if (!normalDrawBarInsideDrawingStack)
    option.subControls |= QStyle::SC_SliderGroove;
  if (!normalSliderKnobDrawingStack)
    option.subControls |= QStyle::SC_SliderHandle;
  GraphicsContext context(&painter, height());
  GraphicsContext::Scope scope(context);
  auto drawingRect = [this](const QRect& r) {
    return QRectF(r.x(), height() - r.y() - r.height(), r.width(), r.height());
  };
  if (normalDrawBarInsideDrawingStack)
    normalDrawBarInsideDrawingStack->draw(drawingRect(bar));
  if (option.subControls)
    style()->drawComplexControl(QStyle::CC_Slider, &option, &painter, this);
  if (normalSliderKnobDrawingStack)
    normalSliderKnobDrawingStack->draw(drawingRect(knob));
  if (FocusMark::isShown(*this)) {
    painter.resetTransform();
    FocusMark::paint(painter, *this, QRectF(knob).adjusted(-2, -2, 2, 2));
  }
}

} // namespace kr
