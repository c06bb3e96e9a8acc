#include "platform/richtext/RichTextDocument.h"

#include <QBuffer>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>

#include <QHash>

#include <cmath>
#include <optional>
#include <vector>

namespace kr {

namespace {

const QLatin1String kResourceScheme("kr-attachment:");
const char* const kDotsPerInchProperty = "krDotsPerInch";

QUrl resourceUrl(const QString& name) {
  return QUrl(kResourceScheme + QString::fromLatin1(QUrl::toPercentEncoding(name)));
}

// Twips (a twentieth of a point) and a screen's pixels.
double pixels(int twips, double dpi) { return twips * dpi / 1440.0; }
int twips(double pixels, double dpi) { return int(std::lround(pixels * 1440.0 / dpi)); }

using Alignment = ParagraphFormat::Alignment;
using Direction = ParagraphFormat::Direction;
using TabKind = ParagraphFormat::TabStop::Kind;

} // namespace

void RichTextDocument::setDotsPerInch(QTextDocument* document, double dpi) {
  document->setProperty(kDotsPerInchProperty, dpi > 0 ? dpi : kDefaultDotsPerInch);
}

double RichTextDocument::dotsPerInch(const QTextDocument& document) {
  const double dpi = document.property(kDotsPerInchProperty).toDouble();
  return dpi > 0 ? dpi : kDefaultDotsPerInch;
}

QTextBlockFormat RichTextDocument::toBlockFormat(const ParagraphFormat& format, double dpi) {
  QTextBlockFormat result;
  if (format.alignment != Alignment::Left)
    result.setAlignment(format.alignment == Alignment::Center  ? Qt::AlignHCenter
                        : format.alignment == Alignment::Right ? Qt::AlignRight
                                                               : Qt::AlignJustify);
  if (format.direction != Direction::Natural)
    result.setLayoutDirection(format.direction == Direction::RightToLeft ? Qt::RightToLeft
                                                                         : Qt::LeftToRight);
  if (format.leftIndent != 0)
    result.setLeftMargin(pixels(format.leftIndent, dpi));
  if (format.rightIndent != 0)
    result.setRightMargin(pixels(format.rightIndent, dpi));
  if (format.firstLineIndent != 0)
    result.setTextIndent(pixels(format.firstLineIndent, dpi));
  if (format.spaceBefore != 0)
    result.setTopMargin(pixels(format.spaceBefore, dpi));
  if (format.spaceAfter != 0)
    result.setBottomMargin(pixels(format.spaceAfter, dpi));
  if (format.lineSpacing != 0 && format.lineSpacingMultiple)
    result.setLineHeight(format.lineSpacing * 100.0 / 240.0, QTextBlockFormat::ProportionalHeight);
  else if (format.lineSpacing != 0)
    result.setLineHeight(pixels(std::abs(format.lineSpacing), dpi),
                         format.lineSpacing < 0 ? QTextBlockFormat::FixedHeight
                                                : QTextBlockFormat::MinimumHeight);
  if (!format.tabStops.isEmpty()) {
    QList<QTextOption::Tab> tabs;
    for (const ParagraphFormat::TabStop& stop : format.tabStops) {
      const QTextOption::TabType type = stop.kind == TabKind::Center    ? QTextOption::CenterTab
                                        : stop.kind == TabKind::Right   ? QTextOption::RightTab
                                        : stop.kind == TabKind::Decimal ? QTextOption::DelimiterTab
                                                                        : QTextOption::LeftTab;
      tabs.append(QTextOption::Tab(pixels(stop.position, dpi), type,
                                   stop.kind == TabKind::Decimal ? QChar(u'.') : QChar()));
    }
    result.setTabPositions(tabs);
  }
  return result;
}

ParagraphFormat RichTextDocument::fromBlockFormat(const QTextBlockFormat& format, double dpi) {
  ParagraphFormat result;
  if (format.hasProperty(QTextFormat::BlockAlignment)) {
    const Qt::Alignment alignment = format.alignment();
    result.alignment = alignment & Qt::AlignHCenter   ? Alignment::Center
                       : alignment & Qt::AlignRight   ? Alignment::Right
                       : alignment & Qt::AlignJustify ? Alignment::Justified
                                                      : Alignment::Left;
  }
  if (format.hasProperty(QTextFormat::LayoutDirection) &&
      format.layoutDirection() != Qt::LayoutDirectionAuto)
    result.direction = format.layoutDirection() == Qt::RightToLeft ? Direction::RightToLeft
                                                                   : Direction::LeftToRight;
  result.leftIndent = twips(format.leftMargin(), dpi);
  result.rightIndent = twips(format.rightMargin(), dpi);
  result.firstLineIndent = twips(format.textIndent(), dpi);
  result.spaceBefore = twips(format.topMargin(), dpi);
  result.spaceAfter = twips(format.bottomMargin(), dpi);
  switch (format.lineHeightType()) {
  case QTextBlockFormat::ProportionalHeight:
    result.lineSpacing = int(std::lround(format.lineHeight() * 240.0 / 100.0));
    result.lineSpacingMultiple = result.lineSpacing != 0;
    break;
  case QTextBlockFormat::FixedHeight:
    result.lineSpacing = -twips(format.lineHeight(), dpi);
    break;
  case QTextBlockFormat::MinimumHeight:
    result.lineSpacing = twips(format.lineHeight(), dpi);
    break;
  default:
    break; // single, or a distance between lines that RTF cannot say
  }
  for (const QTextOption::Tab& tab : format.tabPositions()) {
    if (result.tabStops.size() == ParagraphFormat::kMaxTabStops)
      break;
    const TabKind kind = tab.type == QTextOption::CenterTab      ? TabKind::Center
                         : tab.type == QTextOption::RightTab     ? TabKind::Right
                         : tab.type == QTextOption::DelimiterTab ? TabKind::Decimal
                                                                 : TabKind::Left;
    result.tabStops.append({std::max(0, twips(tab.position, dpi)), kind});
  }
  return result;
}

std::pair<QString, QByteArray> RichTextDocument::imageFile(const QTextDocument& document,
                                                           const QTextImageFormat& image) {
  QString name = image.property(RichTextDocument::kAttachmentNameProperty).toString();
  const QVariant resource = document.resource(QTextDocument::ImageResource, QUrl(image.name()));
  if (name.isEmpty()) {
    name = QUrl(image.name()).fileName();
    if (name.isEmpty())
      name = QStringLiteral("Image");
    if (!name.contains(QLatin1Char('.')))
      name += QStringLiteral(".png");
  }
  if (resource.typeId() == QMetaType::QByteArray)
    return {name, resource.toByteArray()};
  QByteArray png;
  if (resource.canConvert<QImage>()) {
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly); // own-file: a buffer in memory, no file
    resource.value<QImage>().save(&buffer, "PNG");
  }
  return {name, png};
}

