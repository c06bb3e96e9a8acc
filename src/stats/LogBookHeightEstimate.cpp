#include "stats/LogBookHeightEstimate.h"

#include "engine/FullTimeSlice.h"
#include "platform/drawing/SystemFont.h"
#include "platform/richtext/RichText.h"
#include "stats/LogBookColumnView.h"
#include "stats/LogBookTableViewController.h"

#include <QFontMetricsF>

#include <algorithm>

namespace kr {

namespace {

struct Metrics {
  double characterWidth;
  double lineHeight;
};

// The objective's usual type: Helvetica 12.
const Metrics& metrics() {
  static const Metrics measured = [] {
    const QFontMetricsF font(namedFontOrSystemFont(QStringLiteral("Helvetica"), 12.0));
    return Metrics{std::max(1.0, font.averageCharWidth()), font.lineSpacing()};
  }();
  return measured;
}

} // namespace

void LogBookHeightEstimate::prepare(const std::vector<const FullTimeSlice*>& slices) {
  clear();
  firstLength_.reserve(slices.size() + 1);
  lengths_.reserve(slices.size() * 2);
  tagged_.reserve(slices.size());
  for (const FullTimeSlice* slice : slices) {
    firstLength_.push_back(quint32(lengths_.size()));
    addParagraphLengths(slice->objective(), lengths_);
    tagged_.push_back(!slice->tagString().isEmpty());
  }
  firstLength_.push_back(quint32(lengths_.size()));
  prepared_ = true;
}

void LogBookHeightEstimate::clear() {
  firstLength_.clear();
  lengths_.clear();
  tagged_.clear();
  prepared_ = false;
}

double LogBookHeightEstimate::rowHeight(int row, double columnWidth) const {
  if (row < 0 || std::size_t(row) >= tagged_.size())
    return LogBookTableViewController::kExtraHeightWithoutTags;
  const quint32 first = firstLength_[std::size_t(row)];
  return height(lengths_.data() + first, firstLength_[std::size_t(row) + 1] - first,
                tagged_[std::size_t(row)], columnWidth);
}

double LogBookHeightEstimate::rowHeight(const FullTimeSlice& slice, double columnWidth) {
  std::vector<quint32> lengths;
  addParagraphLengths(slice.objective(), lengths);
  return height(lengths.data(), lengths.size(), !slice.tagString().isEmpty(), columnWidth);
}

void LogBookHeightEstimate::addParagraphLengths(const QString& text,
                                                std::vector<quint32>& lengths) {
  const QChar paragraphEnd(RichText::kParagraphEnd);
  qsizetype end = text.size();
  if (end > 0 && text.at(end - 1) == paragraphEnd)
    --end;
  for (qsizetype start = 0;;) {
    qsizetype next = text.indexOf(paragraphEnd, start);
    if (next < 0 || next > end)
      next = end;
    lengths.push_back(quint32(std::min<qsizetype>(next - start, 0xffffffff)));
    if (next >= end)
      break;
    start = next + 1;
  }
}

double LogBookHeightEstimate::height(const quint32* lengths, std::size_t count, bool tagged,
                                     double columnWidth) {
  const Metrics& type = metrics();
  const double lineWidth = std::max(1.0, columnWidth - LogBookColumnView::kObjectiveWidthReduction);
  const quint64 perLine = std::max<quint64>(1, quint64(lineWidth * 0.9 / type.characterWidth));
  quint64 lines = 0;
  for (std::size_t i = 0; i < count; ++i)
    lines += std::max<quint64>(1, (quint64(lengths[i]) + perLine - 1) / perLine);
  lines = std::max<quint64>(lines, 1);
  return double(lines) * type.lineHeight +
         (tagged ? LogBookTableViewController::kExtraHeightWithTags
                 : LogBookTableViewController::kExtraHeightWithoutTags);
}

} // namespace kr
