#include "engine/FullDataSet.h"

#include "engine/LogEntryParser.h"
#include "engine/LogFile.h"
#include "engine/LogLineSplitter.h"
#include "engine/LogTextDecoder.h"
#include "platform/FileOperations.h"
#include "platform/RtfReader.h"
#include "platform/RtfdPackage.h"

#include <QHash>

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
  // Attachments are not kept in logs: the text is all a reader needs. Only a
  // regular file is read, so a pipe in its place cannot block the reader.
  FileOperations::ReadOptions options;
  options.followLink = false;
  QString error;
  const std::optional<QByteArray> rtf =
      FileOperations::readRegularFile(path + QStringLiteral("/TXT.rtf"), &error, options);
  if (!rtf)
    return {{}, QStringLiteral("cannot be read: ") + error};
  return createTimeSlicesFromRtf(*rtf);
}

FullDataSet::FileContents FullDataSet::createTimeSlicesFromRtf(const QByteArray& rtf) {
  if (!RtfReader::looksLikeRtf(rtf))
    return {{}, QStringLiteral("did not contain any legal data and was skipped")};
  const RtfReader::Result read = RtfReader::read(rtf);
  FileContents contents = createTimeSlicesFromRichText(read.text);
  if (!read.wellFormed) {
    // What could be read is kept: a cut-off entry is still the user's data.
    const QString damaged =
        QStringLiteral("is damaged: its text ends before the document does (cut off); the %1 "
                       "that could be read %2 kept")
            .arg(contents.timeSlices.size() == 1
                     ? QStringLiteral("1 entry")
                     : QStringLiteral("%1 entries").arg(contents.timeSlices.size()),
                 contents.timeSlices.size() == 1 ? QStringLiteral("is") : QStringLiteral("are"));
    contents.problem =
        contents.problem.isEmpty() ? damaged : damaged + QStringLiteral("; ") + contents.problem;
  }
  return contents;
}

FullDataSet::FileContents FullDataSet::loadPlainTextFile(const QString& path,
                                                         const PlainTextStyle& style) {
  QString error;
  const std::optional<QByteArray> bytes = FileOperations::readRegularFile(path, &error);
  if (!bytes)
    return {{}, QStringLiteral("cannot be read: ") + error};
  return createTimeSlicesFromText(LogTextDecoder::decode(*bytes), style);
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
  const LogFile::Records& records = *file.records();
  for (const FullTimeSlicePtr& slice : records.timeSlices)
    fullTimeSlices_.push_back(slice.get());
  starts_.insert(starts_.end(), records.startMSecs.begin(), records.startMSecs.end());
  hashes_.insert(hashes_.end(), records.uuidHashes.begin(), records.uuidHashes.end());
}

void FullDataSet::finishLoading() {
  // Newest first; equal start dates keep the order of folder and file. Logs
  // are mostly written in time order, so the reverse of the reading order is
  // usually that order already and needs no sort.
  const std::size_t count = fullTimeSlices_.size();
  bool strictlyAscending = true;
  for (std::size_t i = 1; i < count && strictlyAscending; ++i)
    strictlyAscending = starts_[i - 1] < starts_[i];
  if (strictlyAscending) {
    std::reverse(fullTimeSlices_.begin(), fullTimeSlices_.end());
    std::reverse(hashes_.begin(), hashes_.end());
  } else {
    std::vector<std::pair<qint64, std::uint32_t>> keys;
    keys.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
      keys.emplace_back(-starts_[i], std::uint32_t(i));
    std::sort(keys.begin(), keys.end());
    std::vector<const FullTimeSlice*> sorted;
    std::vector<std::size_t> sortedHashes;
    sorted.reserve(count);
    sortedHashes.reserve(count);
    for (const auto& key : keys) {
      sorted.push_back(fullTimeSlices_[key.second]);
      sortedHashes.push_back(hashes_[key.second]);
    }
    fullTimeSlices_ = std::move(sorted);
    hashes_ = std::move(sortedHashes);
  }
  timeSlices_.assign(fullTimeSlices_.begin(), fullTimeSlices_.end());
  generateUUIDMap();
  starts_ = {};
  hashes_ = {};
}

void FullDataSet::generateUUIDMap() {
  std::size_t size = 16;
  while (size < fullTimeSlices_.size() * 2)
    size *= 2;
  uuidTable_.assign(size, UuidSlot());
  uuidCount_ = 0;
  const std::size_t mask = size - 1;
  // In list order, so that of several records with one identifier the last
  // in the list, the oldest, stays.
  for (std::size_t n = 0; n < fullTimeSlices_.size(); ++n) {
    const std::size_t hash = hashes_[n];
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
      UuidSlot& slot = uuidTable_[i];
      if (!slot.slice)
        ++uuidCount_;
      else if (slot.hash != hash || slot.slice->uuid() != fullTimeSlices_[n]->uuid())
        continue;
      slot = {hash, fullTimeSlices_[n]};
      break;
    }
  }
}

const FullTimeSlice* FullDataSet::timeSliceWithUuid(const QString& uuid) const {
  if (uuidTable_.empty())
    return nullptr;
  const std::size_t hash = qHash(uuid);
  const std::size_t mask = uuidTable_.size() - 1;
  for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
    const UuidSlot& slot = uuidTable_[i];
    if (!slot.slice || (slot.hash == hash && slot.slice->uuid() == uuid))
      return slot.slice;
  }
}

} // namespace kr
