#pragma once

#include "art/ResizingBehavior.h"

#include <QColor>
#include <QRectF>

namespace kr {

// The artwork of the break screens: the colour of the soft-break flashes and
// the rest screen's lock icon with its progress wedge.
class BreakTimeStyleKit {
public:
  BreakTimeStyleKit() = delete;

  static const QColor& flashColor();
  // The 39 x 39 lock icon mapped into the frame: a grey disc, a white wedge
  // covering `endAngle` degrees clockwise from twelve o'clock and a black
  // padlock, its shackle open when the wedge is exactly full (360).
  // `layers` picks the parts drawn, in this order: drawn one after another
  // over the same background they make the whole icon, so a caller may keep
  // the still ones as images.
  enum LockLayer : unsigned { lockDisc = 1, lockWedge = 2, lockPadlock = 4, lockAll = 7 };
  static void drawLockIcon(const QRectF& frame, ResizingBehavior resizing, double endAngle,
                           unsigned layers = lockAll);
  static bool isShackleOpen(double endAngle) { return endAngle == 360.0; }
};

} // namespace kr
