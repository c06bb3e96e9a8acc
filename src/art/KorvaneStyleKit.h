#pragma once

#include "art/ResizingBehavior.h"
#include "platform/drawing/BezierPath.h"
#include "platform/drawing/DrawnImage.h"

#include <QColor>
#include <QFont>
#include <QRectF>
#include <QSizeF>
#include <QString>

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

  // White, black and light grey of the kit's drawings (white 1.0, 0.0, 0.667).
  static const QColor& white();
  static const QColor& black();
  static const QColor& lightGray();
  // The label font (10) and the small system font (11).
  static QFont labelFont();
  static QFont smallSystemFont();

  // The window's background and logo, the pad selector's icons, the calendar
  // event box and the time bubble. The background lays its bands out against
  // the frame's edges; the logo (187 x 21) and the icons (18 x 18) map their
  // canvas into the frame.
  static void drawBackground(const QRectF& frame);
  static void drawLogo(const QRectF& frame, ResizingBehavior resizing = ResizingBehavior::fit);
  static void drawNowPadIcon(const QRectF& frame,
                             ResizingBehavior resizing = ResizingBehavior::fit);
  static void drawLaterPadIcon(const QRectF& frame,
                               ResizingBehavior resizing = ResizingBehavior::fit);
  static void drawScratchPadIcon(const QRectF& frame,
                                 ResizingBehavior resizing = ResizingBehavior::fit);
  static void drawLogBookIcon(const QRectF& frame,
                              ResizingBehavior resizing = ResizingBehavior::fit);
  static void drawStatsIcon(const QRectF& frame, ResizingBehavior resizing = ResizingBehavior::fit);
  static void drawHelpIcon(const QRectF& frame, ResizingBehavior resizing = ResizingBehavior::fit);
  static void drawHideIcon(const QRectF& frame, ResizingBehavior resizing = ResizingBehavior::fit);
  // A white rule with optional end ticks and the label under it.
  static void drawEventView(const QRectF& frame, bool leftTerminator, bool rightTerminator,
                            const QString& label);
  // The label and an open chevron pointing up, its middle at
  // `horizontalCenter` in the view's own coordinates (not clamped to the frame).
  static void drawBubbleWithArrowOnTop(const QRectF& frame, const QString& label,
                                       double horizontalCenter);
  static void drawAlternativeOption(const QRectF& frame);
  static void drawTagTokenFieldBackground(const QRectF& frame);
  // These three draw nothing.
  static void drawPadBackground(const QRectF& frame);
  static void drawSegmentedControl(const QRectF& frame);
  static void drawHighlightedSegmentedControl(const QRectF& frame);

  static DrawnImage imageOfHideIcon();
  static DrawnImage imageOfNowPadIcon();
  static DrawnImage imageOfLaterPadIcon();
  static DrawnImage imageOfScratchPadIcon();
  static DrawnImage imageOfLogBookIcon();
  static DrawnImage imageOfStatsIcon();
  static DrawnImage imageOfHelpIcon();

  // Window pieces, placeholders and the bars behind page sections. The
  // functions without `resizing` draw in the frame's own coordinates.
  static void drawTitleBarRoundButton(const QRectF& frame,
                                      ResizingBehavior resizing = ResizingBehavior::fit);
  static void drawEmptyPlaceholderIcon(const QRectF& frame,
                                       ResizingBehavior resizing = ResizingBehavior::fit);
  static void drawEmptyEndPlaceholderIcon(const QRectF& frame,
                                          ResizingBehavior resizing = ResizingBehavior::fit);
  static void drawEmptyStartPlaceholderIcon(const QRectF& frame,
                                            ResizingBehavior resizing = ResizingBehavior::fit);
  static void drawMainWindowMask(const QRectF& frame,
                                 ResizingBehavior resizing = ResizingBehavior::fit);
  static void drawLogBookEntry(const QRectF& frame);
  static void drawTitleFragmentBar(const QRectF& frame);
  static void drawFirstLabelFragmentBar(const QRectF& frame);
  static void drawLabelFragmentBar(const QRectF& frame);
  static void drawOptionFragmentBar(const QRectF& frame);
  static void drawInbetweenWall(const QRectF& frame);
  static void drawCalendarNoEvents(const QRectF& frame);
  static void drawDefaultFragmentBackground(const QRectF& frame);
  static void drawDummyTitleFragmentText(const QRectF& frame);
  static void drawCanvas1(const QRectF& frame, ResizingBehavior resizing = ResizingBehavior::fit);
  // The shape of every fragment bar: square bottom corners, top corners
  // rounded with radius 1.
  static BezierPath fragmentBarPath(const QRectF& rect);

  static DrawnImage imageOfEmptyPlaceholderIcon();
  static DrawnImage imageOfEmptyEndPlaceholderIcon();
  static DrawnImage imageOfEmptyStartPlaceholderIcon();
  static DrawnImage imageOfMainWindowMask();

  // Text-style indicators (20 x 20) and option icons.
  static void drawPlainIndicator(const QRectF& frame,
                                 ResizingBehavior resizing = ResizingBehavior::fit);
  static void drawBoldIndicator(const QRectF& frame,
                                ResizingBehavior resizing = ResizingBehavior::fit);
  static void drawItalicsIndicator(const QRectF& frame,
                                   ResizingBehavior resizing = ResizingBehavior::fit);
  static void drawUnderlineIndicator(const QRectF& frame,
                                     ResizingBehavior resizing = ResizingBehavior::fit);
  static void drawStrikeThroughIndicator(const QRectF& frame,
                                         ResizingBehavior resizing = ResizingBehavior::fit);
  static void drawFilterIcon(const QRectF& frame,
                             ResizingBehavior resizing = ResizingBehavior::fit);
  static void drawStatePreferencesIcon(const QRectF& frame,
                                       ResizingBehavior resizing = ResizingBehavior::fit);
  static void drawHelpIndexIcon(const QRectF& frame,
                                ResizingBehavior resizing = ResizingBehavior::fit);
  static void drawAlternativeUIIcon(const QRectF& frame,
                                    ResizingBehavior resizing = ResizingBehavior::fit);

  static DrawnImage imageOfPlainIndicator();
  static DrawnImage imageOfBoldIndicator();
  static DrawnImage imageOfItalicsIndicator();
  static DrawnImage imageOfUnderlineIndicator();
  static DrawnImage imageOfStrikeThroughIndicator();
  static DrawnImage imageOfFilterIcon();
  static DrawnImage imageOfStatePreferencesIcon();
  static DrawnImage imageOfHelpIndexIcon();
  static DrawnImage imageOfAlternativeUIIcon();

  // A text centred vertically in `box` (and clipped to it), moved by `offset`.
  static void drawTextInBox(const QString& text, const QRectF& box, const QFont& font,
                            const QColor& color, Qt::Alignment alignment, QPointF offset);
};

} // namespace kr
