#pragma once

#include "engine/DayCache.h"
#include "engine/LogFile.h"

#include <QHash>
#include <QString>

#include <algorithm>
#include <atomic>
#include <memory>
#include <vector>

namespace kr {

// One LogFile per path, kept across reloads so that unchanged files are not
// parsed again. Used only on the reload thread, which hands the examining and
// parsing of many files to helper threads and waits for them.
class LogFileCache {
public:
  // The log files of a folder, in name order, each read if it changed.
  struct FolderRead {
    std::vector<std::shared_ptr<const LogFile>> files;
    QStringList tagStringsParsed; // the "#tags" values of the files parsed now
    int filesParsed = 0;          // read now, parsed or taken from the day cache
    int filesFromDayCache = 0;    // of those, taken from the day cache
  };

  // `ownAppends`: the entries this program appended in place since the last
  // read, oldest first; a day that is exactly as they left it takes their
  // records without being read again.
  FolderRead readFolder(const QString& folder, const PlainTextStyle& style = {},
                        const std::vector<OwnAppend>& ownAppends = {});
  LogFile& createOrRetrieveLogFile(const QString& fullPath);
  int size() const { return int(logFiles_.size()); }
  // How many threads at most examine and parse files at once (1: the reload
  // thread alone).
  void setThreadLimit(int limit) { threadLimit_ = std::max(1, limit); }
  int threadLimit() const { return threadLimit_; }
  static int defaultThreadLimit();

  // Keeps the parsed days in the file `path` between runs (empty: nowhere):
  // the first read of a folder takes each unchanged file's records from it.
  void setDayCacheFile(const QString& path) { dayCachePath_ = path; }
  // Whether the days kept in that file differ from what the last read found.
  bool dayCacheOutdated() const;
  // Writes the days of the last read that were read in full, without a
  // problem, to the day cache file. Stops early, leaving the old file, when
  // `abandon` is set. A failure costs only the cache (one console line).
  // Returns whether it wrote.
  bool writeDayCache(const std::atomic<bool>& abandon);

private:
  // A file not read before, as createOrRetrieveLogFile() makes it.
  static std::shared_ptr<LogFile> newLogFile(const QString& fullPath);
  void noteDaysToKeep(const QHash<QString, bool>& keepableNow);

  QHash<QString, std::shared_ptr<LogFile>> logFiles_;
  int threadLimit_ = defaultThreadLimit();
  QString dayCachePath_;
  QString dayCacheFolder_;    // the folder the days were read from
  QByteArray dayCacheInputs_; // what their parse depended on
  bool dayCacheConsulted_ = false;
  // The inputs changed during the run: the days read before do not match
  // them, and nothing more is written.
  bool dayCacheStopped_ = false;
  DayCache::Digest daysOnDisk_; // what the day cache file holds
  DayCache::Digest daysToKeep_; // what it should hold
  // The files of the last read, in name order.
  std::vector<std::shared_ptr<LogFile>> lastFiles_;
};

} // namespace kr
