#pragma once

#include "engine/FullDataSet.h"
#include "engine/LogFileCache.h"
#include "engine/OwnAppend.h"
#include "engine/RawDataSet.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

namespace kr {

class FolderContentMonitor;
class LogFileManagerListener;
class SerialQueue;
class SmartTimerWrapper;
class TagManager;
struct FileSystemEvent;

// Keeps the program's view of the log folder current. The folder monitor's
// events ask for a reload; requests within one second make one reload, which
// parses the changed files on the worker thread "oneUpdateAtATimeDispatcherQueue"
// into fresh data sets, hands them to the GUI thread and tells the listeners.
class LogFileManager : public QObject {
  Q_OBJECT

public:
  using FolderProvider = std::function<QString()>;
  using StyleProvider = std::function<PlainTextStyle()>;

  static LogFileManager& sharedInstance();

  // `logFolder` names the log store's current folder; it is asked on the GUI
  // thread. Tags read go to `tags` (the shared TagManager when null).
  explicit LogFileManager(FolderProvider logFolder, TagManager* tags = nullptr,
                          QObject* parent = nullptr);
  ~LogFileManager() override;

  // Asks for a reload one second from now, unless one is pending already,
  // and points the monitor at the log store's current folder.
  void update();
  // The note pads' font and colour, given to the objectives of plain-text
  // logs; asked on the GUI thread as a reload starts.
  void setPlainTextStyleProvider(StyleProvider provider) { plainTextStyle_ = std::move(provider); }
  // Keeps the parsed days in the file `path` between runs (empty: nowhere):
  // the first reload takes unchanged files from it, and a reload that read
  // files writes it again afterwards, on the worker thread.
  void setDayCacheFile(const QString& path);
  // The default place of that file, in the user's cache folder.
  static QString defaultDayCacheFile();
  // Points the monitor at the log store's current folder.
  void followLogFolder();
  // Starts a reload on the worker thread now.
  void internalAyncUpdate();
  // An entry this program added in place at the end of a day: the next
  // reload takes its records without reading that day again, if the day is
  // still exactly as the append left it.
  void noteOwnAppend(const OwnAppend& append);
  void signalToListeners();
  void addListener(LogFileManagerListener* listener);
  void removeListener(LogFileManagerListener* listener);

  // The data sets of the last finished reload (empty ones before the first).
  std::shared_ptr<const FullDataSet> currentFullDataSet() const { return currentFullDataSet_; }
  std::shared_ptr<const RawDataSet> currentRawDataSet() const { return currentRawDataSet_; }

  FolderContentMonitor& monitor() const { return *monitor_; }
  bool isReloadPending() const;
  int reloadsStarted() const { return reloadsStarted_; }
  // Whether a reload has handed its data sets over: before, they are empty
  // because nothing has been read yet.
  bool hasFinishedAReload() const { return reloadsFinished_ > 0; }
  // How many days the last finished reload took from the day cache.
  int daysFromCacheAtLastReload() const { return daysFromCacheAtLastReload_; }

Q_SIGNALS:
  // After the listeners were told of a finished reload.
  void reloadFinished();

private:
  void onFileSystemEvent(const FileSystemEvent& event);
  void handOver(std::shared_ptr<const FullDataSet> full, std::shared_ptr<const RawDataSet> raw,
                const QStringList& tagStrings);

  FolderProvider logFolder_;
  StyleProvider plainTextStyle_;
  TagManager* tags_;
  FolderContentMonitor* monitor_; // child of this
  std::vector<LogFileManagerListener*> listeners_;
  int reloadsFinished_ = 0;
  std::shared_ptr<const FullDataSet> currentFullDataSet_;
  std::shared_ptr<const RawDataSet> currentRawDataSet_;
  std::shared_ptr<SmartTimerWrapper> waitOneSecondTimerWrapper_;
  int reloadsStarted_ = 0;
  int daysFromCacheAtLastReload_ = 0;
  std::vector<OwnAppend> ownAppends_; // since the last reload started
  LogFileCache logFiles_;             // touched on the worker thread only
  std::atomic<bool> quitting_{false}; // abandons a write of the day cache
  std::unique_ptr<SerialQueue> oneUpdateAtATimeDispatcherQueue_;
};

} // namespace kr
