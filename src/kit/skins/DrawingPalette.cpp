#include "kit/skins/DrawingPalette.h"

namespace kr {

DrawingPalette::DrawingPalette(Kind kind, QColor first, QColor second, QColor third,
                               Gradient gradient)
    : kind_(kind), first_(first), second_(second), third_(third), gradient_(std::move(gradient)) {}

DrawingPalette DrawingPalette::backgroundColor(QColor color) {
  return DrawingPalette(Kind::backgroundColor, color);
}

DrawingPalette DrawingPalette::textColor(QColor color) {
  return DrawingPalette(Kind::textColor, color);
}

DrawingPalette DrawingPalette::frameColor(QColor color) {
  return DrawingPalette(Kind::frameColor, color);
}

DrawingPalette DrawingPalette::mainGradient(Gradient gradient) {
  return DrawingPalette(Kind::mainGradient, {}, {}, {}, std::move(gradient));
}

DrawingPalette DrawingPalette::fillAndStrokeColors(QColor fill, QColor stroke) {
  return DrawingPalette(Kind::fillAndStrokeColors, fill, stroke);
}

DrawingPalette DrawingPalette::fillAndStrokeAndTextColors(QColor fill, QColor stroke, QColor text) {
  return DrawingPalette(Kind::fillAndStrokeAndTextColors, fill, stroke, text);
}

DrawingPalette DrawingPalette::gradientAndStrokeAndTextColors(Gradient gradient, QColor stroke,
                                                              QColor text) {
  return DrawingPalette(Kind::gradientAndStrokeAndTextColors, {}, stroke, text,
                        std::move(gradient));
}

} // namespace kr
