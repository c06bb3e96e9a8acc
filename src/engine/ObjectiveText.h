#pragma once

#include <QByteArray>
#include <QString>

namespace kr {

// The objective of the next time slice: rich text kept in the settings under
// "objective" as the bytes of a rich-text document.
//
// Everything that reads or writes those bytes goes through this type, so the
// document format can grow (attachments, the full rich-text model) without
// touching its users. For now the bytes are one RTF document.
class ObjectiveText {
public:
  // The look of text written by fromPlainText().
  struct Style {
    QString fontFamily = QStringLiteral("Helvetica");
    double pointSize = 12.0;
    QString textColor = QStringLiteral("#000000"); // "#rrggbb"
  };

  ObjectiveText() = default;
  explicit ObjectiveText(QByteArray data) : data_(std::move(data)) {}

  // A document holding the text in one font and colour.
  static ObjectiveText fromPlainText(const QString& text, const Style& style);

  const QByteArray& data() const { return data_; }
  bool isEmpty() const { return data_.isEmpty(); }
  // The characters of the document without formatting; paragraphs end in "\n".
  // Bytes that are not a rich-text document read as UTF-8 text.
  QString plainText() const;

  friend bool operator==(const ObjectiveText& a, const ObjectiveText& b) {
    return a.data_ == b.data_;
  }

private:
  QByteArray data_;
};

} // namespace kr
