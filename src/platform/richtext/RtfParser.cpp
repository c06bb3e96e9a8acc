#include "platform/richtext/RtfParser.h"

#include "platform/HexDigit.h"
#include "platform/richtext/RtfPlainBytes.h"
#include "platform/richtext/RtfReader.h"

#include <algorithm>
#include <array>
#include <climits>

namespace kr {

namespace {

using rtf_plain::kPlain;
using rtf_plain::kPlainBytes;
using rtf_plain::kPlainInTable;
using rtf_plain::textEnd;
using rtf_plain::widen;

// Bounds that keep hostile documents from growing memory without limit.
constexpr int kMaxFonts = 4096;
constexpr int kMaxColors = 4096;
constexpr int kMaxNameLength = 1024;
constexpr int kMaxInstructionLength = 65536;
// The body text's first allocation at most, and at least.
constexpr qsizetype kMaxInitialText = 1 << 20;
constexpr qsizetype kMinimumText = 64;
constexpr qsizetype kWidenSlack = 16;
// The runs of body text reserved at first: one per so many bytes of RTF, at
// most so many.
constexpr qsizetype kBytesPerRun = 48;
constexpr qsizetype kMaxRunsReserved = 4096;

bool isHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool isLowSurrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }
bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
// Appends what fits below `limit` characters, as appending one by one would.
void appendCapped(QString& text, QLatin1String chunk, int limit) {
  const qsizetype room = limit - text.size();
  if (room > 0)
    text.append(chunk.left(room));
}

} // namespace

// Documents mostly name the same few fonts: those made last are kept, per
// thread, by the names as the tables spell them.
const RtfParser::Font& RtfParser::fontNamed(const QString& name, bool faceName) {
  struct Known {
    QString name;
    bool faceName = false;
    Font font;
  };
  thread_local std::array<Known, 8> known;
  thread_local std::size_t next = 0;
  for (const Known& font : known) {
    if (!font.name.isNull() && font.faceName == faceName && font.name == name)
      return font.font;
  }
  Known& made = known[next];
  next = (next + 1) % known.size();
  made = Known{name, faceName, fontFromName(name, faceName)};
  return made.font;
}

RtfParser::Font RtfParser::fontFromName(QString name, bool faceName) {
  name.removeIf([](QChar c) { return c.unicode() < 0x20; });
  name = name.trimmed();
  if (!faceName)
    return Font{name, false, false};
  struct Suffix {
    const char* text;
    bool bold;
    bool italic;
  };
  static const Suffix suffixes[] = {{"-BoldItalic", true, true}, {"-BoldOblique", true, true},
                                    {"-Bold", true, false},      {"-Italic", false, true},
                                    {"-Oblique", false, true},   {"-Regular", false, false},
                                    {"-Roman", false, false}};
  for (const Suffix& suffix : suffixes) {
    const QLatin1String s(suffix.text);
    if (name.size() > s.size() && name.endsWith(s))
      return Font{name.left(name.size() - s.size()).trimmed(), suffix.bold, suffix.italic};
  }
  return Font{name, false, false};
}

RtfParser::RtfParser(const QByteArray& data)
    : p_(data.constData()), end_(data.constData() + data.size()) {
  groups_.reserve(16);
  groups_.emplace_back();
  fieldInstructions_.reserve(16);
  // Every character of body text takes at least one byte of RTF: the text is
  // never longer than the document.
  initialCapacity_ = std::min<qsizetype>(data.size(), kMaxInitialText);
}

RichText RtfParser::run() {
  while (p_ < end_ && !finished_) {
    switch (*p_) {
    case '{':
      ++p_;
      openGroup();
      break;
    case '}':
      ++p_;
      closeGroup();
      break;
    case '\\':
      ++p_;
      controlSequence();
      break;
    case '\r':
    case '\n':
      ++p_;
      break;
    default:
      plainText();
      break;
    }
  }
  endPending();
  takeTabStops();
  settleParagraph(paragraphOf(top()));
  finishText();
  return std::move(result_);
}

// A lead byte or half a pair that nothing followed is a replacement
// character.
void RtfParser::endPending() {
  if (leadByte_) {
    leadByte_ = 0;
    unicodeUnit(0xFFFD);
  }
  if (highSurrogate_) {
    highSurrogate_ = 0;
    sink(0xFFFD);
  }
}

