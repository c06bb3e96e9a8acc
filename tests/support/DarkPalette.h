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
  palette.setColor(QPalette::Highlight, QColor(0x2a, 0x82, 0xda));
  return palette;
}

} // namespace kr::test
