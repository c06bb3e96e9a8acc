#pragma once

#include <QColor>
#include <QPalette>

#include <algorithm>
#include <cmath>

namespace kr::test {

// A light desktop's palette.
inline QPalette lightDesktopPalette() {
  QPalette palette(QColor(0xef, 0xef, 0xef));
  palette.setColor(QPalette::WindowText, Qt::black);
  palette.setColor(QPalette::Text, Qt::black);
  palette.setColor(QPalette::ButtonText, Qt::black);
  palette.setColor(QPalette::Base, Qt::white);
  return palette;
}

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

// A colour's relative luminance, from 0 (black) to 1 (white).
inline double relativeLuminance(QRgb rgb) {
  const auto channel = [](int value) {
    const double c = value / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * channel(qRed(rgb)) + 0.7152 * channel(qGreen(rgb)) + 0.0722 * channel(qBlue(rgb));
}

// The contrast ratio of two colours (1 to 21).
inline double contrastRatio(QRgb a, QRgb b) {
  const double la = relativeLuminance(a);
  const double lb = relativeLuminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

} // namespace kr::test