bool RtfParser::textAfterEnd() const {
  if (!finished_)
    return false;
  return std::any_of(p_, end_, [](char c) {
    return c != ' ' && c != '\t' && c != '\r' && c != '\n' && c != '\0';
  });
}

void RtfParser::openGroup() {
  skipFallback_ = 0;
  started_ = true;
  if (int(groups_.size()) > RtfReader::kMaxDepth) {
    ++overflowDepth_;
    return;
  }
  groups_.push_back(groups_.back());
}

void RtfParser::closeGroup() {
  skipFallback_ = 0;
  ignorableNext_ = false;
  if (overflowDepth_ > 0) {
    --overflowDepth_;
    return;
  }
  if (groups_.size() <= 1)
    return; // a closing brace without an opening one
  const Destination closing = top().destination;
  const Destination parent = groups_[groups_.size() - 2].destination;
  if (closing == Destination::FontTable)
    commitFont();
  // The document ends: its last paragraph takes the format in effect, with
  // what the group's end still adds to it.
  std::optional<SharedParagraphFormat> last;
  if (groups_.size() == 2) {
    endPending();
    takeTabStops();
    last = paragraphOf(top());
  }
  groups_.pop_back();
  formatDirty_ = true;
  if (closing == Destination::Attachment && parent != Destination::Attachment)
    finishAttachment();
  if (closing == Destination::Picture && parent != Destination::Picture)
    finishPicture();
  if (last)
    settleParagraph(*last);
  if (placeholderDepth_ > int(groups_.size()))
    placeholderDepth_ = -1;
  if (groups_.size() == 1)
    finished_ = true; // the document's outermost group ended
}

void RtfParser::plainText() {
  // Fast path: a stretch of printable ASCII with nothing pending, taken as a
  // whole. Every code page maps these bytes to themselves.
  if (skipFallback_ == 0 && !highSurrogate_ && !leadByte_) {
    const Destination destination = top().destination;
    if (destination == Destination::Text) {
      const char* p = textEnd(p_, end_);
      if (p > p_) {
        // What follows an attachment is plain text here, never its stand-in.
        placeholderDepth_ = -1;
        // Stretch after stretch, as long as only line ends lie between them.
        do {
          prepareText(p - p_);
          widen(p_, p, end_, out_);
          out_ += p - p_;
          p_ = p;
          if (!lineEnds())
            return;
          p = textEnd(p_, end_);
        } while (p > p_);
        return;
      }
    } else {
      // In the font and colour tables a semicolon ends an entry.
      const bool tableEntry =
          destination == Destination::FontTable || destination == Destination::ColorTable;
      const quint8 wanted = tableEntry ? kPlainInTable : kPlain;
      const char* const start = p_;
      const char* p = start;
      while (p < end_ && (kPlainBytes[quint8(*p)] & wanted))
        ++p;
      if (p > start) {
        p_ = p;
        plainRun(destination, QLatin1String(start, p - start));
        return;
      }
    }
  }
  const quint8 byte = quint8(*p_++);
  if (skipFallback_ > 0) {
    --skipFallback_;
    return;
  }
  if (byte == '\t')
    character(u'\t', true);
  else if (byte >= 0x20)
    byteText(byte, true);
}

bool RtfParser::lineEnds() {
  // As run() and controlSequence() read them in body text with nothing
  // pending: line ends of the RTF are no text, an escaped one and "\par"
  // end a paragraph. Anything else is left to them.
  bool taken = false;
  while (p_ < end_) {
    if (*p_ == '\n' || *p_ == '\r') {
      ++p_;
    } else if (*p_ != '\\' || end_ - p_ < 2) {
      break;
    } else if (p_[1] == '\n' || p_[1] == '\r') {
      p_ += 2;
      paragraphEnd();
    } else if (end_ - p_ >= 5 && p_[1] == 'p' && p_[2] == 'a' && p_[3] == 'r' && !ignorableNext_ &&
               !isLetter(p_[4]) && !isDigit(p_[4]) && p_[4] != '-') {
      p_ += p_[4] == ' ' ? 5 : 4;
      paragraphEnd();
    } else {
      break;
    }
    taken = true;
  }
  return taken;
}

