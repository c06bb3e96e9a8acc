#include "art/BezierConversions.h"

#include "art/RectMapping.h"

#include <QFontMetricsF>
#include <QPainterPath>

namespace kr {

BezierPath bezierWithFont(const QString& text, const QFont& font) {
  // Qt lays glyphs out with y growing downwards, the line's top at 0.
  QPainterPath glyphs;
  glyphs.addText(QPointF(0, QFontMetricsF(font).ascent()), font, text);
  BezierPath path = BezierPath::fromPainterPath(glyphs);
  QTransform flip;
  path.transform(flipVertical(flip, path.bounds()));
  return path;
}

} // namespace kr
