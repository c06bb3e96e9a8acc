#include "engine/FullDataSet.h"

#include "engine/LogEntryParser.h"
#include "engine/LogFile.h"
#include "engine/LogLineSplitter.h"
#include "engine/LogTextDecoder.h"
#include "platform/RtfdPackage.h"

#include <QFile>

#include <algorithm>
#include <cstdint>

namespace kr {

namespace {

QString faultyEntriesProblem(int count) {
  return count == 1 ? QStringLiteral("has 1 entry with a missing or unreadable value")
                    : QStringLiteral("has %1 entries with missing or unreadable values").arg(count);
}

} // namespace

FullDataSet::FileContents FullDataSet::loadRTFDFile(const QString& path) {
  const RtfdPackage::ReadResult package = RtfdPackage::read(path);
  if (package.status == RtfdPackage::Status::Missing)
    return {{}, QStringLiteral("has gone")};
  if (package.status != RtfdPackage::Status::Ok)
    return {{}, QStringLiteral("did not contain any legal data and was skipped: ") + package.error};
  return createTimeSlicesFromRichText(package.text);
}

FullDataSet::FileContents FullDataSet::loadPlainTextFile(const QString& path,
                                                         const PlainTextStyle& style) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    return {{}, QStringLiteral("cannot be opened: ") + file.errorString()};
  const QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError)
    return {{}, QStringLiteral("cannot be read: ") + file.errorString()};
  return createTimeSlicesFromText(LogTextDecoder::decode(bytes), style);
}

FullDataSet::FileContents FullDataSet::createTimeSlicesFromText(const QString& text,
                                                                const PlainTextStyle& style) {
  CharFormat format;
  format.fontFamily = style.fontFamily;
  format.fontSize = style.pointSize;
  format.foreground = RgbColor::fromHex(style.textColor);
  return createTimeSlicesFromRichText(RichText(text, format));
}

FullDataSet::FileContents FullDataSet::createTimeSlicesFromRichText(const RichText& text) {
  const QString& plain = text.plainText();
  const std::vector<LogLineSplitter::Line> lines = LogLineSplitter::split(plain);
  LogEntryParser parser;
  for (int number = 0; number < int(lines.size()); ++number)
    parser.addLine(plain.mid(lines[number].start, lines[number].length), number);
  FileContents contents;
  const int faulty = parser.faultyEntryCount();
  if (faulty > 0)
    contents.problem = faultyEntriesProblem(faulty);
  std::vector<LogEntryParser::Entry> entries = parser.takeEntries();
  contents.timeSlices.reserve(entries.size());
  for (LogEntryParser::Entry& entry : entries) {
    // The objective's lines with their attributes, joined by plain line feeds.
    RichText objective;
    for (std::size_t i = 0; i < entry.objectiveLines.size(); ++i) {
      if (i > 0)
        objective.append(u"\n");
      const LogLineSplitter::Line& line = lines[std::size_t(entry.objectiveLines[i])];
      objective.append(text.mid(int(line.start), int(line.length)));
    }
    if (!objective.isEmpty())
      entry.slice->setObjectiveAsRTFD(RtfdPackage::toData(objective));
    contents.timeSlices.push_back(std::move(entry.slice));
  }
  return contents;
}

void FullDataSet::appendFile(const LogFile& file) {
  const auto& slices = file.timeSlicesInFile();
  fullTimeSlices_.insert(fullTimeSlices_.end(), slices.begin(), slices.end());
}

void FullDataSet::finishLoading() {
  // Sorted through a compact key array: newest first, equal starts in file order.
  std::vector<std::pair<qint64, std::uint32_t>> keys;
  keys.reserve(fullTimeSlices_.size());
  for (std::size_t i = 0; i < fullTimeSlices_.size(); ++i)
    keys.emplace_back(-fullTimeSlices_[i]->startMSecsSinceEpoch(), std::uint32_t(i));
  std::sort(keys.begin(), keys.end());
  std::vector<FullTimeSlicePtr> sorted;
  sorted.reserve(keys.size());
  for (const auto& key : keys)
    sorted.push_back(std::move(fullTimeSlices_[key.second]));
  fullTimeSlices_ = std::move(sorted);
  timeSlices_.assign(fullTimeSlices_.begin(), fullTimeSlices_.end());
  generateUUIDMap();
}

void FullDataSet::generateUUIDMap() {
  uuidMap_.clear();
  uuidMap_.reserve(qsizetype(fullTimeSlices_.size()));
  for (const FullTimeSlicePtr& slice : fullTimeSlices_)
    uuidMap_.insert(slice->uuid(), slice);
}

} // namespace kr
