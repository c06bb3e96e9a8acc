#pragma once

#include "platform/richtext/CharFormat.h"

#include <optional>

namespace kr::test {

// The format the program writes log entries in: Helvetica 12 in black.
inline CharFormat helvetica(bool bold = false) {
  CharFormat f;
  f.fontFamily = QStringLiteral("Helvetica");
  f.fontSize = 12;
  f.bold = bold;
  f.foreground = RgbColor{0, 0, 0};
  return f;
}

// Any character format the tests write text in.
inline CharFormat charFormat(const QString& family, double size = 0, bool bold = false,
                             bool italic = false, std::optional<RgbColor> colour = std::nullopt,
                             const QString& link = {}) {
  CharFormat f;
  f.fontFamily = family;
  f.fontSize = size;
  f.bold = bold;
  f.italic = italic;
  f.foreground = colour;
  f.link = link;
  return f;
}

} // namespace kr::test