void RtfParser::plainRun(Destination destination, QLatin1String chunk) {
  switch (destination) {
  case Destination::FontTable:
    appendCapped(fontName_, chunk, kMaxNameLength);
    break;
  case Destination::FieldInstruction:
    appendCapped(fieldInstructions_[size_t(top().field)], chunk, kMaxInstructionLength);
    break;
  case Destination::Attachment:
    appendCapped(attachmentName_, chunk, kMaxNameLength);
    break;
  case Destination::Picture:
    pictureHex_.append(chunk.data(), chunk.size());
    break;
  case Destination::Text: // taken by plainText()
  case Destination::ColorTable:
  case Destination::Skip:
    break;
  }
}

void RtfParser::controlSequence() {
  if (p_ >= end_)
    return;
  if (!isLetter(*p_)) {
    const char symbol = *p_++;
    if (symbol == '\'') {
      const int high = p_ < end_ ? hexDigitValue(*p_) : -1;
      const int low = high >= 0 && p_ + 1 < end_ ? hexDigitValue(p_[1]) : -1;
      if (high < 0)
        return;
      if (low < 0) {
        ++p_; // a half escape: drop it
        return;
      }
      p_ += 2;
      if (skipFallback_ > 0) {
        --skipFallback_;
        return;
      }
      const int byte = high * 16 + low;
      if (byte >= 0x20 || byte == '\t')
        byteText(quint8(byte), false);
      return;
    }
    if (symbol == '*') {
      ignorableNext_ = true;
      return;
    }
    if (skipFallback_ > 0) {
      --skipFallback_;
      return;
    }
    switch (symbol) {
    case '\\':
    case '{':
    case '}':
      // Also the trail byte of a double-byte character.
      if (leadByte_)
        byteText(quint8(symbol), false);
      else
        character(char16_t(symbol));
      break;
    case '~':
      character(0x00A0);
      break;
    case '_':
      character(0x2011);
      break;
    case '\n':
    case '\r':
      paragraphEnd();
      break;
    case '-':
      // An optional hyphen: the text has none.
      if (top().destination == Destination::Text)
        unkept_ |= RtfReader::SoftHyphens;
      break;
    default:
      break; // index marks and unknown symbols
    }
    return;
  }
  // The word's first 32 letters name it.
  const char* const word = p_;
  while (p_ < end_ && isLetter(*p_))
    ++p_;
  const std::size_t length = std::min<std::size_t>(std::size_t(p_ - word), 32);
  bool negative = false;
  if (p_ + 1 < end_ && *p_ == '-' && isDigit(p_[1])) {
    negative = true;
    ++p_;
  }
  bool hasParameter = false;
  long long value = 0;
  while (p_ < end_ && isDigit(*p_)) {
    hasParameter = true;
    if (value < 1000000000LL)
      value = value * 10 + (*p_ - '0');
    ++p_;
  }
  if (p_ < end_ && *p_ == ' ')
    ++p_;
  value = std::min<long long>(value, INT_MAX);
  controlWord(std::string_view(word, length), hasParameter, int(negative ? -value : value));
}

void RtfParser::resolveFormat(CharFormat& format) const {
  const Group& group = groups_.back();
  format = group.format;
  const int fontNumber = group.fontNumber >= 0 ? group.fontNumber : defaultFont_;
  const auto font = fonts_.constFind(fontNumber);
  if (font != fonts_.constEnd()) {
    format.fontFamily = font->family;
    format.bold = format.bold || font->bold;
    format.italic = format.italic || font->italic;
  }
  if (group.colorIndex > 0 && group.colorIndex < int(colors_.size()))
    format.foreground = colors_[size_t(group.colorIndex)];
  if (group.backgroundIndex > 0 && group.backgroundIndex < int(colors_.size()))
    format.background = colors_[size_t(group.backgroundIndex)];
  format.paragraph = paragraphOf(group);
}

void RtfParser::otherCharacter(char16_t unit, bool literal) {
  if (literal && unit == u';') {
    if (top().destination == Destination::FontTable) {
      commitFont();
      return;
    }
    if (top().destination == Destination::ColorTable) {
      commitColor();
      return;
    }
  }
  unicodeUnit(unit);
}

// Pairs surrogates; a lone half becomes U+FFFD, as does a lead byte that
// no trail byte follows.
void RtfParser::unicodeUnit(char16_t unit) {
  if (leadByte_) {
    leadByte_ = 0;
    unicodeUnit(0xFFFD);
  }
  if (highSurrogate_) {
    const char16_t high = highSurrogate_;
    highSurrogate_ = 0;
    if (isLowSurrogate(unit)) {
      sink(high);
      sink(unit);
      return;
    }
    sink(0xFFFD);
  }
  if (isHighSurrogate(unit))
    highSurrogate_ = unit;
  else if (isLowSurrogate(unit))
    sink(0xFFFD);
  else if (unit != 0)
    sink(unit);
}

