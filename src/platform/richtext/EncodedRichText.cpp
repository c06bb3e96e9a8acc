#include "platform/richtext/EncodedRichText.h"

#include <QSet>

namespace kr {

QStringList EncodedRichText::attachmentNames() const {
  QStringList names;
  QSet<QString> seen;
  for (const auto& chunk : chunks) {
    for (const auto& [name, bytes] : chunk->attachments) {
      if (!seen.contains(name)) {
        seen.insert(name);
        names.append(name);
      }
    }
  }
  return names;
}

QMap<QString, QByteArray> EncodedRichText::attachmentData() const {
  QMap<QString, QByteArray> data;
  for (const auto& chunk : chunks) {
    for (const auto& [name, bytes] : chunk->attachments)
      data.insert(name, bytes);
  }
  return data;
}

const ParagraphFormat& EncodedRichText::paragraphAt(const std::vector<ParagraphFormat>& paragraphs,
                                                    int index) {
  static const ParagraphFormat none;
  return index >= 0 && std::size_t(index) < paragraphs.size() ? paragraphs[std::size_t(index)]
                                                              : none;
}

qsizetype EncodedRichText::byteCount() const {
  qsizetype count = 0;
  for (const auto& chunk : chunks)
    count += chunk->bytes.size();
  return count;
}

} // namespace kr
