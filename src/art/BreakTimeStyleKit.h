#pragma once

#include "art/ResizingBehavior.h"
#include "platform/drawing/DrawnImage.h"

#include <QColor>
#include <QRectF>

namespace kr {

// The artwork of the break screens: the colour of the soft-break flashes, the
// rest screen's lock icon with its progress wedge, a small status dial, five
// transport buttons and a design study of a break panel. The dial, the buttons
// and the panel are drawn by nothing in the program today.
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

  // An 18 x 18 dial in fixed coordinates: a dark grey ring round a dark grey
  // wedge that runs clockwise from twelve o'clock to the angle `endAngle` + 90
  // (degrees counter-clockwise from three o'clock): 270 gives a quarter, 90
  // three quarters. The image is made anew on every call.
  static void drawStatusItem(double endAngle);
  static DrawnImage imageOfStatusItem(double endAngle);

  // 16 x 16 black buttons; fast forward and the transparent play button are
  // drawn at half opacity. Their images are made once and kept for the run.
  static void drawPlayButton(const QRectF& frame,
                             ResizingBehavior resizing = ResizingBehavior::fit);
  static void drawPauseButton(const QRectF& frame,
                              ResizingBehavior resizing = ResizingBehavior::fit);
  static void drawFastForwardButton(const QRectF& frame,
                                    ResizingBehavior resizing = ResizingBehavior::fit);
  static void drawTransparentPlayButton(const QRectF& frame,
                                        ResizingBehavior resizing = ResizingBehavior::fit);
  static void drawAddButton(const QRectF& frame, ResizingBehavior resizing = ResizingBehavior::fit);
  static DrawnImage imageOfPlayButton();
  static DrawnImage imageOfPauseButton();
  static DrawnImage imageOfFastForwardButton();
  static DrawnImage imageOfTransparentPlayButton();
  static DrawnImage imageOfAddButton();

  // A 385 x 191 break panel: "05:03" on a dark display over the caption
  // "TIME REMAINING TILL BREAK".
  static void drawCanvas1(const QRectF& frame, ResizingBehavior resizing = ResizingBehavior::fit);
};

} // namespace kr
