#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

namespace kr {

// An opaque colour with 8 bits per channel. Core-only stand-in for QColor so
// that rich text can be handled off the GUI thread and without QtGui.
struct RgbColor {
  quint8 red = 0;
  quint8 green = 0;
  quint8 blue = 0;

  bool operator==(const RgbColor&) const = default;

  // "#rrggbb", lower case.
  QString toHex() const {
    return QString::asprintf("#%02x%02x%02x", unsigned(red), unsigned(green), unsigned(blue));
  }

  // Reads "#rrggbb" (case-insensitive); anything else gives no colour.
  static std::optional<RgbColor> fromHex(const QString& text) {
    if (text.size() != 7 || text.at(0) != QLatin1Char('#'))
      return std::nullopt;
    bool ok = false;
    const uint value = QStringView(text).mid(1).toUInt(&ok, 16);
    if (!ok)
      return std::nullopt;
    return RgbColor{quint8(value >> 16), quint8(value >> 8), quint8(value)};
  }
};

} // namespace kr
