#include "art/KorvaneStyleKit.h"

#include <QHash>

namespace kr {

namespace {
QColor rgb(double r, double g, double b) { return QColor::fromRgbF(float(r), float(g), float(b)); }
} // namespace

// Function-local statics: each colour is built once, thread-safely.
const QColor& KorvaneStyleKit::brightFrame() {
  static const QColor c = rgb(0.6, 0.6, 0.6);
  return c;
}
const QColor& KorvaneStyleKit::darkFrame() {
  static const QColor c = rgb(0.5, 0.5, 0.5);
  return c;
}
const QColor& KorvaneStyleKit::n10() {
  static const QColor c = rgb(0.188, 0.19, 0.2);
  return c;
}
const QColor& KorvaneStyleKit::n8() {
  static const QColor c = rgb(0.176, 0.179, 0.2);
  return c;
}
const QColor& KorvaneStyleKit::n6() {
  static const QColor c = rgb(0.202, 0.206, 0.23);
  return c;
}
const QColor& KorvaneStyleKit::n4() {
  static const QColor c = rgb(0.229, 0.233, 0.26);
  return c;
}
const QColor& KorvaneStyleKit::n3() {
  static const QColor c = rgb(0.242, 0.246, 0.275);
  return c;
}
const QColor& KorvaneStyleKit::n2() {
  static const QColor c = rgb(0.255, 0.26, 0.29);
  return c;
}
const QColor& KorvaneStyleKit::n1() {
  static const QColor c = rgb(0.268, 0.273, 0.305);
  return c;
}
const QColor& KorvaneStyleKit::lightYellow() {
  static const QColor c = rgb(0.962, 0.945, 0.625);
  return c;
}
const QColor& KorvaneStyleKit::goodFocusColor() {
  static const QColor c = rgb(0.265, 0.575, 0.0);
  return c;
}

// Read and filled on the main thread only.
DrawnImage KorvaneStyleKit::cachedImage(const char* name, QSizeF size,
                                        ResizingDrawingFunction draw) {
  static QHash<QByteArray, DrawnImage> cache;
  const QByteArray key(name);
  auto it = cache.constFind(key);
  if (it != cache.constEnd())
    return *it;
  DrawnImage image(size, [draw](const QRectF& frame) { draw(frame, ResizingBehavior::fit); });
  cache.insert(key, image);
  return image;
}

} // namespace kr
