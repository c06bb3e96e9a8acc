#pragma once

#include <QRectF>

class QPainter;
class QWidget;

namespace kr {

// The mark of the control that has the keyboard focus: a ring in the
// palette's highlight colour (the light and the dark palette each have
// their own). As with the platform's own controls, it shows once the focus
// was moved by the keyboard, until a click moves it.
class FocusMark {
public:
  static bool isShown(const QWidget& widget);
  // Draws the ring just inside `rect` (the widget's rectangle when empty).
  static void paint(QPainter& painter, const QWidget& widget, const QRectF& rect = {});
  // Draws it over what the widget painted, when it shows; for use at the end
  // of a paint event.
  static void paintIfShown(QWidget& widget);
};

} // namespace kr