QTextCharFormat RichTextDocument::toCharFormat(const CharFormat& format, double dpi) {
  QTextCharFormat result;
  if (!format.fontFamily.isEmpty())
    result.setFontFamilies(QStringList{format.fontFamily});
  if (format.fontSize > 0)
    result.setFontPointSize(format.fontSize);
  if (format.bold)
    result.setFontWeight(QFont::Bold);
  if (format.italic)
    result.setFontItalic(true);
  if (format.underline)
    result.setFontUnderline(true);
  if (format.strikeThrough)
    result.setFontStrikeOut(true);
  if (format.strikeThrough && format.doubleStrike)
    result.setProperty(kDoubleStrikeProperty, true);
  if (format.capitals)
    result.setFontCapitalization(QFont::AllUppercase);
  if (format.letterSpacing != 0) {
    result.setFontLetterSpacingType(QFont::AbsoluteSpacing);
    result.setFontLetterSpacing(pixels(format.letterSpacing, dpi));
  }
  if (format.foreground)
    result.setForeground(
        QColor(format.foreground->red, format.foreground->green, format.foreground->blue));
  if (format.background)
    result.setBackground(
        QColor(format.background->red, format.background->green, format.background->blue));
  if (!format.link.isEmpty()) {
    result.setAnchor(true);
    result.setAnchorHref(format.link);
  }
  return result;
}

