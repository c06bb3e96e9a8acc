#pragma once

#include "platform/richtext/CharFormat.h"

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

} // namespace kr::test
