#include "engine/RawDataSet.h"

#include "engine/LogFile.h"
#include "engine/LogFileCache.h"
#include "platform/QnLog.h"

#include <QElapsedTimer>

namespace kr {

void RawDataSet::loadFromDisk(const QString& folder, LogFileCache& files,
                              const PlainTextStyle& style) {
  QElapsedTimer timer;
  timer.start();
  const LogFileCache::FolderRead read = files.readFolder(folder, style);
  loadFromFiles(read.files, read.tagStringsParsed);
  logLoaded(timeSlices().size(), timer.elapsed());
}

void RawDataSet::logLoaded(std::size_t timeSlices, qint64 milliseconds) {
  qn_logf("data set: %zu time slices loaded in %lld ms", timeSlices,
          static_cast<long long>(milliseconds));
}

void RawDataSet::loadFromFiles(const std::vector<std::shared_ptr<const LogFile>>& files,
                               const QStringList& tagStringsParsed) {
  timeSlices_.clear();
  rawViewMade_ = true;
  keepAlive_.clear();
  keepAlive_.reserve(files.size());
  tagStringsParsed_ = tagStringsParsed;
  // Made in one piece rather than grown and copied over and over.
  std::size_t records = 0;
  for (const auto& file : files)
    records += file->timeSlicesInFile().size();
  beginLoading(records);
  for (const auto& file : files) {
    keepAlive_.push_back(file->records());
    appendFile(*file);
  }
  timeSlices_.shrink_to_fit();
  finishLoading();
}

const std::vector<const RawTimeSlice*>& RawDataSet::timeSlices() const {
  if (!rawViewMade_) {
    makeRawView();
    rawViewMade_ = true;
  }
  return timeSlices_;
}

void RawDataSet::appendFile(const LogFile& file) {
  for (const FullTimeSlicePtr& slice : file.timeSlicesInFile())
    timeSlices_.push_back(&slice->asRawTimeSlice());
}

} // namespace kr