CharFormat RichTextDocument::fromCharFormat(const QTextCharFormat& format, double dpi) {
  CharFormat result;
  if (format.hasProperty(QTextFormat::FontFamilies))
    result.fontFamily = format.fontFamilies().toStringList().value(0);
  if (format.hasProperty(QTextFormat::FontPointSize))
    result.fontSize = format.fontPointSize();
  result.bold = format.hasProperty(QTextFormat::FontWeight) && format.fontWeight() > QFont::Medium;
  result.italic = format.fontItalic();
  result.underline = format.fontUnderline();
  result.strikeThrough = format.fontStrikeOut();
  result.doubleStrike = result.strikeThrough && format.boolProperty(kDoubleStrikeProperty);
  result.capitals = format.hasProperty(QTextFormat::FontCapitalization) &&
                    format.fontCapitalization() == QFont::AllUppercase;
  if (format.hasProperty(QTextFormat::FontLetterSpacing) &&
      format.fontLetterSpacingType() == QFont::AbsoluteSpacing)
    result.letterSpacing = twips(format.fontLetterSpacing(), dpi);
  const auto colorOf = [&format](QTextFormat::Property property) -> std::optional<RgbColor> {
    const QBrush brush = format.brushProperty(property);
    if (!format.hasProperty(property) || brush.style() == Qt::NoBrush)
      return std::nullopt;
    const QColor c = brush.color().toRgb();
    return RgbColor{quint8(c.red()), quint8(c.green()), quint8(c.blue())};
  };
  result.foreground = colorOf(QTextFormat::ForegroundBrush);
  result.background = colorOf(QTextFormat::BackgroundBrush);
  if (format.isAnchor())
    result.link = format.anchorHref();
  return result;
}

void RichTextDocument::fill(QTextDocument* document, const RichText& text) {
  document->clear();
  for (auto it = text.attachmentData().cbegin(); it != text.attachmentData().cend(); ++it)
    document->addResource(QTextDocument::ImageResource, resourceUrl(it.key()), it.value());
  const double dpi = dotsPerInch(*document);
  // Neighbouring paragraphs mostly share a format: converted once.
  ParagraphFormat lastParagraph;
  QTextBlockFormat lastBlock;
  const auto blockFormat = [&](const ParagraphFormat& paragraph) -> const QTextBlockFormat& {
    if (!(paragraph == lastParagraph)) {
      lastParagraph = paragraph;
      lastBlock = toBlockFormat(paragraph, dpi);
    }
    return lastBlock;
  };
  static const ParagraphFormat none;
  const std::vector<RichText::Run>& runs = text.runs();
  QTextCursor cursor(document);
  cursor.beginEditBlock();
  if (!runs.empty() && !runs.front().format.paragraph->isDefault())
    cursor.setBlockFormat(blockFormat(*runs.front().format.paragraph));
  for (std::size_t r = 0; r < runs.size(); ++r) {
    const RichText::Run& run = runs[r];
    const QTextCharFormat format = toCharFormat(run.format, dpi);
    const QStringView runText = QStringView(text.plainText()).mid(run.start, run.length);
    qsizetype start = 0;
    for (qsizetype i = 0; i <= runText.size(); ++i) {
      const bool end = i == runText.size();
      const char16_t c = end ? 0 : runText[i].unicode();
      if (!end && c != u'\n' && c != RichText::kAttachmentCharacter)
        continue;
      if (i > start)
        cursor.insertText(runText.mid(start, i - start).toString(), format);
      if (!end && c == u'\n') {
        // The separator's format is kept as the new block's character
        // format; the block takes the format of the paragraph that follows.
        const ParagraphFormat& next = i + 1 < runText.size() ? *run.format.paragraph
                                      : r + 1 < runs.size()  ? *runs[r + 1].format.paragraph
                                                             : none;
        cursor.insertBlock(blockFormat(next), format);
      } else if (!end) {
        if (run.format.attachment.isEmpty()) {
          cursor.insertText(QString(QChar(RichText::kAttachmentCharacter)), format);
        } else {
          QTextImageFormat image;
          image.merge(format);
          image.setName(resourceUrl(run.format.attachment).toString());
          image.setProperty(kAttachmentNameProperty, run.format.attachment);
          cursor.insertImage(image);
        }
      }
      start = i + 1;
    }
  }
  cursor.endEditBlock();
}

