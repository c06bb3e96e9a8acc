#include "kit/text/PlaceholderIndex.h"

#include "kit/text/PadTextSettings.h"

#include <QTextBlock>
#include <QTextDocument>

#include <algorithm>

namespace kr {

PlaceholderIndex* PlaceholderIndex::of(QTextDocument* document) {
  if (auto* index = document->findChild<PlaceholderIndex*>(QString(), Qt::FindDirectChildrenOnly))
    return index;
  return new PlaceholderIndex(document);
}

PlaceholderIndex::PlaceholderIndex(QTextDocument* document)
    : QObject(document), document_(document) {
  // Every change, undo and redo included, passes through here.
  connect(document, &QTextDocument::contentsChanged, this, [this] { stale_ = true; });
}

void PlaceholderIndex::read() {
  starts_.clear();
  ends_.clear();
  for (QTextBlock block = document_->begin(); block.isValid(); block = block.next()) {
    const QString text = block.text();
    const int at = block.position();
    for (qsizetype i = 0; i < text.size(); ++i) {
      const char16_t c = text[i].unicode();
      if (c == PadTextSettings::kPlaceholderStart)
        starts_.push_back(at + int(i));
      else if (c == PadTextSettings::kPlaceholderEnd)
        ends_.push_back(at + int(i));
    }
  }
  stale_ = false;
}

std::optional<std::pair<int, int>> PlaceholderIndex::find(int location, bool forwards) {
  if (stale_)
    read();
  if (forwards) {
    const auto start = std::lower_bound(starts_.begin(), starts_.end(), std::max(0, location));
    if (start == starts_.end())
      return std::nullopt;
    const auto end = std::lower_bound(ends_.begin(), ends_.end(), *start);
    if (end == ends_.end())
      return std::nullopt;
    return std::make_pair(*start, *end - *start + 1);
  }
  if (location <= 0)
    return std::nullopt;
  // The last mark at or before `location - 1`.
  const auto end = std::upper_bound(ends_.begin(), ends_.end(), location - 1);
  if (end == ends_.begin() || *std::prev(end) <= 0)
    return std::nullopt;
  const int last = *std::prev(end);
  const auto start = std::upper_bound(starts_.begin(), starts_.end(), last - 1);
  if (start == starts_.begin())
    return std::nullopt;
  return std::make_pair(*std::prev(start), last - *std::prev(start) + 1);
}

} // namespace kr
