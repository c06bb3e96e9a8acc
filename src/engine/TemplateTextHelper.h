#pragma once

#include "platform/richtext/RichText.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace kr {

// Fills the placeholders "‹tag›" of a rich-text template. Each tag's first
// placeholder is replaced; text put in by an earlier substitution is never
// searched again, so a value that happens to contain "‹tag›" stays as it is.
class TemplateTextHelper {
public:
  static QString placeholder(const QString& tag);

  // Stores the template's RTF and parses it.
  void setData(const QByteArray& rtf);
  const std::optional<QByteArray>& templateData() const { return templateData_; }
  const std::optional<RichText>& text() const { return text_; }

  // Replaces the placeholder by plain text in the placeholder's attributes.
  void substitute(const QString& value, const QString& tag);
  // Replaces the placeholder by rich text, which keeps its own attributes.
  void substituteRichText(const RichText& value, const QString& tag);
  // The same for RTFD data.
  void substituteRTFDData(const QByteArray& rtfd, const QString& tag);

  // RTF of the whole text; attachments are dropped. Empty before setData().
  QByteArray data() const;

private:
  std::optional<int> find(const QString& tag) const;
  void replaceAt(int position, int length, const RichText& with);

  struct Range {
    int start;
    int length;
  };
  std::optional<QByteArray> templateData_;
  std::optional<RichText> text_;
  QList<Range> filled_;
};

} // namespace kr
