#pragma once

#include "platform/drawing/GraphicsContext.h"

#include <QColor>

namespace kr {

// The colours a drawing operation draws with; one of eight shapes.
class DrawingPalette {
public:
  enum class Kind {
    backgroundColor,
    textColor,
    frameColor,
    mainGradient,
    fillAndStrokeColors,
    fillAndStrokeAndTextColors,
    gradientAndStrokeAndTextColors,
    empty,
  };

  DrawingPalette() = default;
  static DrawingPalette backgroundColor(QColor color);
  static DrawingPalette textColor(QColor color);
  static DrawingPalette frameColor(QColor color);
  static DrawingPalette mainGradient(Gradient gradient);
  static DrawingPalette fillAndStrokeColors(QColor fill, QColor stroke);
  static DrawingPalette fillAndStrokeAndTextColors(QColor fill, QColor stroke, QColor text);
  static DrawingPalette gradientAndStrokeAndTextColors(Gradient gradient, QColor stroke,
                                                       QColor text);

  Kind kind() const { return kind_; }
  // The payload; colours a shape does not carry read invalid.
  QColor color() const { return first_; }
  QColor fill() const { return first_; }
  QColor stroke() const { return second_; }
  QColor text() const { return third_; }
  const Gradient& gradient() const { return gradient_; }

private:
  explicit DrawingPalette(Kind kind, QColor first = {}, QColor second = {}, QColor third = {},
                          Gradient gradient = {});

  Kind kind_ = Kind::empty;
  QColor first_, second_, third_;
  Gradient gradient_;
};

} // namespace kr
