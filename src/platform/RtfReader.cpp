#include "platform/RtfReader.h"

#include "platform/RtfCodePage.h"
#include "platform/RtfKeywords.h"

#include <QHash>

#include <algorithm>
#include <climits>
#include <string_view>
#include <vector>

namespace kr {

namespace {

enum class Destination : quint8 { Text, Skip, FontTable, ColorTable, FieldInstruction, Attachment };

struct Group {
  CharFormat format; // fontFamily and foreground are resolved when text is emitted
  int fontNumber = -1;
  int colorIndex = 0;
  int unicodeSkip = 1;
  int field = -1;
  Destination destination = Destination::Text;
};

struct Font {
  QString family;
  bool bold = false;
  bool italic = false;
};

// Bounds that keep hostile documents from growing memory without limit.
constexpr int kMaxFonts = 4096;
constexpr int kMaxColors = 4096;
constexpr int kMaxNameLength = 1024;
constexpr int kMaxInstructionLength = 65536;
constexpr int kMaxUnicodeSkip = 16;

bool isHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool isLowSurrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }
bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

int hexValue(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

// Fonts of the other platform are named by their face ("Helvetica-Bold");
// the family and the traits are what rich text keeps.
Font fontFromName(QString name) {
  name.removeIf([](QChar c) { return c.unicode() < 0x20; });
  name = name.trimmed();
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

// The URL of a field instruction "HYPERLINK "url"" (switches before or after
// the quoted URL are ignored); empty for other fields.
QString hyperlinkTarget(const QString& instruction) {
  const QString text = instruction.trimmed();
  static const QLatin1String keyword("HYPERLINK");
  if (!text.startsWith(keyword, Qt::CaseInsensitive))
    return {};
  QStringView rest = QStringView(text).mid(keyword.size());
  if (!rest.isEmpty() && !rest.front().isSpace() && rest.front() != u'"')
    return {};
  const qsizetype quote = rest.indexOf(u'"');
  if (quote >= 0) {
    const qsizetype close = rest.indexOf(u'"', quote + 1);
    return (close < 0 ? rest.mid(quote + 1) : rest.mid(quote + 1, close - quote - 1)).toString();
  }
  for (QStringView token : rest.split(u' ', Qt::SkipEmptyParts)) {
    if (!token.startsWith(u'\\'))
      return token.trimmed().toString();
  }
  return {};
}

class Parser {
public:
  explicit Parser(const QByteArray& data)
      : p_(data.constData()), end_(data.constData() + data.size()) {
    groups_.emplace_back();
    pending_.reserve(256);
  }

  RichText run();
  bool finishedCleanly() const { return finished_ && overflowDepth_ == 0; }

private:
  Group& top() { return groups_.back(); }
  void openGroup();
  void closeGroup();
  void controlSequence();
  void controlWord(std::string_view word, bool hasParameter, int parameter);
  void destinationWord(RtfKeyword keyword, bool ignorable);
  void plainText();
  void character(char16_t unit, bool literal = false);
  void unicodeUnit(char16_t unit);
  void sink(char16_t ch);
  void emitText(char16_t ch, const CharFormat* special = nullptr);
  void flush();
  void commitFont();
  void commitColor();
  void finishAttachment();
  CharFormat resolvedFormat();

  const char* p_;
  const char* end_;
  std::vector<Group> groups_;
  int overflowDepth_ = 0;
  bool started_ = false;
  bool finished_ = false;
  bool ignorableNext_ = false;
  int skipFallback_ = 0;
  int placeholderDepth_ = -1;
  char16_t highSurrogate_ = 0;
  const RtfCodePage::Table* table_ = &RtfCodePage::table(RtfCodePage::kWindows1252);

  int defaultFont_ = -1;
  QHash<int, Font> fonts_;
  int fontTableNumber_ = -1;
  QString fontName_;
  std::vector<std::optional<RgbColor>> colors_;
  int red_ = 0, green_ = 0, blue_ = 0;
  bool colorHasComponent_ = false;
  std::vector<QString> fieldInstructions_;
  QString attachmentName_;

  RichText result_;
  QString pending_;
  CharFormat pendingFormat_;
  bool formatDirty_ = true;
};

RichText Parser::run() {
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
  if (highSurrogate_) {
    highSurrogate_ = 0;
    sink(0xFFFD);
  }
  flush();
  return std::move(result_);
}

void Parser::openGroup() {
  skipFallback_ = 0;
  started_ = true;
  if (int(groups_.size()) > RtfReader::kMaxDepth) {
    ++overflowDepth_;
    return;
  }
  groups_.push_back(groups_.back());
}

void Parser::closeGroup() {
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
  groups_.pop_back();
  formatDirty_ = true;
  if (closing == Destination::Attachment && parent != Destination::Attachment)
    finishAttachment();
  if (placeholderDepth_ > int(groups_.size()))
    placeholderDepth_ = -1;
  if (groups_.size() == 1)
    finished_ = true; // the document's outermost group ended
}

void Parser::plainText() {
  // Fast path: ASCII text in the body with nothing pending.
  if (top().destination == Destination::Text && skipFallback_ == 0 && placeholderDepth_ < 0 &&
      !highSurrogate_) {
    const char* start = p_;
    while (p_ < end_) {
      const char c = *p_;
      if (c == '\\' || c == '{' || c == '}' || quint8(c) < 0x20 || quint8(c) >= 0x80)
        break;
      ++p_;
    }
    if (p_ > start) {
      if (formatDirty_) {
        const CharFormat format = resolvedFormat();
        if (!(format == pendingFormat_)) {
          flush();
          pendingFormat_ = format;
        }
        formatDirty_ = false;
      }
      pending_.append(QLatin1String(start, p_ - start));
      return;
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
    character((*table_)[byte], true);
}

void Parser::controlSequence() {
  if (p_ >= end_)
    return;
  if (!isLetter(*p_)) {
    const char symbol = *p_++;
    if (symbol == '\'') {
      const int high = p_ < end_ ? hexValue(*p_) : -1;
      const int low = high >= 0 && p_ + 1 < end_ ? hexValue(p_[1]) : -1;
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
        character((*table_)[size_t(byte)]);
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
      character(u'\n');
      break;
    default:
      break; // optional hyphens, index marks and unknown symbols
    }
    return;
  }
  char word[33];
  int length = 0;
  while (p_ < end_ && isLetter(*p_)) {
    if (length < 32)
      word[length++] = *p_;
    ++p_;
  }
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
  controlWord(std::string_view(word, size_t(length)), hasParameter, int(negative ? -value : value));
}

CharFormat Parser::resolvedFormat() {
  const Group& group = top();
  CharFormat format = group.format;
  const int fontNumber = group.fontNumber >= 0 ? group.fontNumber : defaultFont_;
  const auto font = fonts_.constFind(fontNumber);
  if (font != fonts_.constEnd()) {
    format.fontFamily = font->family;
    format.bold = format.bold || font->bold;
    format.italic = format.italic || font->italic;
  }
  if (group.colorIndex > 0 && group.colorIndex < int(colors_.size()))
    format.foreground = colors_[size_t(group.colorIndex)];
  return format;
}

void Parser::character(char16_t unit, bool literal) {
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

// Pairs surrogates; a lone half becomes U+FFFD.
void Parser::unicodeUnit(char16_t unit) {
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

void Parser::sink(char16_t ch) {
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
  case Destination::ColorTable:
  case Destination::Skip:
    break;
  }
}

void Parser::emitText(char16_t ch, const CharFormat* special) {
  if (placeholderDepth_ >= 0 && !special) {
    placeholderDepth_ = -1;
    // The character written after an attachment group stands in for the
    // attachment in readers that do not know it.
    if (ch == 0x00AC || ch == RichText::kAttachmentCharacter)
      return;
  }
  if (special) {
    if (!(*special == pendingFormat_)) {
      flush();
      pendingFormat_ = *special;
    }
    formatDirty_ = true;
  } else if (formatDirty_) {
    const CharFormat format = resolvedFormat();
    if (!(format == pendingFormat_)) {
      flush();
      pendingFormat_ = format;
    }
    formatDirty_ = false;
  }
  pending_.append(QChar(ch));
}

void Parser::flush() {
  if (pending_.isEmpty())
    return;
  result_.append(pending_, pendingFormat_);
  pending_.truncate(0);
}

void Parser::commitFont() {
  if (fontTableNumber_ >= 0 && !fontName_.trimmed().isEmpty() &&
      (fonts_.size() < kMaxFonts || fonts_.contains(fontTableNumber_)))
    fonts_.insert(fontTableNumber_, fontFromName(fontName_));
  fontName_.clear();
  formatDirty_ = true;
}

void Parser::commitColor() {
  if (int(colors_.size()) < kMaxColors) {
    colors_.push_back(colorHasComponent_ ? std::optional<RgbColor>(RgbColor{
                                               quint8(red_), quint8(green_), quint8(blue_)})
                                         : std::nullopt);
  }
  red_ = green_ = blue_ = 0;
  colorHasComponent_ = false;
  formatDirty_ = true;
}

void Parser::finishAttachment() {
  const QString name = attachmentName_.trimmed();
  attachmentName_.clear();
  if (top().destination != Destination::Text)
    return;
  if (highSurrogate_) {
    highSurrogate_ = 0;
    emitText(0xFFFD);
  }
  placeholderDepth_ = -1;
  CharFormat format = resolvedFormat();
  format.attachment = name;
  emitText(RichText::kAttachmentCharacter, &format);
  placeholderDepth_ = int(groups_.size());
}

void Parser::controlWord(std::string_view word, bool hasParameter, int parameter) {
  const bool ignorable = ignorableNext_;
  ignorableNext_ = false;
  const RtfKeyword keyword = rtfKeyword(word);
  if (keyword == RtfKeyword::Bin) {
    // Binary data is never text; it counts as one fallback character.
    const long long count = std::max(0, parameter);
    p_ += std::min<long long>(count, end_ - p_);
    if (skipFallback_ > 0)
      --skipFallback_;
    return;
  }
  if (skipFallback_ > 0) {
    --skipFallback_;
    return;
  }
  if (isDestination(keyword) || ignorable) {
    destinationWord(keyword, ignorable);
    return;
  }
  Group& group = top();
  if (group.destination == Destination::Skip)
    return;
  const bool on = !hasParameter || parameter != 0;
  switch (keyword) {
  case RtfKeyword::Ansi:
    table_ = &RtfCodePage::table(RtfCodePage::kWindows1252);
    break;
  case RtfKeyword::Mac:
    table_ = &RtfCodePage::table(RtfCodePage::kMacRoman);
    break;
  case RtfKeyword::Pc:
    table_ = &RtfCodePage::table(437);
    break;
  case RtfKeyword::Pca:
    table_ = &RtfCodePage::table(850);
    break;
  case RtfKeyword::AnsiCodePage:
    table_ = &RtfCodePage::table(hasParameter ? parameter : RtfCodePage::kWindows1252);
    break;
  case RtfKeyword::DefaultFont:
    defaultFont_ = parameter;
    formatDirty_ = true;
    break;
  case RtfKeyword::Font:
    if (group.destination == Destination::FontTable) {
      commitFont();
      fontTableNumber_ = parameter;
    } else {
      group.fontNumber = parameter;
    }
    formatDirty_ = true;
    break;
  case RtfKeyword::FontSize:
    group.format.fontSize = parameter > 0 ? std::min(parameter, 32000) / 2.0 : 0;
    formatDirty_ = true;
    break;
  case RtfKeyword::Bold:
    group.format.bold = on;
    formatDirty_ = true;
    break;
  case RtfKeyword::Italic:
    group.format.italic = on;
    formatDirty_ = true;
    break;
  case RtfKeyword::Underline:
    group.format.underline = on;
    formatDirty_ = true;
    break;
  case RtfKeyword::UnderlineNone:
    group.format.underline = false;
    formatDirty_ = true;
    break;
  case RtfKeyword::Strike:
    group.format.strikeThrough = on;
    formatDirty_ = true;
    break;
  case RtfKeyword::ColorForeground:
    group.colorIndex = parameter;
    formatDirty_ = true;
    break;
  case RtfKeyword::Plain: {
    const CharFormat kept = group.format;
    group.format = CharFormat{};
    group.format.link = kept.link;
    group.fontNumber = -1;
    group.colorIndex = 0;
    formatDirty_ = true;
    break;
  }
  case RtfKeyword::Red:
  case RtfKeyword::Green:
  case RtfKeyword::Blue: {
    const int component = std::clamp(parameter, 0, 255);
    (keyword == RtfKeyword::Red ? red_ : keyword == RtfKeyword::Green ? green_ : blue_) = component;
    colorHasComponent_ = true;
    break;
  }
  case RtfKeyword::UnicodeSkip:
    group.unicodeSkip = std::clamp(parameter, 0, kMaxUnicodeSkip);
    break;
  case RtfKeyword::Unicode:
    if (!hasParameter)
      break;
    if (parameter < -32768 || parameter > 65535)
      unicodeUnit(0xFFFD);
    else
      unicodeUnit(char16_t(parameter < 0 ? parameter + 65536 : parameter));
    skipFallback_ = group.unicodeSkip;
    break;
  case RtfKeyword::Field:
    if (group.destination == Destination::Text) {
      fieldInstructions_.emplace_back();
      group.field = int(fieldInstructions_.size()) - 1;
    }
    break;
  case RtfKeyword::FieldResult:
    if (group.field >= 0 && group.destination != Destination::Attachment) {
      group.destination = Destination::Text;
      const QString url = hyperlinkTarget(fieldInstructions_[size_t(group.field)]);
      if (!url.isEmpty())
        group.format.link = url;
      formatDirty_ = true;
    }
    break;
  case RtfKeyword::Attachment:
    if (group.destination == Destination::Text) {
      group.destination = Destination::Attachment;
      attachmentName_.clear();
    }
    break;
  default: {
    const char16_t ch = rtfKeywordCharacter(keyword);
    if (ch)
      character(ch);
    break;
  }
  }
}

void Parser::destinationWord(RtfKeyword keyword, bool ignorable) {
  Group& group = top();
  if (group.destination == Destination::Skip)
    return;
  switch (keyword) {
  case RtfKeyword::FontTable:
    group.destination = Destination::FontTable;
    fontTableNumber_ = -1;
    fontName_.clear();
    break;
  case RtfKeyword::ColorTable:
    group.destination = Destination::ColorTable;
    colors_.clear();
    red_ = green_ = blue_ = 0;
    colorHasComponent_ = false;
    break;
  case RtfKeyword::FieldInstruction:
    group.destination = group.field >= 0 ? Destination::FieldInstruction : Destination::Skip;
    break;
  default:
    (void)ignorable; // an ignorable destination we do not read, or a known one to skip
    group.destination = Destination::Skip;
    break;
  }
}

} // namespace

RtfReader::Result RtfReader::read(const QByteArray& rtf) {
  Parser parser(rtf);
  Result result;
  result.text = parser.run();
  result.wellFormed = looksLikeRtf(rtf) && parser.finishedCleanly();
  return result;
}

bool RtfReader::looksLikeRtf(const QByteArray& data) {
  qsizetype i = 0;
  if (data.startsWith("\xEF\xBB\xBF"))
    i = 3;
  while (i < data.size() &&
         (data[i] == ' ' || data[i] == '\t' || data[i] == '\r' || data[i] == '\n'))
    ++i;
  return data.mid(i, 5) == "{\\rtf";
}

} // namespace kr
