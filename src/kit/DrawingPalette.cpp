#include "kit/DrawingPalette.h"

namespace kr {

DrawingPalette DrawingPalette::backgroundColor(QColor color) {
  DrawingPalette p;
  p.kind_ = Kind::backgroundColor;
  p.first_ = color;
  return p;
}

DrawingPalette DrawingPalette::textColor(QColor color) {
  DrawingPalette p;
  p.kind_ = Kind::textColor;
  p.first_ = color;
  return p;
}

DrawingPalette DrawingPalette::frameColor(QColor color) {
  DrawingPalette p;
  p.kind_ = Kind::frameColor;
  p.first_ = color;
  return p;
}

DrawingPalette DrawingPalette::mainGradient(Gradient gradient) {
  DrawingPalette p;
  p.kind_ = Kind::mainGradient;
  p.gradient_ = std::move(gradient);
  return p;
}

DrawingPalette DrawingPalette::fillAndStrokeColors(QColor fill, QColor stroke) {
  DrawingPalette p;
  p.kind_ = Kind::fillAndStrokeColors;
  p.first_ = fill;
  p.second_ = stroke;
  return p;
}

DrawingPalette DrawingPalette::fillAndStrokeAndTextColors(QColor fill, QColor stroke, QColor text) {
  DrawingPalette p = fillAndStrokeColors(fill, stroke);
  p.kind_ = Kind::fillAndStrokeAndTextColors;
  p.third_ = text;
  return p;
}

DrawingPalette DrawingPalette::gradientAndStrokeAndTextColors(Gradient gradient, QColor stroke,
                                                              QColor text) {
  DrawingPalette p;
  p.kind_ = Kind::gradientAndStrokeAndTextColors;
  p.gradient_ = std::move(gradient);
  p.second_ = stroke;
  p.third_ = text;
  return p;
}

} // namespace kr
