#pragma once

#include <QFont>

namespace kr {

// The system (application) font at a size in points of the drawing
// coordinates, where one point is one device-independent pixel.
QFont systemFontOfSize(double size, QFont::Weight weight = QFont::Normal);

// The named family at that size, or the system font of the same size when the
// family is not installed.
QFont namedFontOrSystemFont(const QString& family, double size);

} // namespace kr
