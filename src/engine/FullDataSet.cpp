#include "engine/FullDataSet.h"

#include "engine/LogEntryParser.h"
#include "engine/LogFile.h"
#include "engine/LogLineSplitter.h"
#include "engine/LogTextDecoder.h"

#include <QFile>

#include <algorithm>

namespace kr {

namespace {

QString faultyEntriesProblem(int count) {
  return count == 1 ? QStringLiteral("has 1 entry with a missing or unreadable value")
                    : QStringLiteral("has %1 entries with missing or unreadable values").arg(count);
}

} // namespace

FullDataSet::FileContents FullDataSet::loadRTFDFile(const QString& path) {
  Q_UNUSED(path);
  return {{}, QStringLiteral("cannot be read: this build reads no rich-text logs")};
}

FullDataSet::FileContents FullDataSet::loadPlainTextFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    return {{}, QStringLiteral("cannot be opened: ") + file.errorString()};
  const QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError)
    return {{}, QStringLiteral("cannot be read: ") + file.errorString()};
  return createTimeSlicesFromText(LogTextDecoder::decode(bytes));
}

FullDataSet::FileContents FullDataSet::createTimeSlicesFromText(const QString& text) {
  LogEntryParser parser;
  int number = 0;
  for (const LogLineSplitter::Line& line : LogLineSplitter::split(text))
    parser.addLine(text.mid(line.start, line.length), number++);
  FileContents contents;
  const int faulty = parser.faultyEntryCount();
  if (faulty > 0)
    contents.problem = faultyEntriesProblem(faulty);
  for (LogEntryParser::Entry& entry : parser.takeEntries())
    contents.timeSlices.push_back(std::move(entry.slice));
  return contents;
}

void FullDataSet::appendFile(const LogFile& file) {
  const auto& slices = file.timeSlicesInFile();
  fullTimeSlices_.insert(fullTimeSlices_.end(), slices.begin(), slices.end());
}

void FullDataSet::finishLoading() {
  std::stable_sort(fullTimeSlices_.begin(), fullTimeSlices_.end(),
                   [](const FullTimeSlicePtr& a, const FullTimeSlicePtr& b) {
                     return a->startMSecsSinceEpoch() > b->startMSecsSinceEpoch();
                   });
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