void RtfParser::sink(char16_t ch) {
  switch (top().destination) {
  case Destination::Text:
    emitText(ch);
    break;
  case Destination::FontTable:
    if (fontName_.size() < kMaxNameLength)
      fontName_.append(QChar(ch));
    break;
  case Destination::FieldInstruction: {
    QString& instruction = fieldInstructions_[size_t(top().field)];
    if (instruction.size() < kMaxInstructionLength)
      instruction.append(QChar(ch));
    break;
  }
  case Destination::Attachment:
    if (attachmentName_.size() < kMaxNameLength)
      attachmentName_.append(QChar(ch));
    break;
  case Destination::Picture:
    if (ch < 0x80)
      pictureHex_.append(char(ch));
    break;
  case Destination::ColorTable:
  case Destination::Skip:
    break;
  }
}

void RtfParser::emitText(char16_t ch) {
  if (placeholderDepth_ >= 0) {
    placeholderDepth_ = -1;
    // The character written after an attachment group stands in for the
    // attachment in readers that do not know it.
    if (ch == 0x00AC || ch == RichText::kAttachmentCharacter)
      return;
  }
  prepareText(1);
  *out_++ = ch;
}

// A character in a format of its own (an attachment's); the text after it
// goes back to the group's format.
void RtfParser::emitSpecial(char16_t ch, const CharFormat& format) {
  if (outEnd_ == out_)
    growText(1);
  special_ = format;
  currentFormat_ = &special_;
  startRun();
  *out_++ = ch;
  formatDirty_ = true;
}

void RtfParser::findFormat() {
  formatDirty_ = false;
  runOpen_ = false;
  const Group& group = groups_.back();
  const int font = group.fontNumber >= 0 ? group.fontNumber : defaultFont_;
  const CharFormat& f = group.format;
  const int flags = int(f.bold) | int(f.italic) << 1 | int(f.underline) << 2 |
                    int(f.strikeThrough) << 3 | int(f.doubleStrike) << 4 | int(f.capitals) << 5;
  for (int i = 0; i < formatKeyCount_; ++i) {
    const FormatKey& key = formatKeys_[size_t(i)];
    if (key.font == font && key.color == group.colorIndex &&
        key.background == group.backgroundIndex && key.size == f.fontSize && key.flags == flags &&
        key.letterSpacing == f.letterSpacing &&
        (f.link.isEmpty() ? key.link.isEmpty() : key.link == f.link) &&
        key.paragraph == group.paragraph) {
      currentFormat_ = &key.format;
      return;
    }
  }
  FormatKey& key = formatKeys_[size_t(nextFormatKey_)];
  nextFormatKey_ = (nextFormatKey_ + 1) % int(formatKeys_.size());
  formatKeyCount_ = std::min(formatKeyCount_ + 1, int(formatKeys_.size()));
  key.font = font;
  key.color = group.colorIndex;
  key.background = group.backgroundIndex;
  key.size = f.fontSize;
  key.flags = flags;
  key.letterSpacing = f.letterSpacing;
  key.link = f.link;
  key.paragraph = group.paragraph;
  resolveFormat(key.format);
  currentFormat_ = &key.format;
}

// Neighbouring runs always differ: a run starts only where the format
// differs from the last one's.
void RtfParser::startRun() {
  runOpen_ = true;
  std::vector<RichText::Run>& runs = result_.runs_;
  const int position = int(out_ - reinterpret_cast<char16_t*>(result_.text_.data()));
  if (!runs.empty()) {
    RichText::Run& last = runs.back();
    last.length = position - last.start;
    if (sameCharFormat(last.format, *currentFormat_))
      return;
  }
  runs.push_back(RichText::Run{position, 0, *currentFormat_});
}

