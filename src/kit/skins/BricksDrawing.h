#pragma once

#include "art/ResizingBehavior.h"
#include "platform/drawing/GraphicsContext.h"

#include <QColor>
#include <QRectF>
#include <QString>

namespace kr {

// The faces of the kit's controls, drawn into the current graphics context:
// push buttons, pull-downs, check boxes and a few spare pieces. Class members
// only; colours, the gradient and the shadow are built once on first use.
class BricksDrawing {
public:
  using ResizingBehavior = kr::ResizingBehavior;
  BricksDrawing() = delete;

  static const QColor& standardFill();
  static const QColor& standardStroke();
  static const QColor& standardText();
  static const QColor& standardHighlightedText();
  static const QColor& standardHighlightedStroke();
  static const QColor& darkFill();
  static const QColor& darkStroke();
  static const QColor& darkText();
  static const QColor& darkHighlightedFill();
  static const QColor& darkHighlightedStroke();
  static const QColor& darkHighlightedText();
  static const QColor& highlightGradientStart();
  static const QColor& highlightGradientEnd();
  static const Gradient& standardHighlightGradient();
  static const Shadow& lightShadow();

  static void drawPushButton(const QRectF& frame, const QColor& genericFillColor,
                             const QColor& genericStrokeColor, const QColor& genericTextColor,
                             const Shadow& genericShadow, const QString& title);
  static void drawPushButtonWithGradient(const QRectF& frame, const QColor& genericStrokeColor,
                                         const QColor& genericTextColor,
                                         const Gradient& genericGradient, const QString& title);
  static void drawRoundedRegularButton(const QRectF& frame, const QString& title);
  static void drawRoundedRegularButtonHighlighted(const QRectF& frame, const QString& title);
  static void drawDarkRoundedRegularButton(const QRectF& frame, const QString& title);
  static void drawRoundedPullDownButton(const QRectF& frame, const QColor& genericFillColor,
                                        const QColor& genericStrokeColor,
                                        const QColor& genericTextColor, const QString& title);
  static void drawDarkRoundedPullDownButton(const QRectF& frame, const QColor& genericTextColor,
                                            const QString& title);
  static void drawCheckBoxInOffState(const QRectF& frame, const QColor& genericFillColor,
                                     const QColor& genericStrokeColor,
                                     const QColor& genericTextColor, const QString& title);
  static void drawCheckBoxInOnState(const QRectF& frame, const QColor& genericFillColor,
                                    const QColor& genericStrokeColor,
                                    const QColor& genericTextColor, const QString& title);
  static void drawCanvas3(const QRectF& frame, ResizingBehavior resizing,
                          const QColor& genericTextColor);
  static void drawCanvas2(const QRectF& frame, ResizingBehavior resizing);
  static void drawCheck(const QRectF& frame, ResizingBehavior resizing);
  static void drawSliderKnob(const QRectF& frame);

  // Where the button body lies in a frame: a fixed 19.5 high band placed a
  // little below the middle of a taller frame.
  static QRectF buttonBodyRect(const QRectF& frame);

private:
  static void drawButtonFace(const QRectF& frame, const QColor* fill, const Gradient* gradient,
                             const QColor& stroke, const QColor& text, const Shadow* shadow,
                             const QString& title);
  static void drawPullDownFace(const QRectF& frame, const QColor& fill, const QColor& stroke,
                               const QColor& text, const QColor& chevron, const QString& title,
                               double titleInset);
  static void drawCheckBoxFace(const QRectF& frame, const QColor& fill, const QColor& stroke,
                               const QColor& text, const QString& title, bool on);
  static void drawTitle(GraphicsContext& context, const QString& title, const QRectF& rect,
                        const QColor& color, double yShift);
};

} // namespace kr
