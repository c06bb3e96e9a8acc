#pragma once

#include "kit/BrickType.h"
#include "kit/skins/DrawingStack.h"

#include <QSlider>

#include <functional>
#include <optional>

namespace kr {

// A horizontal slider that hands each value the user gives it to
// `sliderValueChangedFunc` and keeps the value that function returns (so the
// function may snap or correct it). Values run from 0 to 1 until the caller
// sets its own range.
class SliderBrick : public QSlider, public BrickType {
  Q_OBJECT

public:
  using ValueChangedFunc = std::function<float(float)>;

  explicit SliderBrick(ValueChangedFunc action = {}, QWidget* parent = nullptr);

  std::optional<DrawingStack> normalSliderKnobDrawingStack;
  std::optional<DrawingStack> normalDrawBarInsideDrawingStack;
  // Must be given before the user moves the slider: the initial one is fatal.
  ValueChangedFunc sliderValueChangedFunc;

  float floatValue() const { return float(sliderPosition()); }

  void small() override;
  void apply(const ControlSkin& skin) override;

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  void actionMethod();
};

} // namespace kr
