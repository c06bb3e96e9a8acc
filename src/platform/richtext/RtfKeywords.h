#pragma once

#include <QtGlobal>

#include <string_view>

namespace kr {

// The RTF control words the reader knows: those it acts on, and those it
// ignores because they change nothing the text keeps.
enum class RtfKeyword {
  Unknown,
  // Known, and nothing to the text: words that change nothing a user sees
  // (page setup, languages, revision-save ids...), or that mark what the
  // text loses without changing its characters (their group says what).
  Ignored,
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
  DoubleStrike,
  Capitals,
  Expand,      // letter spacing in quarter points
  ExpandTwips, // letter spacing in twips
  ColorForeground,
  ColorBackground,
  Plain,
  Red,
  Green,
  Blue,
  // text deleted under change tracking, which is no text
  Deleted,
  // formatting the reader leaves out
  Hidden,
  SuperSub,
  Raised,
  // paragraph formatting
  ParagraphDefault,
  AlignLeft,
  AlignCenter,
  AlignRight,
  AlignJustified,
  NaturalDirection,
  LeftToRight,
  RightToLeft,
  LeftIndent,
  RightIndent,
  FirstLineIndent,
  SpaceBefore,
  SpaceAfter,
  LineSpacing,
  LineSpacingMultiple,
  TabStop,
  TabCenter,
  TabRight,
  TabDecimal,
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

// A word of the list the reader reads a document's text against: what it
// does, and what of the document the text loses where it stands in the
// text (RtfReader::Unkept flags; none for the words whose effect the text
// keeps and those that change nothing a user sees).
struct RtfWord {
  // When a word loses something: always, or only with a parameter other
  // than the one that turns it off.
  enum class When : quint8 { Always, UnlessZero, UnlessHundred };
  RtfKeyword keyword = RtfKeyword::Unknown;
  quint32 unkept = 0;
  When when = When::Always;
};

// The word as the list has it; a word not on it is Unknown and loses
// "other formatting".
RtfWord rtfWord(std::string_view word);
RtfKeyword rtfKeyword(std::string_view word);
// What a word met in body text loses, with its parameter.
quint32 rtfUnkept(const RtfWord& word, bool hasParameter, int parameter);
// Whether the word starts a destination whose text is not body text.
bool isDestination(RtfKeyword keyword);
// Whether the word sets a paragraph's format (and nothing else).
bool isParagraphKeyword(RtfKeyword keyword);
// The character a word stands for, or 0.
char16_t rtfKeywordCharacter(RtfKeyword keyword);

} // namespace kr
