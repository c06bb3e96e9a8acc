#pragma once

#include <QColor>
#include <QPalette>

namespace kr::test {

// A dark desktop's palette, as a dark desktop theme gives the program.
inline QPalette darkDesktopPalette() {
  QPalette palette(QColor(0x35, 0x35, 0x35));
  palette.setColor(QPalette::Window, QColor(0x2b, 0x2b, 0x2b));
  palette.setColor(QPalette::WindowText, Qt::white);
  palette.setColor(QPalette::Text, Qt::white);
  palette.setColor(QPalette::ButtonText, Qt::white);
  palette.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x1e));
  return palette;
}

} // namespace kr::test