void RichTextDocument::insertAttachment(QTextCursor& cursor, const QString& fileName,
                                        const QByteArray& data) {
  QTextDocument* document = cursor.document();
  document->addResource(QTextDocument::ImageResource, resourceUrl(fileName), data);
  QTextImageFormat image;
  image.merge(cursor.charFormat());
  image.setName(resourceUrl(fileName).toString());
  image.setProperty(kAttachmentNameProperty, fileName);
  cursor.insertImage(image);
}

QSet<QString> RichTextDocument::attachmentNames(const QTextDocument& document) {
  QSet<QString> names;
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextCharFormat format = it.fragment().charFormat();
      if (format.isImageFormat())
        names.insert(format.property(kAttachmentNameProperty).toString());
    }
  }
  return names;
}

QString RichTextDocument::defaultFontFamily(const QTextDocument& document) {
  const QFont font = document.defaultFont();
  if (!(font.resolveMask() & (QFont::FamilyResolved | QFont::FamiliesResolved)))
    return {};
  return font.family();
}

RichText RichTextDocument::fromDocument(const QTextDocument& document) {
  RichText result;
  result.setDefaultFontFamily(defaultFontFamily(document));
  const double dpi = dotsPerInch(document);
  // A position in the document is the same position in its raw text, taken
  // whole at once; the many paragraphs of a long text share a few formats,
  // each converted once.
  const QString raw = document.toRawText();
  const QList<QTextFormat> all = document.allFormats();
  std::vector<std::optional<CharFormat>> converted(std::size_t(all.size()));
  std::vector<std::optional<ParagraphFormat>> paragraphs(std::size_t(all.size()));
  // Characters of paragraphs with a format of their own, by the indexes of
  // both formats.
  QHash<quint64, CharFormat> combined;
  const auto formatAt = [&](int index, int blockIndex) -> const CharFormat& {
    std::optional<CharFormat>& format = converted.at(std::size_t(index));
    if (!format)
      format = fromCharFormat(all.at(index).toCharFormat(), dpi);
    std::optional<ParagraphFormat>& paragraph = paragraphs.at(std::size_t(blockIndex));
    if (!paragraph)
      paragraph = fromBlockFormat(all.at(blockIndex).toBlockFormat(), dpi);
    if (paragraph->isDefault())
      return *format;
    const quint64 key = quint64(quint32(index)) << 32 | quint32(blockIndex);
    auto known = combined.find(key);
    if (known == combined.end()) {
      known = combined.insert(key, *format);
      known->paragraph = *paragraph;
    }
    return *known;
  };
  // Positions are counted along, not looked up for each paragraph.
  int blockStart = 0;
  int previousBlockFormat = -1;
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
    const int blockFormat = block.blockFormatIndex();
    // A paragraph's end belongs to the paragraph it ends.
    if (blockStart > 0)
      result.append(u"\n", formatAt(block.charFormatIndex(), previousBlockFormat));
    previousBlockFormat = blockFormat;
    int position = blockStart;
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      const int length = fragment.length();
      if (all.at(fragment.charFormatIndex()).isImageFormat()) {
        const QTextCharFormat image = fragment.charFormat();
        const auto [name, bytes] = imageFile(document, image.toImageFormat());
        CharFormat attachmentFormat = formatAt(fragment.charFormatIndex(), blockFormat);
        for (qsizetype i = 0; i < length; ++i)
          result.appendAttachment(name, bytes, attachmentFormat);
      } else {
        result.append(QStringView(raw).mid(position, length),
                      formatAt(fragment.charFormatIndex(), blockFormat));
      }
      position += length;
    }
    blockStart += block.length();
  }
  return result;
}

} // namespace kr
