#pragma once

#include "platform/richtext/RichText.h"

#include <QByteArray>
#include <QString>

namespace kr {

// The objective of the next time slice: rich text with attachments, kept in
// the settings under "objective" as RTFD data.
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

  // RTFD data of the text in one font and colour.
  static ObjectiveText fromPlainText(const QString& text, const Style& style);

  const QByteArray& data() const { return data_; }
  bool isEmpty() const { return data_.isEmpty(); }
  // The rich text of the data; empty when the data cannot be read.
  RichText richText() const;
  // Its characters without formatting and without attachment characters;
  // paragraphs end in "\n".
  QString plainText() const;

  friend bool operator==(const ObjectiveText& a, const ObjectiveText& b) {
    return a.data_ == b.data_;
  }

private:
  QByteArray data_;
};

} // namespace kr
