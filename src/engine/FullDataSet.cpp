#include "engine/FullDataSet.h"

#include "engine/LogEntryParser.h"
#include "engine/LogFile.h"
#include "engine/LogLineSplitter.h"
#include "engine/LogTextDecoder.h"
#include "platform/RtfReader.h"
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

// The objective's lines with their attributes, joined by line feeds.
RichText objectiveOf(const RichText& text, const std::vector<LogLineSplitter::Line>& lines,
                     const std::vector<int>& numbers) {
  const LogLineSplitter::Line& first = lines[std::size_t(numbers.front())];
  const LogLineSplitter::Line& last = lines[std::size_t(numbers.back())];
  const qsizetype end = last.start + last.length;
  // The lines follow one another: when each ends in a line feed, the stretch
  // of text that holds them is the objective as it stands.
  bool lineFeedsOnly = true;
  for (std::size_t i = 0; i + 1 < numbers.size() && lineFeedsOnly; ++i) {
    const LogLineSplitter::Line& line = lines[std::size_t(numbers[i])];
    const qsizetype terminator = line.start + line.length;
    lineFeedsOnly = terminator + 1 == lines[std::size_t(numbers[i + 1])].start &&
                    text.plainText().at(terminator) == u'\n';
  }
  if (lineFeedsOnly)
    return text.mid(int(first.start), int(end - first.start));
  RichText objective;
  for (std::size_t i = 0; i < numbers.size(); ++i) {
    if (i > 0)
      objective.append(u"\n");
    const LogLineSplitter::Line& line = lines[std::size_t(numbers[i])];
    objective.append(text.mid(int(line.start), int(line.length)));
  }
  return objective;
}

} // namespace

FullDataSet::FileContents FullDataSet::loadRTFDFile(const QString& path) {
  // Attachments are not kept in logs: the text is all a reader needs.
  QFile file(path + QStringLiteral("/TXT.rtf"));
  if (!file.open(QIODevice::ReadOnly))
    return {{}, QStringLiteral("cannot be read: TXT.rtf: ") + file.errorString()};
  return createTimeSlicesFromRtf(file.readAll());
}

FullDataSet::FileContents FullDataSet::createTimeSlicesFromRtf(const QByteArray& rtf) {
  if (!RtfReader::looksLikeRtf(rtf))
    return {{}, QStringLiteral("did not contain any legal data and was skipped")};
  return createTimeSlicesFromRichText(RtfReader::read(rtf).text);
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
    parser.addLine(QStringView(plain).mid(lines[number].start, lines[number].length), number);
  FileContents contents;
  const int faulty = parser.faultyEntryCount();
  if (faulty > 0)
    contents.problem = faultyEntriesProblem(faulty);
  std::vector<LogEntryParser::Entry> entries = parser.takeEntries();
  contents.timeSlices.reserve(entries.size());
  for (LogEntryParser::Entry& entry : entries) {
    if (!entry.objectiveLines.empty())
      entry.slice->setObjectiveText(objectiveOf(text, lines, entry.objectiveLines));
    contents.timeSlices.push_back(std::move(entry.slice));
  }
  return contents;
}

void FullDataSet::appendFile(const LogFile& file) {
  const auto& slices = file.timeSlicesInFile();
  fullTimeSlices_.insert(fullTimeSlices_.end(), slices.begin(), slices.end());
}

void FullDataSet::finishLoading() {
  // Newest first; equal start dates keep the order of folder and file. Logs
  // are mostly written in time order, so the reverse of the reading order is
  // usually that order already and needs no sort.
  const std::size_t count = fullTimeSlices_.size();
  bool strictlyAscending = true;
  for (std::size_t i = 1; i < count && strictlyAscending; ++i)
    strictlyAscending =
        fullTimeSlices_[i - 1]->startMSecsSinceEpoch() < fullTimeSlices_[i]->startMSecsSinceEpoch();
  if (strictlyAscending) {
    std::reverse(fullTimeSlices_.begin(), fullTimeSlices_.end());
  } else {
    std::vector<std::pair<qint64, std::uint32_t>> keys;
    keys.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
      keys.emplace_back(-fullTimeSlices_[i]->startMSecsSinceEpoch(), std::uint32_t(i));
    std::sort(keys.begin(), keys.end());
    std::vector<FullTimeSlicePtr> sorted;
    sorted.reserve(count);
    for (const auto& key : keys)
      sorted.push_back(std::move(fullTimeSlices_[key.second]));
    fullTimeSlices_ = std::move(sorted);
  }
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
