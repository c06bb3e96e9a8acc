#include "art/BezierPathUtility.h"

#include "art/BezierConversions.h"
#include "platform/FatalError.h"
#include "platform/QnLog.h"
#include "platform/drawing/SystemFont.h"
#include "platform/settings/UserDefaults.h"

#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <optional>

namespace kr {

namespace {

QColor rgb(float r, float g, float b, float a = 1.0f) { return QColor::fromRgbF(r, g, b, a); }

QColor grey(float white, float a = 1.0f) { return QColor::fromRgbF(white, white, white, a); }

// A path of the outline members: line width 1.0, miter limit 0.0.
BezierPath outline() {
  BezierPath path;
  path.setLineWidth(1.0);
  path.setMiterLimit(0.0);
  return path;
}

BezierPath closedOutline(std::initializer_list<QPointF> points) {
  BezierPath path = outline();
  path.append(BezierPath::polygon(points));
  return path;
}

// Four stops, two of them at 0.5: a hard step in the middle.
Gradient steppedGradient(QList<QColor> colors) { return Gradient(colors, {0.0, 0.5, 0.5, 1.0}); }

// A stored colour is "#rrggbb" or "#aarrggbb".
std::optional<QColor> readColor(const QVariant& value) {
  if (!value.isValid())
    return std::nullopt;
  static const QRegularExpression pattern(QStringLiteral("^#([0-9a-fA-F]{6}|[0-9a-fA-F]{8})$"));
  const QString text = UserDefaults::toString(value);
  if (!pattern.match(text).hasMatch())
    return std::nullopt;
  return QColor::fromString(text);
}

// The colour under `key`: the stored one, else the registered one. A stored
// text that is no colour falls back to the registered colour with a console
// line; with no colour to fall back to the program stops with `failure`.
QColor storedColor(const UserDefaults& defaults, const QString& key, const QString& failure) {
  const std::optional<QColor> registered = readColor(defaults.registeredValue(key));
  if (defaults.hasStoredValue(key)) {
    if (const std::optional<QColor> stored = readColor(defaults.object(key)))
      return *stored;
    if (registered) {
      // Said once for each value, however often the colour is asked for.
      static QSet<QString> reported;
      const QString stored = UserDefaults::toString(defaults.object(key));
      if (!reported.contains(key + u'\n' + stored)) {
        reported.insert(key + u'\n' + stored);
        platformLog(QStringLiteral("The colour stored under %1 cannot be read (\"%2\"); using "
                                   "its registered colour %3")
                        .arg(key, stored, registered->name(QColor::HexRgb)));
      }
      return *registered;
    }
  } else if (registered) {
    return *registered;
  }
  KR_FATAL(failure);
}

QColor withAlpha(QColor color, double alpha) {
  color.setAlphaF(float(std::clamp(alpha, 0.0, 1.0)));
  return color;
}

} // namespace

Gradient BezierPathUtility::whiteGradient() {
  return Gradient::between(rgb(0.96f, 0.961f, 0.96f), rgb(0.892f, 0.893f, 0.892f));
}

Gradient BezierPathUtility::blueGradient() {
  return Gradient::between(rgb(0.0f, 0.4375f, 1.0f), rgb(0.0f, 0.4375f, 1.0f));
}

Gradient BezierPathUtility::purpleGradient() {
  return Gradient::between(rgb(0.5f, 0.5f, 1.0f), rgb(0.3f, 0.3f, 1.0f));
}

Gradient BezierPathUtility::greenGradient() {
  return Gradient::between(rgb(0.5f, 1.0f, 0.5f), rgb(0.3f, 1.0f, 0.3f));
}

Gradient BezierPathUtility::disabledGradientForText() {
  return Gradient::between(grey(0.4f), grey(0.4f));
}

Gradient BezierPathUtility::silverGradientForText() {
  return Gradient::between(grey(0.6f), grey(1.0f));
}

Shadow BezierPathUtility::darkTextShadow() { return Shadow{grey(0.0f, 0.5f), QPointF(0, 0), 0.0}; }

Shadow BezierPathUtility::focusRingShadow() { return Shadow{grey(1.0f), QPointF(0, 0), 3.0}; }

Shadow BezierPathUtility::shadow() { return Shadow{grey(0.0f), QPointF(3.0, -5.0), 2.0}; }

double BezierPathUtility::alphaValue() { return 0.7; }

Gradient BezierPathUtility::normalGradient() {
  const float a = float(alphaValue());
  return Gradient({rgb(0.324f, 0.331f, 0.347f, a), rgb(0.206f, 0.214f, 0.233f, a),
                   rgb(0.139f, 0.147f, 0.167f, a)},
                  {0.0, 0.5, 1.0});
}

Gradient BezierPathUtility::pushedGradient() {
  const float a = float(alphaValue());
  return steppedGradient({rgb(0.524f, 0.531f, 0.547f, a), rgb(0.445f, 0.453f, 0.469f, a),
                          rgb(0.406f, 0.414f, 0.433f, a), rgb(0.339f, 0.347f, 0.367f, a)});
}

Gradient BezierPathUtility::highlightGradient() { return pushedGradient(); }

Gradient BezierPathUtility::knobColor() {
  return steppedGradient({rgb(0.324f, 0.331f, 0.347f), rgb(0.245f, 0.253f, 0.269f),
                          rgb(0.206f, 0.214f, 0.233f), rgb(0.139f, 0.147f, 0.167f)});
}

Gradient BezierPathUtility::highlightKnobColor() {
  return steppedGradient({rgb(0.524f, 0.531f, 0.547f), rgb(0.445f, 0.453f, 0.469f),
                          rgb(0.406f, 0.414f, 0.433f), rgb(0.339f, 0.347f, 0.367f)});
}

Gradient BezierPathUtility::disabledKnobColor() { return knobColor(); }

QColor BezierPathUtility::strokeColor() { return rgb(0.749f, 0.761f, 0.788f, 0.7f); }

QColor BezierPathUtility::colorWithKey(const QString& key) {
  return colorWithKey(UserDefaults::standard(), key);
}

QColor BezierPathUtility::colorWithKey(const QString& key, const QString& alphaKey) {
  return colorWithKey(UserDefaults::standard(), key, alphaKey);
}

QColor BezierPathUtility::inactiveColorWithKey(const QString& key, const QString& alphaKey) {
  return inactiveColorWithKey(UserDefaults::standard(), key, alphaKey);
}

QColor BezierPathUtility::colorWithKey(const UserDefaults& defaults, const QString& key) {
  const QString failure = QStringLiteral("colorWithKey: %1 could not be deserialized").arg(key);
  return withAlpha(storedColor(defaults, key, failure), 1.0);
}

QColor BezierPathUtility::colorWithKey(const UserDefaults& defaults, const QString& key,
                                       const QString& alphaKey) {
  const float alpha = defaults.floatValue(alphaKey);
  const QString failure =
      QStringLiteral("colorWithKey: %1 and alphaKey: %2 could not be deserialized")
          .arg(key, alphaKey);
  return withAlpha(storedColor(defaults, key, failure), alpha);
}

QColor BezierPathUtility::inactiveColorWithKey(const UserDefaults& defaults, const QString& key,
                                               const QString& alphaKey) {
  const float alpha = defaults.floatValue(alphaKey);
  const QString failure =
      QStringLiteral("inactiveColorWithKey: %1 and alphaKey: %2 could not be deserialized")
          .arg(key, alphaKey);
  return withAlpha(storedColor(defaults, key, failure), std::max(alpha * 0.7f, 0.2f));
}

BezierPath BezierPathUtility::bezierPathForRightFacingArrow(const QRectF& r) {
  return closedOutline({QPointF(r.x(), r.y() + r.height()),
                        QPointF(r.x() + r.width(), r.y() + r.height() / 2), QPointF(r.x(), r.y())});
}

BezierPath BezierPathUtility::bezierPathForEventBoxWithoutArrows(const QRectF& r, double d) {
  BezierPath path = outline();
  path.appendRect(QRectF(r.x(), r.y() + d, r.width(), r.height() - d));
  return path;
}

BezierPath BezierPathUtility::bezierPathForEventBoxWithBothArrows(const QRectF& r, double d) {
  const double x = r.x(), y = r.y(), w = r.width(), h = r.height();
  return closedOutline({QPointF(x, y + h), QPointF(x + w, y + h), QPointF(x + w, y),
                        QPointF(x + w - d, y + d), QPointF(x + d, y + d), QPointF(x, y)});
}

BezierPath BezierPathUtility::bezierPathForEventBoxWithRightArrow(const QRectF& r, double d) {
  const double x = r.x(), y = r.y(), w = r.width(), h = r.height();
  return closedOutline({QPointF(x, y + h), QPointF(x + w, y + h), QPointF(x + w, y),
                        QPointF(x + w - d, y + d), QPointF(x, y + d)});
}

BezierPath BezierPathUtility::bezierPathForEventBoxWithLeftArrow(const QRectF& r, double d) {
  const double x = r.x(), y = r.y(), w = r.width(), h = r.height();
  return closedOutline({QPointF(x, y + h), QPointF(x + w, y + h), QPointF(x + w, y + d),
                        QPointF(x + d, y + d), QPointF(x, y)});
}

BezierPath BezierPathUtility::bezierDownBoxFittingInRect(const QRectF& r, double c, double d) {
  const double x = r.x(), y = r.y(), w = r.width(), h = r.height();
  return closedOutline({QPointF(x, y + h), QPointF(x + w, y + h), QPointF(x + w, y + d),
                        QPointF(x + c + d, y + d), QPointF(x + c, y), QPointF(x + c - d, y + d),
                        QPointF(x, y + d), QPointF(x, y + h)});
}

BezierPath BezierPathUtility::bezierPathFittingInRect(const QRectF& r, double c, double radius,
                                                      double d) {
  const double x = r.x(), y = r.y();
  const double top = y + r.height() - d;
  const double right = x + r.width();
  BezierPath path;
  path.setLineJoinStyle(Qt::MiterJoin);
  // The triangle, its tip touching the rectangle's top.
  path.moveTo(QPointF(c - d, top));
  path.lineTo(QPointF(c, top + d));
  path.lineTo(QPointF(c + d, top));
  // The high right corner is rounded only when the triangle leaves room.
  if (right - path.currentPoint().x() >= radius) {
    path.lineTo(QPointF(right - radius, top));
    path.appendArc(QPointF(right - radius, top - radius), radius, 90, 0, true);
  } else {
    path.lineTo(QPointF(right, top));
  }
  path.lineTo(QPointF(right, y + radius));
  path.appendArc(QPointF(right - radius, y + radius), radius, 0, -90, true);
  path.lineTo(QPointF(x + radius, y));
  path.appendArc(QPointF(x + radius, y + radius), radius, -90, 180, true);
  path.lineTo(QPointF(x, top - radius));
  if ((c - d) - x >= radius)
    path.appendArc(QPointF(x + radius, top - radius), radius, 180, 90, true);
  else
    path.lineTo(QPointF(x, top));
  path.lineTo(QPointF(c - d, top));
  path.closePath();
  return path;
}

BezierPath& BezierPathUtility::offsetByHalfPixelForDrawing(BezierPath& path) {
  path.transform(QTransform::fromTranslate(0.5, 0.5));
  return path;
}

void BezierPathUtility::drawText(const QString& text, const QRectF& rect, const Gradient& gradient,
                                 const std::optional<Shadow>& shadow, const QColor& outlineColor) {
  QFont font = namedFontOrSystemFont(QStringLiteral("Helvetica Neue Bold"), 14.0);
  font.setBold(true);
  // The outlines come upright (y up), so they are drawn as they are.
  BezierPath glyphs = bezierWithFont(text, font);
  const QRectF b = glyphs.bounds();
  const double dx = rect.x() + rect.width() / 2 - b.width() / 2 - b.x();
  const double dy = rect.y() + rect.height() / 2 - b.height() / 2 - b.y();
  GraphicsContext& context = *GraphicsContext::current();
  context.saveState();
  context.translate(dx, dy);
  glyphs.setLineWidth(1.0);
  if (shadow)
    context.setShadow(*shadow);
  context.strokePath(glyphs, outlineColor);
  context.drawLinearGradient(gradient, glyphs, -90);
  context.restoreState();
}

} // namespace kr
