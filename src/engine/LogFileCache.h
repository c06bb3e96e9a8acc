#pragma once

#include "engine/LogFile.h"

#include <QHash>
#include <QString>

#include <memory>
#include <vector>

namespace kr {

// One LogFile per path, kept across reloads so that unchanged files are not
// parsed again. Used only on the reload thread.
class LogFileCache {
public:
  // The log files of a folder, in name order, each read if it changed.
  struct FolderRead {
    std::vector<std::shared_ptr<const LogFile>> files;
    QStringList tagStringsParsed; // the "#tags" values of the files parsed now
  };

  FolderRead readFolder(const QString& folder, const PlainTextStyle& style = {});
  LogFile& createOrRetrieveLogFile(const QString& fullPath);
  int size() const { return int(logFiles_.size()); }

private:
  QHash<QString, std::shared_ptr<LogFile>> logFiles_;
};

} // namespace kr