void RtfParser::growText(qsizetype count) {
  QString& text = result_.text_;
  const qsizetype used = out_ ? out_ - reinterpret_cast<char16_t*>(text.data()) : 0;
  // Formatted text changes its format every few dozen bytes of RTF: room for
  // that many runs is taken at once (and what is left over given back).
  if (!out_)
    result_.runs_.reserve(std::size_t(std::min(initialCapacity_ / kBytesPerRun, kMaxRunsReserved)));
  const qsizetype capacity =
      std::max({used + count, used * 2, initialCapacity_, qsizetype(kMinimumText)});
  // The characters beyond `used` are written before they are read; the last
  // kWidenSlack are room for widen() only.
  text.resize(capacity + kWidenSlack);
  char16_t* begin = reinterpret_cast<char16_t*>(text.data());
  out_ = begin + used;
  outEnd_ = begin + capacity;
}

void RtfParser::finishText() {
  QString& text = result_.text_;
  if (!out_)
    return; // no body text
  const qsizetype length = out_ - reinterpret_cast<char16_t*>(text.data());
  if (!result_.runs_.empty())
    result_.runs_.back().length = int(length - result_.runs_.back().start);
  text.truncate(length);
  std::vector<RichText::Run>& runs = result_.runs_;
  if (runs.capacity() > 2 * runs.size() + 16)
    runs.shrink_to_fit();
  // Markup that is no text (pictures, long tables) leaves room that is given
  // back.
  if (text.capacity() - length > std::max<qsizetype>(length, kMinimumText))
    text.squeeze();
  out_ = outEnd_ = nullptr;
}

void RtfParser::commitFont() {
  if (fontTableNumber_ >= 0 && fontTableCodePage_ != 0 &&
      (fontCodePages_.size() < kMaxFonts || fontCodePages_.contains(fontTableNumber_)))
    fontCodePages_.insert(fontTableNumber_, fontTableCodePage_);
  fontTableCodePage_ = 0;
  if (fontTableNumber_ >= 0 && fontTableNumber_ == std::exchange(viewFontNumber_, -1)) {
    result_.defaultFontFamily_ = fontName_.trimmed();
  } else if (fontTableNumber_ >= 0 && !fontName_.trimmed().isEmpty() &&
             (fonts_.size() < kMaxFonts || fonts_.contains(fontTableNumber_)))
    fonts_.insert(fontTableNumber_, fontNamed(fontName_, faceNamedFonts_));
  fontName_.clear();
  formatDirty_ = true;
  resetFormatKeys();
}

void RtfParser::commitColor() {
  if (int(colors_.size()) < kMaxColors) {
    colors_.push_back(colorHasComponent_ ? std::optional<RgbColor>(RgbColor{
                                               quint8(red_), quint8(green_), quint8(blue_)})
                                         : std::nullopt);
  }
  red_ = green_ = blue_ = 0;
  colorHasComponent_ = false;
  formatDirty_ = true;
  resetFormatKeys();
}

void RtfParser::finishPicture() {
  const QByteArray data =
      pictureBytes_.isEmpty() ? QByteArray::fromHex(pictureHex_) : std::exchange(pictureBytes_, {});
  pictureHex_.clear();
  const bool png = pictureKind_ == RtfKeyword::PngPicture && data.startsWith("\x89PNG\r\n\x1a\n");
  const bool jpeg = pictureKind_ == RtfKeyword::JpegPicture && data.startsWith("\xff\xd8\xff");
  if (!png && !jpeg) {
    // Drawn by no editor of ours: left out, and the reader says so.
    unkept_ |= RtfReader::Pictures;
    return;
  }
  // Kept as a pasted picture is: an attachment with a file name of its own.
  QString name;
  do {
    name = QStringLiteral("Embedded Picture %1.%2").arg(++pictures_).arg(png ? u"png" : u"jpg");
  } while (result_.attachmentData_.contains(name) || attachmentNames_.contains(name));
  emitAttachment(name);
  result_.attachmentData_.insert(name, data);
}

void RtfParser::finishAttachment() {
  const QString name = attachmentName_.trimmed();
  attachmentName_.clear();
  if (top().destination != Destination::Text)
    return;
  attachmentNames_.insert(name);
  emitAttachment(name);
  placeholderDepth_ = int(groups_.size());
}

void RtfParser::emitAttachment(const QString& name) {
  if (highSurrogate_) {
    highSurrogate_ = 0;
    emitText(0xFFFD);
  }
  placeholderDepth_ = -1;
  CharFormat format;
  resolveFormat(format);
  format.attachment = name;
  emitSpecial(RichText::kAttachmentCharacter, format);
}

} // namespace kr
