#pragma once

#include <string_view>

namespace kr {

// The RTF control words the reader acts on. Every other word is ignored.
enum class RtfKeyword {
  Unknown,
  // document
  Ansi,
  Mac,
  Pc,
  Pca,
  AnsiCodePage,
  FaceNamedFonts, // the font table names faces ("Helvetica-Bold"), not families
  FontCharset,
  FontCodePage,
  DefaultFont,
  ViewFont, // marks the font table entry that only other readers apply
  UnicodeSkip,
  Unicode,
  Bin,
  // destinations
  FontTable,
  ColorTable,
  FieldInstruction,
  SkippedDestination,
  // destinations whose content the reader leaves out
  Footnote,
  HeaderFooter,
  Picture,
  EmbeddedObject,
  // a group around a picture, read as its picture
  PictureGroup,
  Drawing,
  // the kind of a picture's data
  PngPicture,
  JpegPicture,
  // groups with a meaning of their own
  Field,
  FieldResult,
  Attachment,
  // character formatting
  Font,
  FontSize,
  Bold,
  Italic,
  Underline,
  UnderlineNone,
  Strike,
  ColorForeground,
  Plain,
  Red,
  Green,
  Blue,
  // formatting the reader leaves out
  Hidden,
  SuperSub,
  Raised,
  Highlight,
  // paragraph formatting
  ParagraphDefault,
  TabStop,
  Break,
  ListText,
  ListLevel,
  TableRow,
  // words that stand for a character
  Paragraph,
  Line,
  Tab,
  Cell,
  Row,
  LeftSingleQuote,
  RightSingleQuote,
  LeftDoubleQuote,
  RightDoubleQuote,
  Bullet,
  EmDash,
  EnDash,
  EmSpace,
  EnSpace,
  QuarterEmSpace,
  ZeroWidthJoiner,
  ZeroWidthNonJoiner,
  LeftToRightMark,
  RightToLeftMark,
};

RtfKeyword rtfKeyword(std::string_view word);
// Whether the word starts a destination whose text is not body text.
bool isDestination(RtfKeyword keyword);
// The character a word stands for, or 0.
char16_t rtfKeywordCharacter(RtfKeyword keyword);

} // namespace kr
