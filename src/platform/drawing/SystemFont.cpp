#include "platform/drawing/SystemFont.h"

#include <QFontDatabase>
#include <QGuiApplication>

#include <cmath>

namespace kr {

QFont systemFontOfSize(double size, QFont::Weight weight) {
  QFont font = QGuiApplication::font();
  font.setPixelSize(int(std::lround(size)));
  font.setWeight(weight);
  return font;
}

QFont namedFontOrSystemFont(const QString& family, double size) {
  if (!QFontDatabase::families().contains(family))
    return systemFontOfSize(size);
  QFont font(family);
  font.setPixelSize(int(std::lround(size)));
  return font;
}

} // namespace kr
