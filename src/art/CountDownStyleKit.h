#pragma once

#include <QImage>
#include <QRectF>
#include <QSizeF>
#include <QString>

namespace kr {

// The artwork of the rest screen's count-down dial: the white wedge, the ring
// around it and the read-out text. White only; images are made anew on every
// call. Angles in degrees, counter-clockwise from the positive x axis, y up.
class CountDownStyleKit {
public:
  CountDownStyleKit() = delete;

  // The wedge of the ellipse inscribed in the frame inset by 40 left and
  // right, 39 at the bottom and 41 at the top, clockwise from start to end.
  static void drawSlice(const QRectF& frame, double startAngle, double endAngle);
  // The oval in the frame inset by 20, stroked white at width 10.
  static void drawOuterCircle(const QRectF& frame);
  // The text centred in the fixed box (0, -1, 300, 40).
  static void drawReadOut(const QString& text);

  static QImage imageOfSlice(QSizeF imageSize, double startAngle, double endAngle);
  static QImage imageOfOuterCircle(QSizeF imageSize);
  // Always 300 x 40.
  static QImage imageOfReadOut(const QString& text);

  // The inset rectangle the wedge's ellipse is inscribed in.
  static QRectF sliceRect(const QRectF& frame);
  // The read-out font; Futura Medium where it exists, else a sans of similar weight.
  static QFont readOutFont();
};

} // namespace kr
