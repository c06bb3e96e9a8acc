#include "platform/richtext/RtfKeywords.h"

#include <array>
#include <cstdint>
#include <string_view>
#include <utility>

namespace kr {

namespace {

using K = RtfKeyword;

constexpr std::pair<std::string_view, RtfKeyword> kKeywords[] = {
    {"ansi", K::Ansi},
    {"mac", K::Mac},
    {"pc", K::Pc},
    {"pca", K::Pca},
    {"ansicpg", K::AnsiCodePage},
    {"cocoartf", K::FaceNamedFonts},
    {"deff", K::DefaultFont},
    {"viewfont", K::ViewFont},
    {"fcharset", K::FontCharset},
    {"cpg", K::FontCodePage},
    {"uc", K::UnicodeSkip},
    {"u", K::Unicode},
    {"bin", K::Bin},
    {"fonttbl", K::FontTable},
    {"colortbl", K::ColorTable},
    {"fldinst", K::FieldInstruction},
    // Destinations whose content is never body text.
    {"stylesheet", K::SkippedDestination},
    {"info", K::SkippedDestination},
    {"pict", K::Picture},
    {"object", K::EmbeddedObject},
    {"objdata", K::SkippedDestination},
    {"nonshppict", K::SkippedDestination},
    {"header", K::HeaderFooter},
    {"headerl", K::HeaderFooter},
    {"headerr", K::HeaderFooter},
    {"headerf", K::HeaderFooter},
    {"footer", K::HeaderFooter},
    {"footerl", K::HeaderFooter},
    {"footerr", K::HeaderFooter},
    {"footerf", K::HeaderFooter},
    {"footnote", K::Footnote},
    {"annotation", K::SkippedDestination},
    {"atnid", K::SkippedDestination},
    {"atnauthor", K::SkippedDestination},
    {"listtable", K::SkippedDestination},
    {"listoverridetable", K::SkippedDestination},
    {"revtbl", K::SkippedDestination},
    {"rsidtbl", K::SkippedDestination},
    {"filetbl", K::SkippedDestination},
    {"pgdsctbl", K::SkippedDestination},
    {"themedata", K::SkippedDestination},
    {"colorschememapping", K::SkippedDestination},
    {"datastore", K::SkippedDestination},
    {"latentstyles", K::SkippedDestination},
    {"xmlnstbl", K::SkippedDestination},
    {"generator", K::SkippedDestination},
    {"userprops", K::SkippedDestination},
    {"expandedcolortbl", K::SkippedDestination},
    {"bkmkstart", K::SkippedDestination},
    {"bkmkend", K::SkippedDestination},
    {"xe", K::SkippedDestination},
    {"tc", K::SkippedDestination},
    {"txe", K::SkippedDestination},
    {"shppict", K::PictureGroup},
    {"pngblip", K::PngPicture},
    {"jpegblip", K::JpegPicture},
    {"shp", K::Drawing},
    {"do", K::Drawing},
    {"v", K::Hidden},
    {"super", K::SuperSub},
    {"sub", K::SuperSub},
    {"up", K::Raised},
    {"dn", K::Raised},
    {"highlight", K::Highlight},
    {"page", K::Break},
    {"sect", K::Break},
    {"column", K::Break},
    {"listtext", K::ListText},
    {"pntext", K::ListText},
    {"ls", K::ListLevel},
    {"ilvl", K::ListLevel},
    {"trowd", K::TableRow},
    {"intbl", K::TableRow},
    {"field", K::Field},
    {"fldrslt", K::FieldResult},
    {"NeXTGraphic", K::Attachment},
    {"f", K::Font},
    {"fs", K::FontSize},
    {"b", K::Bold},
    {"i", K::Italic},
    {"ul", K::Underline},
    {"uld", K::Underline},
    {"uldash", K::Underline},
    {"uldashd", K::Underline},
    {"uldashdd", K::Underline},
    {"uldb", K::Underline},
    {"ulhwave", K::Underline},
    {"ulldash", K::Underline},
    {"ulth", K::Underline},
    {"ulthd", K::Underline},
    {"ulthdash", K::Underline},
    {"ulthdashd", K::Underline},
    {"ulthdashdd", K::Underline},
    {"ulthldash", K::Underline},
    {"ululdbwave", K::Underline},
    {"ulw", K::Underline},
    {"ulwave", K::Underline},
    {"ulnone", K::UnderlineNone},
    {"strike", K::Strike},
    {"striked", K::Strike},
    {"cf", K::ColorForeground},
    {"plain", K::Plain},
    {"red", K::Red},
    {"green", K::Green},
    {"blue", K::Blue},
    {"pard", K::ParagraphDefault},
    {"tx", K::TabStop},
    {"par", K::Paragraph},
    {"line", K::Line},
    {"tab", K::Tab},
    {"cell", K::Cell},
    {"nestcell", K::Cell},
    {"row", K::Row},
    {"nestrow", K::Row},
    {"lquote", K::LeftSingleQuote},
    {"rquote", K::RightSingleQuote},
    {"ldblquote", K::LeftDoubleQuote},
    {"rdblquote", K::RightDoubleQuote},
    {"bullet", K::Bullet},
    {"emdash", K::EmDash},
    {"endash", K::EnDash},
    {"emspace", K::EmSpace},
    {"enspace", K::EnSpace},
    {"qmspace", K::QuarterEmSpace},
    {"zwj", K::ZeroWidthJoiner},
    {"zwnj", K::ZeroWidthNonJoiner},
    {"ltrmark", K::LeftToRightMark},
    {"rtlmark", K::RightToLeftMark},
};

// The words in an open-addressed table, made at compile time: a lookup
// hashes the word once and mostly compares it with one entry.
constexpr std::size_t kSlots = 512;

constexpr std::uint32_t wordHash(std::string_view word) {
  std::uint32_t hash = 2166136261u;
  for (const char c : word)
    hash = (hash ^ std::uint8_t(c)) * 16777619u;
  return hash;
}

struct Slot {
  std::string_view word; // empty: a free slot
  RtfKeyword keyword = RtfKeyword::Unknown;
};

constexpr std::array<Slot, kSlots> kTable = [] {
  std::array<Slot, kSlots> table{};
  for (const auto& [word, keyword] : kKeywords) {
    std::size_t i = wordHash(word) % kSlots;
    while (!table[i].word.empty())
      i = (i + 1) % kSlots;
    table[i] = Slot{word, keyword};
  }
  return table;
}();

} // namespace

RtfKeyword rtfKeyword(std::string_view word) {
  if (word.empty())
    return RtfKeyword::Unknown;
  for (std::size_t i = wordHash(word) % kSlots;; i = (i + 1) % kSlots) {
    const Slot& slot = kTable[i];
    if (slot.word.empty())
      return RtfKeyword::Unknown;
    if (slot.word == word)
      return slot.keyword;
  }
}

bool isDestination(RtfKeyword keyword) {
  switch (keyword) {
  case K::FontTable:
  case K::ColorTable:
  case K::FieldInstruction:
  case K::SkippedDestination:
  case K::Footnote:
  case K::HeaderFooter:
  case K::Picture:
  case K::PictureGroup:
  case K::EmbeddedObject:
  case K::Drawing:
    return true;
  default:
    return false;
  }
}

char16_t rtfKeywordCharacter(RtfKeyword keyword) {
  switch (keyword) {
  case K::Paragraph:
  case K::Break:
  case K::Row:
    return u'\n';
  case K::Line:
    return 0x2028;
  case K::Tab:
  case K::Cell:
    return u'\t';
  case K::LeftSingleQuote:
    return 0x2018;
  case K::RightSingleQuote:
    return 0x2019;
  case K::LeftDoubleQuote:
    return 0x201C;
  case K::RightDoubleQuote:
    return 0x201D;
  case K::Bullet:
    return 0x2022;
  case K::EmDash:
    return 0x2014;
  case K::EnDash:
    return 0x2013;
  case K::EmSpace:
    return 0x2003;
  case K::EnSpace:
    return 0x2002;
  case K::QuarterEmSpace:
    return 0x2005;
  case K::ZeroWidthJoiner:
    return 0x200D;
  case K::ZeroWidthNonJoiner:
    return 0x200C;
  case K::LeftToRightMark:
    return 0x200E;
  case K::RightToLeftMark:
    return 0x200F;
  default:
    return 0;
  }
}

} // namespace kr
