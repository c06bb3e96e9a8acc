#include "engine/RawDataSet.h"

#include "engine/LogFile.h"
#include "engine/LogFileCache.h"
#include "platform/QnLog.h"

#include <QDir>
#include <QElapsedTimer>

namespace kr {

void RawDataSet::loadFromDisk(const QString& folder, LogFileCache& files,
                              const PlainTextStyle& style) {
  QElapsedTimer timer;
  timer.start();
  timeSlices_.clear();
  tagStringsParsed_.clear();
  static const QString root = QStringLiteral("System Log");
  const QStringList names =
      QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
  for (const QString& name : names) {
    if (!name.startsWith(root))
      continue;
    LogFile& file = files.createOrRetrieveLogFile(folder + u'/' + name);
    if (file.read(style))
      tagStringsParsed_.append(file.tagStringsInFile());
    appendFile(file);
  }
  finishLoading();
  qn_logf("data set: %zu time slices loaded in %lld ms", timeSlices_.size(),
          static_cast<long long>(timer.elapsed()));
}

void RawDataSet::appendFile(const LogFile& file) {
  const auto& slices = file.rawTimeSlicesInFile();
  timeSlices_.insert(timeSlices_.end(), slices.begin(), slices.end());
}

} // namespace kr
