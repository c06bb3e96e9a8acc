#pragma once

#include "art/ResizingBehavior.h"
#include "platform/DrawnImage.h"

#include <QColor>
#include <QRectF>
#include <QSizeF>

namespace kr {

// The application's main style kit: class members only. Palette colours are
// built once on first use; fixed icons are images made from the kit's drawing
// functions on first read and kept for the run (drawn when the image is drawn).
class KorvaneStyleKit {
public:
  KorvaneStyleKit() = delete;

  // Palette.
  static const QColor& brightFrame();
  static const QColor& darkFrame();
  static const QColor& n10();
  static const QColor& n8();
  static const QColor& n6();
  static const QColor& n4();
  static const QColor& n3();
  static const QColor& n2();
  static const QColor& n1();
  static const QColor& lightYellow();
  static const QColor& goodFocusColor();

  // A drawing function of the kit that maps its design canvas into a frame.
  using ResizingDrawingFunction = void (*)(const QRectF& frame, ResizingBehavior resizing);

  // The image cached under `name`: made on the first read with the given size,
  // its handler calling `draw` with (0, 0, w, h) and `fit`; every later read
  // answers the same image. The image properties of the kit read through it.
  static DrawnImage cachedImage(const char* name, QSizeF size, ResizingDrawingFunction draw);
};

} // namespace kr
