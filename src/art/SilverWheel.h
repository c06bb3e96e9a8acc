#pragma once

#include "platform/drawing/DrawnImage.h"

#include <QRectF>
#include <QSizeF>

namespace kr {

// The "silverwheel" picture: a silver spoked wheel, lit from the top left,
// on a 24 x 24 canvas with nothing drawn outside the rim.
class SilverWheel {
public:
  SilverWheel() = delete;

  static constexpr const char* kImageName = "silverwheel";
  static constexpr QSizeF kSize{24.0, 24.0};

  // Draws the wheel into the current graphics context, its canvas fitted
  // into `frame`.
  static void draw(const QRectF& frame);
  // The picture at its own size, made once and kept for the run.
  static const DrawnImage& image();
};

} // namespace kr
