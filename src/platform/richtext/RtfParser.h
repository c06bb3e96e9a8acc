#pragma once

#include "platform/richtext/RichText.h"
#include "platform/richtext/RtfCodePage.h"
#include "platform/richtext/RtfKeywords.h"

#include <QByteArray>
#include <QHash>
#include <QSet>

#include <array>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace kr {

// The state machine behind RtfReader: one pass over the bytes, groups kept
// on an explicit stack. Internal to the reader.
class RtfParser {
public:
  enum class Destination : quint8 {
    Text,
    Skip,
    FontTable,
    ColorTable,
    FieldInstruction,
    Attachment,
    Picture
  };

  struct Group {
    // fontFamily, the colours and the paragraph are resolved when text is
    // emitted
    CharFormat format;
    int fontNumber = -1;
    int colorIndex = 0;
    int backgroundIndex = 0;
    int unicodeSkip = 1;
    int field = -1;
    Destination destination = Destination::Text;
    // The paragraph's format as its words set it, its tab stops all of
    // them, and the kind of the next stop.
    ParagraphFormat paragraph;
    ParagraphFormat::TabStop::Kind tabKind = ParagraphFormat::TabStop::Kind::Left;
  };

  struct Font {
    QString family;
    bool bold = false;
    bool italic = false;
  };

  // The font of a font table entry. Documents of the other platform name
  // faces ("Helvetica-Bold": the family and its traits); others, this
  // program's own among them, name families, which are kept as they are
  // ("x-Italic" is a family of that name).
  static Font fontFromName(QString name, bool faceName);
  // fontFromName() of the names met last, kept.
  static const Font& fontNamed(const QString& name, bool faceName);
  // The URL of a "HYPERLINK" field instruction; empty for other fields.
  static QString hyperlinkTarget(const QString& instruction);

  explicit RtfParser(const QByteArray& data);

  RichText run();
  bool finishedCleanly() const { return finished_ && overflowDepth_ == 0; }
  // Whether anything but white space or NULs follows the document's
  // outermost group (after run()).
  bool textAfterEnd() const;
  // What the text leaves out, as RtfReader::Unkept flags (after run()).
  quint32 unkept() const { return unkept_; }
  // The document's tables and settings as read (after run()): fonts by
  // number, colours by index (0, the automatic colour, is never used), the
  // code page of each font that names one, the document's code page and its
  // default font (-1: none).
  const QHash<int, Font>& fonts() const { return fonts_; }
  const std::vector<std::optional<RgbColor>>& colors() const { return colors_; }
  const QHash<int, int>& fontCodePages() const { return fontCodePages_; }
  int documentCodePage() const { return codePage_; }
  int defaultFont() const { return defaultFont_; }

private:
  Group& top() { return groups_.back(); }
  void openGroup();
  void closeGroup();
  void controlSequence();
  void controlWord(std::string_view word, bool hasParameter, int parameter);
  void destinationWord(RtfKeyword keyword);
  void paragraphWord(RtfKeyword keyword, bool hasParameter, int parameter);
  void plainText();
  // Takes the line ends at the position that need no other state; whether
  // there were any.
  bool lineEnds();
  // The end of a paragraph: its tab stops taken, its "\n" emitted, its
  // characters given its format.
  void paragraphEnd();
  void endPending();
  void settleParagraph(const SharedParagraphFormat& format);
  // The paragraph format of a group's text: its tab stops without those
  // that only set the text's tab interval.
  static ParagraphFormat paragraphOf(const Group& group);
  void plainRun(Destination destination, QLatin1String chunk);
  // One character; a semicolon in a table when `literal` (not escaped).
  void character(char16_t unit, bool literal = false) {
    // Mostly a character of body text that needs no pairing: added at once.
    if (!highSurrogate_ && !leadByte_ && placeholderDepth_ < 0 && unit != 0 &&
        (unit & 0xF800) != 0xD800 && top().destination == Destination::Text) {
      prepareText(1);
      *out_++ = unit;
      return;
    }
    otherCharacter(unit, literal);
  }
  void otherCharacter(char16_t unit, bool literal);
  // A byte of text (a literal one or a hex escape) in the code page of the
  // current font; a lead byte waits for its trail byte.
  void byteText(quint8 byte, bool literal);
  // The code page that bytes of text are read in where they are met.
  int textCodePage() const;
  void setCodePage(int codePage);
  void unicodeUnit(char16_t unit);
  void sink(char16_t ch);
  void emitText(char16_t ch);
  void emitSpecial(char16_t ch, const CharFormat& format);
  // Makes room for `count` more characters of body text in the current
  // format, starting a run where the format changed.
  void prepareText(qsizetype count) {
    if (outEnd_ - out_ < count)
      growText(count);
    if (formatDirty_)
      findFormat();
    if (!runOpen_)
      startRun();
  }
  void growText(qsizetype count);
  void findFormat();
  void startRun();
  void finishText();
  void commitFont();
  void commitColor();
  void finishAttachment();
  void finishPicture();
  void emitAttachment(const QString& name);
  void resolveFormat(CharFormat& format) const;

