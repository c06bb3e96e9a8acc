// The control words that change the parser's state.
#include "platform/richtext/RtfParser.h"

#include "platform/richtext/RtfReader.h"

#include <algorithm>

namespace kr {

namespace {

constexpr int kMaxUnicodeSkip = 16;
// Letter spacing beyond this many twips either way is taken as this.
constexpr int kMaxLetterSpacing = 2000;

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
  const RtfWord meaning = rtfWord(word);
  const RtfKeyword keyword = meaning.keyword;
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
    unkept_ |= rtfUnkept(meaning, hasParameter, parameter);
  if (keyword == RtfKeyword::ViewFont && top().destination == Destination::FontTable)
    viewFontNumber_ = fontTableNumber_;
  if (isDestination(keyword) || ignorable) {
    destinationWord(keyword);
    return;
  }
  Group& group = top();
  if (group.destination == Destination::Skip)
    return;
  if (isParagraphKeyword(keyword)) {
    paragraphWord(keyword, hasParameter, parameter);
    return;
  }
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
  case RtfKeyword::DoubleStrike:
    // The last word says how many lines strike the text through.
    group.format.strikeThrough = on;
    group.format.doubleStrike = on && keyword == RtfKeyword::DoubleStrike;
    formatDirty_ = true;
    break;
  case RtfKeyword::Capitals:
    group.format.capitals = on;
    formatDirty_ = true;
    break;
  case RtfKeyword::Expand:
  case RtfKeyword::ExpandTwips: {
    // \expnd in quarter points, \expndtw in twips: writers give both, the
    // finer last.
    const int limit = keyword == RtfKeyword::Expand ? kMaxLetterSpacing / 5 : kMaxLetterSpacing;
    const int value = std::clamp(parameter, -limit, limit);
    group.format.letterSpacing = keyword == RtfKeyword::Expand ? value * 5 : value;
    formatDirty_ = true;
    break;
  }
  case RtfKeyword::ColorForeground:
    group.colorIndex = parameter;
    formatDirty_ = true;
    break;
  case RtfKeyword::ColorBackground:
    group.backgroundIndex = parameter;
    formatDirty_ = true;
    break;
  case RtfKeyword::Deleted:
    // Text deleted under change tracking is no longer the document's text.
    if (on && group.destination == Destination::Text)
      group.destination = Destination::Skip;
    break;
  case RtfKeyword::Plain: {
    const CharFormat kept = group.format;
    group.format = CharFormat{};
    group.format.link = kept.link;
    group.fontNumber = -1;
    group.colorIndex = 0;
    group.backgroundIndex = 0;
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
  case RtfKeyword::Paragraph:
  case RtfKeyword::Break:
    paragraphEnd();
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
