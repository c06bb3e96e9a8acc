#include "platform/richtext/RichText.h"

#include <QSet>
#include <QStringList>

#include <algorithm>

namespace kr {

RichText::RichText(const QString& text, const CharFormat& format) { append(text, format); }

int RichText::runIndexAt(int position) const {
  auto it = std::upper_bound(runs_.begin(), runs_.end(), position,
                             [](int pos, const Run& run) { return pos < run.start; });
  return int(it - runs_.begin()) - 1;
}

CharFormat RichText::formatAt(int position) const {
  if (position < 0 || position >= length())
    return {};
  return runs_[size_t(runIndexAt(position))].format;
}

void RichText::append(QStringView text, const CharFormat& format) {
  if (text.isEmpty())
    return;
  const int start = length();
  text_.append(text);
  if (!runs_.empty() && runs_.back().format == format) {
    runs_.back().length += int(text.size());
    return;
  }
  runs_.push_back(Run{start, int(text.size()), format});
}

void RichText::append(const RichText& other) {
  if (defaultFontFamily_.isEmpty())
    defaultFontFamily_ = other.defaultFontFamily_;
  for (const Run& run : other.runs_)
    append(QStringView(other.text_).mid(run.start, run.length), run.format);
  for (auto it = other.attachmentData_.cbegin(); it != other.attachmentData_.cend(); ++it)
    attachmentData_.insert(it.key(), it.value());
}

void RichText::appendAttachment(const QString& fileName, const QByteArray& data,
                                const CharFormat& format) {
  CharFormat withName = format;
  withName.attachment = fileName;
  const QChar character(kAttachmentCharacter);
  append(QStringView(&character, 1), withName);
  attachmentData_.insert(fileName, data);
}

RichText RichText::mid(int position, int length) const {
  RichText result;
  result.tabInterval_ = tabInterval_;
  result.defaultFontFamily_ = defaultFontFamily_;
  position = std::clamp(position, 0, this->length());
  const int end = length < 0 ? this->length()
                             : int(std::min<qint64>(this->length(), qint64(position) + length));
  if (position >= end)
    return result;
  result.text_ = position == 0 && end == this->length()
                     ? text_
                     : QString(text_.constData() + position, end - position);
  const auto first = runs_.begin() + runIndexAt(position);
  const auto last = std::lower_bound(first, runs_.end(), end,
                                     [](const Run& run, int at) { return run.start < at; });
  result.runs_.reserve(std::size_t(last - first));
  for (auto run = first; run != last; ++run) {
    const int from = std::max(run->start, position);
    const int to = std::min(run->start + run->length, end);
    if (!result.runs_.empty() && result.runs_.back().format == run->format)
      result.runs_.back().length += to - from;
    else
      result.runs_.push_back(Run{from - position, to - from, run->format});
    if (!run->format.attachment.isEmpty() && attachmentData_.contains(run->format.attachment))
      result.attachmentData_.insert(run->format.attachment,
                                    attachmentData_.value(run->format.attachment));
  }
  return result;
}

void RichText::replace(int position, int length, const RichText& with) {
  position = std::clamp(position, 0, this->length());
  length = std::clamp(length, 0, this->length() - position);
  RichText result = mid(0, position);
  result.append(with);
  result.append(mid(position + length));
  // Files that no character uses any longer are kept: the caller may put the
  // characters back (undo), and writers store only the files still used.
  for (auto it = attachmentData_.cbegin(); it != attachmentData_.cend(); ++it) {
    if (!result.attachmentData_.contains(it.key()))
      result.attachmentData_.insert(it.key(), it.value());
  }
  *this = std::move(result);
}

void RichText::setFormat(int position, int length, const CharFormat& format) {
  updateFormat(position, length, [&format](CharFormat& f) { f = format; });
}

void RichText::updateFormat(int position, int length,
                            const std::function<void(CharFormat&)>& change) {
  position = std::clamp(position, 0, this->length());
  const int end = length < 0 ? this->length() : std::min(this->length(), position + length);
  if (position >= end)
    return;
  std::vector<Run> updated;
  updated.reserve(runs_.size() + 2);
  for (const Run& run : runs_) {
    const int runEnd = run.start + run.length;
    if (runEnd <= position || run.start >= end) {
      updated.push_back(run);
      continue;
    }
    if (run.start < position)
      updated.push_back(Run{run.start, position - run.start, run.format});
    Run inner{std::max(run.start, position), std::min(runEnd, end) - std::max(run.start, position),
              run.format};
    change(inner.format);
    updated.push_back(inner);
    if (runEnd > end)
      updated.push_back(Run{end, runEnd - end, run.format});
  }
  runs_ = std::move(updated);
  normalize();
}

void RichText::clearParagraphFormats() {
  const bool any = std::any_of(runs_.begin(), runs_.end(),
                               [](const Run& run) { return !run.format.paragraph->isDefault(); });
  if (any)
    updateFormat(0, -1, [](CharFormat& format) { format.paragraph = SharedParagraphFormat(); });
}

void RichText::normalize() {
  std::vector<Run> merged;
  merged.reserve(runs_.size());
  for (Run& run : runs_) {
    if (run.length <= 0)
      continue;
    if (!merged.empty() && merged.back().format == run.format)
      merged.back().length += run.length;
    else
      merged.push_back(std::move(run));
  }
  runs_ = std::move(merged);
}

QStringList RichText::attachmentNames() const {
  QStringList names;
  QSet<QString> seen;
  for (const Run& run : runs_) {
    if (!run.format.attachment.isEmpty() && !seen.contains(run.format.attachment)) {
      seen.insert(run.format.attachment);
      names.append(run.format.attachment);
    }
  }
  return names;
}

void RichText::setAttachmentData(const QString& fileName, const QByteArray& data) {
  attachmentData_.insert(fileName, data);
}

bool RichText::operator==(const RichText& other) const {
  return text_ == other.text_ && runs_ == other.runs_ && attachmentData_ == other.attachmentData_ &&
         tabInterval_ == other.tabInterval_;
}

} // namespace kr
