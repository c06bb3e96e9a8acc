#pragma once

#include "platform/drawing/RgbColor.h"
#include "platform/richtext/ParagraphFormat.h"

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
  bool doubleStrike = false; // with strikeThrough: struck through twice
  bool capitals = false;     // shown in capitals, whatever their case
  int letterSpacing = 0;     // twips added between letters; negative: condensed
  std::optional<RgbColor> foreground;
  std::optional<RgbColor> background;
  QString link;       // URL of a hyperlink; empty = none
  QString attachment; // file name of an attachment; only on U+FFFC characters
  // The format of the paragraph the character is in. A paragraph's end
  // ("\n") belongs to the paragraph it ends.
  SharedParagraphFormat paragraph;

  bool operator==(const CharFormat&) const = default;
};

inline bool sameCharText(const QString& a, const QString& b) {
  return a.size() == b.size() && (a.constData() == b.constData() || a == b);
}

// CharFormat's equality, cheapest comparisons first: formats mostly differ
// in a flag or size, and their texts are mostly shared.
inline bool sameCharFormat(const CharFormat& a, const CharFormat& b) {
  return a.fontSize == b.fontSize && a.bold == b.bold && a.italic == b.italic &&
         a.underline == b.underline && a.strikeThrough == b.strikeThrough &&
         a.doubleStrike == b.doubleStrike && a.capitals == b.capitals &&
         a.letterSpacing == b.letterSpacing && a.foreground == b.foreground &&
         a.background == b.background && sameCharText(a.fontFamily, b.fontFamily) &&
         sameCharText(a.link, b.link) && sameCharText(a.attachment, b.attachment) &&
         a.paragraph == b.paragraph;
}

} // namespace kr