  const char* p_;
  const char* end_;
  std::vector<Group> groups_;
  int overflowDepth_ = 0;
  quint32 unkept_ = 0;
  bool started_ = false;
  bool finished_ = false;
  bool ignorableNext_ = false;
  int skipFallback_ = 0;
  int placeholderDepth_ = -1;
  char16_t highSurrogate_ = 0;
  const RtfCodePage::Table* table_ = &RtfCodePage::table(RtfCodePage::kWindows1252);
  int codePage_ = RtfCodePage::kWindows1252; // the document's
  // A lead byte of a double-byte page waiting for its trail byte, and its
  // page.
  quint8 leadByte_ = 0;
  int leadPage_ = 0;
  // The code pages the fonts' charsets name (fonts without one have none),
  // and that of the font table entry being read.
  QHash<int, int> fontCodePages_;
  int fontTableCodePage_ = 0;

  // Whether the text's tab interval has been taken from a paragraph's stops
  // yet.
  bool tabStopsTaken_ = false;
  void takeTabStops();
  // Where the paragraph being read begins in the text.
  qsizetype paragraphStart_ = 0;

  int defaultFont_ = -1;
  bool faceNamedFonts_ = false;
  QHash<int, Font> fonts_;
  int fontTableNumber_ = -1;
  // The entry that names the text's default font for other readers: no run
  // takes it, the result keeps it as its default font family.
  int viewFontNumber_ = -1;
  QString fontName_;
  std::vector<std::optional<RgbColor>> colors_;
  int red_ = 0, green_ = 0, blue_ = 0;
  bool colorHasComponent_ = false;
  std::vector<QString> fieldInstructions_;
  QString attachmentName_;
  // The picture being read: its kind (PngPicture, JpegPicture or Picture
  // for any other) and its data, as hex digits or after \bin.
  RtfKeyword pictureKind_ = RtfKeyword::Picture;
  QByteArray pictureHex_;
  QByteArray pictureBytes_;
  int pictures_ = 0;
  QSet<QString> attachmentNames_; // of the attachments met, which pictures' names avoid

  // Body text goes straight into the result: its characters through `out_`
  // (the string is kept longer than the text until the end), its runs as the
  // format changes. `runOpen_`: the last run has the current format.
  RichText result_;
  char16_t* out_ = nullptr;
  char16_t* outEnd_ = nullptr;
  qsizetype initialCapacity_ = 0;
  bool formatDirty_ = true;
  bool runOpen_ = false;

  // The formats last found for the group values that chose them, so that
  // fonts and colours are not resolved again until a table changes.
  struct FormatKey {
    int font = 0;
    int color = 0;
    int background = 0;
    double size = 0;
    int flags = 0;
    int letterSpacing = 0;
    QString link;
    ParagraphFormat paragraph; // as the group has it
    CharFormat format;
  };
  void resetFormatKeys() { formatKeyCount_ = nextFormatKey_ = 0; }
  std::array<FormatKey, 16> formatKeys_;
  int formatKeyCount_ = 0;
  int nextFormatKey_ = 0;
  const CharFormat* currentFormat_ = nullptr; // read only by startRun()
  CharFormat special_;
};

} // namespace kr
