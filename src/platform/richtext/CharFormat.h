#pragma once

#include "platform/drawing/RgbColor.h"

#include <QString>

#include <optional>

namespace kr {

// The character attributes that rich text keeps. Empty and zero values mean
// "not set": the reader's or the editor's default applies.
struct CharFormat {
  QString fontFamily;
  double fontSize = 0; // points; 0 = not set
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strikeThrough = false;
  std::optional<RgbColor> foreground;
  QString link;       // URL of a hyperlink; empty = none
  QString attachment; // file name of an attachment; only on U+FFFC characters

  bool operator==(const CharFormat&) const = default;
};

} // namespace kr
