#pragma once

#include "platform/richtext/RichText.h"

#include <QSet>
#include <QTextCharFormat>

#include <utility>

class QTextCursor;
class QTextDocument;
class QTextImageFormat;

namespace kr {

// The bridge between rich text and the editors' QTextDocument. Paragraph
// ends become blocks, line breaks stay U+2028, attachments become inline
// images whose file bytes the document keeps as resources.
class RichTextDocument {
public:
  // The format property holding an image's attachment file name.
  static constexpr int kAttachmentNameProperty = QTextFormat::UserProperty + 1;

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

  static QTextCharFormat toCharFormat(const CharFormat& format);
  static CharFormat fromCharFormat(const QTextCharFormat& format);
};

} // namespace kr
