// The control words that change the parser's state.
#include "platform/richtext/RtfParser.h"

#include "platform/richtext/RtfReader.h"

#include <algorithm>

namespace kr {

namespace {

constexpr int kMaxUnicodeSkip = 16;
constexpr size_t kMaxTabStops = 64;
constexpr int kMaxTabTwips = int(RichText::kMaxTabInterval * 20);

// Whether `text` starts with the upper-case ASCII `keyword`, ignoring case as
// Qt does; ASCII letters, all there mostly are, are compared directly.
bool startsWithKeyword(QStringView text, QLatin1String keyword) {
  if (text.size() < keyword.size())
    return false;
  for (qsizetype i = 0; i < keyword.size(); ++i) {
    const char16_t c = text[i].unicode();
    if (c >= 0x80)
      return text.startsWith(keyword, Qt::CaseInsensitive);
    if ((c >= u'a' && c <= u'z' ? c - 0x20 : c) != char16_t(keyword[i].unicode()))
      return false;
  }
  return true;
}

// What text in body text that this word starts or formats leaves out, as
// RtfReader::Unkept flags.
quint32 unkeptBy(RtfKeyword keyword, bool hasParameter, int parameter) {
  const bool on = !hasParameter || parameter != 0;
  switch (keyword) {
  case RtfKeyword::Footnote:
    return RtfReader::Footnotes;
  case RtfKeyword::HeaderFooter:
    return RtfReader::HeadersFooters;
  case RtfKeyword::EmbeddedObject:
    return RtfReader::Objects;
  case RtfKeyword::Drawing:
    return RtfReader::Drawings;
  case RtfKeyword::Hidden:
    return on ? quint32(RtfReader::HiddenText) : 0;
  case RtfKeyword::SuperSub:
  case RtfKeyword::Raised:
    return on ? quint32(RtfReader::SuperSubscript) : 0;
  case RtfKeyword::Highlight:
    return hasParameter && parameter > 0 ? quint32(RtfReader::Highlighting) : 0;
  case RtfKeyword::Break:
    return RtfReader::Breaks;
  case RtfKeyword::ListText:
  case RtfKeyword::ListLevel:
    return RtfReader::Lists;
  case RtfKeyword::TableRow:
    return RtfReader::Tables;
  default:
    return 0;
  }
}

} // namespace

// The URL of a field instruction "HYPERLINK "url"" (switches before or after
// the quoted URL are ignored); empty for other fields.
QString RtfParser::hyperlinkTarget(const QString& instruction) {
  const QStringView text = QStringView(instruction).trimmed();
  static const QLatin1String keyword("HYPERLINK");
  if (!startsWithKeyword(text, keyword))
    return {};
  const QStringView rest = text.mid(keyword.size());
  if (!rest.isEmpty() && !rest.front().isSpace() && rest.front() != u'"')
    return {};
  const qsizetype quote = rest.indexOf(u'"');
  if (quote >= 0) {
    const qsizetype close = rest.indexOf(u'"', quote + 1);
    return (close < 0 ? rest.mid(quote + 1) : rest.mid(quote + 1, close - quote - 1)).toString();
  }
  // The first of the words between spaces that is not a switch.
  for (qsizetype start = 0; start < rest.size();) {
    qsizetype end = rest.indexOf(u' ', start);
    if (end < 0)
      end = rest.size();
    const QStringView token = rest.mid(start, end - start);
    if (!token.isEmpty() && !token.startsWith(u'\\'))
      return token.trimmed().toString();
    start = end + 1;
  }
  return {};
}

void RtfParser::controlWord(std::string_view word, bool hasParameter, int parameter) {
  const bool ignorable = ignorableNext_;
  ignorableNext_ = false;
  const RtfKeyword keyword = rtfKeyword(word);
  if (keyword == RtfKeyword::Bin) {
    // Binary data is never text; it counts as one fallback character.
    const long long count = std::max(0, parameter);
    if (top().destination == Destination::Picture)
      pictureBytes_.append(p_, qsizetype(std::min<long long>(count, end_ - p_)));
    p_ += std::min<long long>(count, end_ - p_);
    if (skipFallback_ > 0)
      --skipFallback_;
    return;
  }
  if (skipFallback_ > 0) {
    --skipFallback_;
    return;
  }
  if (top().destination == Destination::Text)
    unkept_ |= unkeptBy(keyword, hasParameter, parameter);
  if (keyword == RtfKeyword::ViewFont && top().destination == Destination::FontTable)
    viewFontNumber_ = fontTableNumber_;
  if (isDestination(keyword) || ignorable) {
    destinationWord(keyword);
    return;
  }
  Group& group = top();
  if (group.destination == Destination::Skip)
    return;
  const bool on = !hasParameter || parameter != 0;
  switch (keyword) {
  case RtfKeyword::Ansi:
    setCodePage(RtfCodePage::kWindows1252);
    break;
  case RtfKeyword::Mac:
    setCodePage(RtfCodePage::kMacRoman);
    break;
  case RtfKeyword::Pc:
    setCodePage(437);
    break;
  case RtfKeyword::Pca:
    setCodePage(850);
    break;
  case RtfKeyword::AnsiCodePage:
    setCodePage(hasParameter && parameter > 0 ? parameter : RtfCodePage::kWindows1252);
    break;
  case RtfKeyword::FontCharset:
    if (group.destination == Destination::FontTable)
      fontTableCodePage_ = RtfCodePage::ofCharset(parameter);
    break;
  case RtfKeyword::FontCodePage:
    if (group.destination == Destination::FontTable && parameter > 0)
      fontTableCodePage_ = parameter;
    break;
  case RtfKeyword::FaceNamedFonts:
    faceNamedFonts_ = true;
    break;
  case RtfKeyword::PngPicture:
  case RtfKeyword::JpegPicture:
    if (group.destination == Destination::Picture)
      pictureKind_ = keyword;
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
  case RtfKeyword::ParagraphDefault:
    if (group.destination == Destination::Text) {
      takeTabStops();
      tabStops_.clear();
    }
    break;
  case RtfKeyword::TabStop:
    if (group.destination == Destination::Text && hasParameter && tabStops_.size() < kMaxTabStops)
      tabStops_.push_back(parameter);
    break;
  case RtfKeyword::Paragraph:
  case RtfKeyword::Break:
    takeTabStops();
    character(u'\n');
    break;
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
      else
        unkept_ |= RtfReader::Fields;
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

// The first paragraph that sets stops gives the text its tab interval, when
// they fall at even steps from the margin (the only kind the editors show).
void RtfParser::takeTabStops() {
  if (tabStopsTaken_ || tabStops_.empty())
    return;
  tabStopsTaken_ = true;
  const int step = tabStops_.front();
  if (step <= 0 || step > kMaxTabTwips)
    return;
  for (size_t i = 0; i < tabStops_.size(); ++i) {
    if (tabStops_[i] != step * int(i + 1))
      return;
  }
  result_.setTabInterval(step / 20.0);
}

void RtfParser::destinationWord(RtfKeyword keyword) {
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
    resetFormatKeys();
    red_ = green_ = blue_ = 0;
    colorHasComponent_ = false;
    break;
  case RtfKeyword::FieldInstruction:
    group.destination = group.field >= 0 ? Destination::FieldInstruction : Destination::Skip;
    break;
  case RtfKeyword::PictureGroup:
    break; // read as the picture it holds
  case RtfKeyword::Picture:
    if (group.destination != Destination::Text) {
      group.destination = Destination::Skip;
      break;
    }
    group.destination = Destination::Picture;
    pictureKind_ = RtfKeyword::Picture;
    pictureHex_.clear();
    pictureBytes_.clear();
    break;
  default:
    // A destination known to hold no body text, or one marked \* that we do
    // not read.
    group.destination = Destination::Skip;
    break;
  }
}

} // namespace kr
