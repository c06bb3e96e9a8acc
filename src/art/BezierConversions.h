#pragma once

#include "platform/drawing/BezierPath.h"

#include <QFont>
#include <QString>

namespace kr {

// The outlines of the text's glyphs in `font`, upright in drawing
// coordinates (y up), laid out on one line.
BezierPath bezierWithFont(const QString& text, const QFont& font);

} // namespace kr
