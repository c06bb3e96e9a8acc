#include "platform/richtext/RichTextDocument.h"

#include <QBuffer>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>

#include <optional>
#include <vector>

namespace kr {

namespace {

const QLatin1String kResourceScheme("kr-attachment:");

QUrl resourceUrl(const QString& name) {
  return QUrl(kResourceScheme + QString::fromLatin1(QUrl::toPercentEncoding(name)));
}

} // namespace

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

QTextCharFormat RichTextDocument::toCharFormat(const CharFormat& format) {
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
  if (format.foreground)
    result.setForeground(
        QColor(format.foreground->red, format.foreground->green, format.foreground->blue));
  if (!format.link.isEmpty()) {
    result.setAnchor(true);
    result.setAnchorHref(format.link);
  }
  return result;
}

CharFormat RichTextDocument::fromCharFormat(const QTextCharFormat& format) {
  CharFormat result;
  if (format.hasProperty(QTextFormat::FontFamilies))
    result.fontFamily = format.fontFamilies().toStringList().value(0);
  if (format.hasProperty(QTextFormat::FontPointSize))
    result.fontSize = format.fontPointSize();
  result.bold = format.hasProperty(QTextFormat::FontWeight) && format.fontWeight() > QFont::Medium;
  result.italic = format.fontItalic();
  result.underline = format.fontUnderline();
  result.strikeThrough = format.fontStrikeOut();
  if (format.hasProperty(QTextFormat::ForegroundBrush) &&
      format.foreground().style() != Qt::NoBrush) {
    const QColor c = format.foreground().color().toRgb();
    result.foreground = RgbColor{quint8(c.red()), quint8(c.green()), quint8(c.blue())};
  }
  if (format.isAnchor())
    result.link = format.anchorHref();
  return result;
}

void RichTextDocument::fill(QTextDocument* document, const RichText& text) {
  document->clear();
  for (auto it = text.attachmentData().cbegin(); it != text.attachmentData().cend(); ++it)
    document->addResource(QTextDocument::ImageResource, resourceUrl(it.key()), it.value());
  QTextCursor cursor(document);
  cursor.beginEditBlock();
  for (const RichText::Run& run : text.runs()) {
    const QTextCharFormat format = toCharFormat(run.format);
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
        // The separator's format is kept as the new block's character format.
        cursor.insertBlock(QTextBlockFormat(), format);
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
  // A position in the document is the same position in its raw text, taken
  // whole at once; the many paragraphs of a long text share a few formats,
  // each converted once.
  const QString raw = document.toRawText();
  const QList<QTextFormat> all = document.allFormats();
  std::vector<std::optional<CharFormat>> converted(std::size_t(all.size()));
  const auto formatAt = [&](int index) -> const CharFormat& {
    std::optional<CharFormat>& format = converted.at(std::size_t(index));
    if (!format)
      format = fromCharFormat(all.at(index).toCharFormat());
    return *format;
  };
  // Positions are counted along, not looked up for each paragraph.
  int blockStart = 0;
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
    if (blockStart > 0)
      result.append(u"\n", formatAt(block.charFormatIndex()));
    int position = blockStart;
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      const int length = fragment.length();
      if (all.at(fragment.charFormatIndex()).isImageFormat()) {
        const QTextCharFormat image = fragment.charFormat();
        const auto [name, bytes] = imageFile(document, image.toImageFormat());
        CharFormat attachmentFormat = fromCharFormat(image);
        for (qsizetype i = 0; i < length; ++i)
          result.appendAttachment(name, bytes, attachmentFormat);
      } else {
        result.append(QStringView(raw).mid(position, length), formatAt(fragment.charFormatIndex()));
      }
      position += length;
    }
    blockStart += block.length();
  }
  return result;
}

} // namespace kr
