#pragma once

#include "engine/LogFile.h"

#include <QHash>
#include <QString>

#include <algorithm>
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
    int filesParsed = 0;
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

private:
  QHash<QString, std::shared_ptr<LogFile>> logFiles_;
  int threadLimit_ = defaultThreadLimit();
};

} // namespace kr
