#pragma once

#include "engine/LogFile.h"

#include <QHash>
#include <QString>

#include <memory>

namespace kr {

// One LogFile per path, kept across reloads so that unchanged files are not
// parsed again. Used only on the reload thread.
class LogFileCache {
public:
  LogFile& createOrRetrieveLogFile(const QString& fullPath);
  int size() const { return int(logFiles_.size()); }

private:
  QHash<QString, std::shared_ptr<LogFile>> logFiles_;
};

} // namespace kr
