#include "engine/RawDataSet.h"

#include "engine/LogFile.h"
#include "engine/LogFileCache.h"
#include "platform/QnLog.h"

#include <QElapsedTimer>

namespace kr {

void RawDataSet::loadFromDisk(const QString& folder, LogFileCache& files,
                              const PlainTextStyle& style) {
  const LogFileCache::FolderRead read = files.readFolder(folder, style);
  loadFromFiles(read.files, read.tagStringsParsed);
}

void RawDataSet::loadFromFiles(const std::vector<std::shared_ptr<const LogFile>>& files,
                               const QStringList& tagStringsParsed) {
  QElapsedTimer timer;
  timer.start();
  timeSlices_.clear();
  keepAlive_.clear();
  keepAlive_.reserve(files.size());
  tagStringsParsed_ = tagStringsParsed;
  for (const auto& file : files) {
    keepAlive_.push_back(file->records());
    appendFile(*file);
  }
  finishLoading();
  qn_logf("data set: %zu time slices loaded in %lld ms", timeSlices_.size(),
          static_cast<long long>(timer.elapsed()));
}

void RawDataSet::appendFile(const LogFile& file) {
  for (const RawTimeSlicePtr& slice : file.rawTimeSlicesInFile())
    timeSlices_.push_back(slice.get());
}

} // namespace kr
