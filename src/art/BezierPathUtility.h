#pragma once

#include "platform/drawing/BezierPath.h"
#include "platform/drawing/GraphicsContext.h"

#include <QColor>
#include <QRectF>
#include <QString>

#include <optional>

namespace kr {

class UserDefaults;

// Shared drawing resources of the older views: gradients, shadows, colours
// kept in the settings, a few box and arrow outlines, and text drawn as
// outlines. Class members only; every call builds a new object.
class BezierPathUtility {
public:
  BezierPathUtility() = delete;

  // Two-colour gradients.
  static Gradient whiteGradient();
  static Gradient blueGradient();
  static Gradient purpleGradient();
  static Gradient greenGradient();
  static Gradient disabledGradientForText();
  static Gradient silverGradientForText();

  static Shadow darkTextShadow();
  static Shadow focusRingShadow();
  static Shadow shadow();

  // The alpha of the three button gradients.
  static double alphaValue();
  static Gradient normalGradient();
  static Gradient pushedGradient();
  static Gradient highlightGradient();
  // Gradients for knobs, despite their names.
  static Gradient knobColor();
  static Gradient highlightKnobColor();
  static Gradient disabledKnobColor();
  static QColor strokeColor();

  // The colour stored under `key` ("#rrggbb" or "#aarrggbb") with alpha 1.0.
  // A stored text that is no colour gives the key's registered colour and a
  // console line; a key with neither stops the program.
  static QColor colorWithKey(const QString& key);
  // The stored colour with the alpha stored under `alphaKey`.
  static QColor colorWithKey(const QString& key, const QString& alphaKey);
  // As above, with alpha max(stored alpha x 0.7, 0.2).
  static QColor inactiveColorWithKey(const QString& key, const QString& alphaKey);
  // The same readings over another settings store.
  static QColor colorWithKey(const UserDefaults& defaults, const QString& key);
  static QColor colorWithKey(const UserDefaults& defaults, const QString& key,
                             const QString& alphaKey);
  static QColor inactiveColorWithKey(const UserDefaults& defaults, const QString& key,
                                     const QString& alphaKey);

  // Outlines, each with line width 1.0 and miter limit 0.0. Rectangles are in
  // drawing coordinates, y up.
  static BezierPath bezierPathForRightFacingArrow(const QRectF& rect);
  static BezierPath bezierPathForEventBoxWithoutArrows(const QRectF& rect, double inset);
  static BezierPath bezierPathForEventBoxWithBothArrows(const QRectF& rect, double inset);
  static BezierPath bezierPathForEventBoxWithRightArrow(const QRectF& rect, double inset);
  static BezierPath bezierPathForEventBoxWithLeftArrow(const QRectF& rect, double inset);
  // A box with a downward triangle of half-width and height `inset` whose tip
  // lies `triangleCenterX` right of the box's left edge, at its low edge.
  static BezierPath bezierDownBoxFittingInRect(const QRectF& rect, double triangleCenterX,
                                               double inset);
  // A rounded bubble with an upward triangle whose tip, at absolute x
  // `triangleCenterX`, touches the top; miter joins, line width 1.
  static BezierPath bezierPathFittingInRect(const QRectF& rect, double triangleCenterX,
                                            double cornerRadius, double inset);
  // Moves the path by (0.5, 0.5) and returns it.
  static BezierPath& offsetByHalfPixelForDrawing(BezierPath& path);

  // The text as outlines of "Helvetica Neue Bold" 14 (or the bold system
  // font), centred in `rect`: stroked in `outlineColor` and filled with the
  // gradient from top to bottom, with the shadow when one is given.
  static void drawText(const QString& text, const QRectF& rect, const Gradient& gradient,
                       const std::optional<Shadow>& shadow, const QColor& outlineColor);
};

} // namespace kr
