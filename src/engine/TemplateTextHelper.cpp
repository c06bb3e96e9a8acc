#include "engine/TemplateTextHelper.h"

#include "engine/RTFHelper.h"
#include "platform/richtext/RtfReader.h"
#include "platform/richtext/RtfWriter.h"

namespace kr {

QString TemplateTextHelper::placeholder(const QString& tag) {
  return QChar(0x2039) + tag + QChar(0x203A);
}

void TemplateTextHelper::setData(const QByteArray& rtf) {
  templateData_ = rtf;
  text_ = RtfReader::read(rtf).text;
  filled_.clear();
}

std::optional<int> TemplateTextHelper::find(const QString& tag) const {
  if (!text_)
    return std::nullopt;
  const QString needle = placeholder(tag);
  const QString& plain = text_->plainText();
  qsizetype from = 0;
  while (true) {
    const qsizetype at = plain.indexOf(needle, from);
    if (at < 0)
      return std::nullopt;
    const int start = int(at);
    const int end = start + int(needle.size());
    bool overlaps = false;
    for (const Range& range : filled_) {
      if (start < range.start + range.length && range.start < end) {
        overlaps = true;
        from = range.start + range.length;
        break;
      }
    }
    if (!overlaps)
      return start;
  }
}

void TemplateTextHelper::replaceAt(int position, int length, const RichText& with) {
  text_->replace(position, length, with);
  const int delta = with.length() - length;
  for (Range& range : filled_) {
    if (range.start >= position + length)
      range.start += delta;
  }
  filled_.append({position, with.length()});
}

void TemplateTextHelper::substitute(const QString& value, const QString& tag) {
  const std::optional<int> at = find(tag);
  if (!at)
    return;
  replaceAt(*at, int(placeholder(tag).size()), RichText(value, text_->formatAt(*at)));
}

void TemplateTextHelper::substituteRichText(const RichText& value, const QString& tag) {
  const std::optional<int> at = find(tag);
  if (!at)
    return;
  replaceAt(*at, int(placeholder(tag).size()), value);
}

void TemplateTextHelper::substituteRTFDData(const QByteArray& rtfd, const QString& tag) {
  substituteRichText(RTFHelper::sharedInstance().attributedStringFromData(rtfd), tag);
}

QByteArray TemplateTextHelper::data() const {
  if (!text_)
    return {};
  RichText copy = *text_;
  const std::vector<RichText::Run> runs = copy.runs();
  for (auto run = runs.rbegin(); run != runs.rend(); ++run) {
    if (!run->format.attachment.isEmpty())
      copy.replace(run->start, run->length, RichText());
  }
  return RtfWriter::write(copy);
}

} // namespace kr
