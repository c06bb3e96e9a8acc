#pragma once

#include "platform/richtext/RichText.h"

#include <QSet>
#include <QTextBlockFormat>
#include <QTextCharFormat>

#include <utility>

class QTextCursor;
class QTextDocument;
class QTextImageFormat;

namespace kr {

// The bridge between rich text and the editors' QTextDocument. Paragraph
// ends become blocks with their paragraphs' formats, line breaks stay
// U+2028, attachments become inline images whose file bytes the document
// keeps as resources.
class RichTextDocument {
public:
  // The format property holding an image's attachment file name.
  static constexpr int kAttachmentNameProperty = QTextFormat::UserProperty + 1;
  // Set on text struck through twice, which Qt draws as once.
  static constexpr int kDoubleStrikeProperty = QTextFormat::UserProperty + 2;
  // A document's lengths are pixels of a screen of so many dots an inch:
  // that of the editor it is shown in, else Qt's usual one.
  static constexpr double kDefaultDotsPerInch = 96;
  static void setDotsPerInch(QTextDocument* document, double dpi);
  static double dotsPerInch(const QTextDocument& document);

  // Replaces the document's content by `text`.
  static void fill(QTextDocument* document, const RichText& text);
  // With the document's default font as the text's default font family.
  static RichText fromDocument(const QTextDocument& document);
  // The family of the document's default font when one was set on it, else
  // empty (the application's font is no choice of the text's).
  static QString defaultFontFamily(const QTextDocument& document);

  // Inserts an image at the cursor as the attachment file `fileName` holding
  // `data`, in the cursor's character format.
  static void insertAttachment(QTextCursor& cursor, const QString& fileName,
                               const QByteArray& data);
  // The attachment file names the document's images use.
  static QSet<QString> attachmentNames(const QTextDocument& document);

  // The file name and bytes of an image in the document. Images that came
  // from an attachment keep their bytes; others are stored as PNG.
  static std::pair<QString, QByteArray> imageFile(const QTextDocument& document,
                                                  const QTextImageFormat& image);

  // The character attributes alone (the paragraph's are the block's).
  static QTextCharFormat toCharFormat(const CharFormat& format, double dpi = kDefaultDotsPerInch);
  static CharFormat fromCharFormat(const QTextCharFormat& format, double dpi = kDefaultDotsPerInch);
  static QTextBlockFormat toBlockFormat(const ParagraphFormat& format,
                                        double dpi = kDefaultDotsPerInch);
  static ParagraphFormat fromBlockFormat(const QTextBlockFormat& format,
                                         double dpi = kDefaultDotsPerInch);
};

} // namespace kr
