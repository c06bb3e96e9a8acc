#pragma once

#include <QPointer>

#include <vector>

namespace kr {

class LogFileManager;

// Told on the GUI thread after each reload of the log files, once the new
// data sets are in place. A listener leaves its managers when destroyed, so
// they never call a listener that is gone.
class LogFileManagerListener {
public:
  LogFileManagerListener() = default;
  LogFileManagerListener(const LogFileManagerListener&) = delete;
  LogFileManagerListener& operator=(const LogFileManagerListener&) = delete;
  virtual ~LogFileManagerListener();

  virtual void logFilesWereUpdated() = 0;

private:
  friend class LogFileManager;
  std::vector<QPointer<LogFileManager>> managers_;
};

} // namespace kr
