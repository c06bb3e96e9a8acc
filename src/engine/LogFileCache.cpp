#include "engine/LogFileCache.h"

#include "platform/QnLog.h"

namespace kr {

LogFile& LogFileCache::createOrRetrieveLogFile(const QString& fullPath) {
  auto it = logFiles_.find(fullPath);
  if (it != logFiles_.end())
    return **it;
  qn_log(QStringLiteral("reading log file at: ") + fullPath);
  auto file = std::make_shared<LogFile>(fullPath);
  qn_log(QStringLiteral("--everything read."));
  it = logFiles_.insert(fullPath, std::move(file));
  qn_log(QStringLiteral("--stored."));
  return **it;
}

} // namespace kr
