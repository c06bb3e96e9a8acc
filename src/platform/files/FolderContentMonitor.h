#pragma once

#include "platform/files/FileSystemEvent.h"

#include <QObject>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class QThread;

namespace kr {

class InotifyFolderWatcher;

// Watches folders for changes: each folder, every subfolder in it (a file
// package such as an RTFD log) with the files inside, and every file in it.
// The watches are set up on a thread of the monitor's own, so starting returns
// at once however many packages there are; events go to the callback on the
// thread that owns the monitor.
class FolderContentMonitor : public QObject {
  Q_OBJECT

public:
  using Callback = std::function<void(const FileSystemEvent&)>;

  FolderContentMonitor(QStringList pathsToWatch, Callback callback, QObject* parent = nullptr);
  ~FolderContentMonitor() override;

  // Starts watching; a second call does nothing.
  void start();
  bool isStarted() const { return started_; }

  // Watches other folders from now on (started or not). Setting the same
  // folders again retries those that could not be watched before.
  void setPathsToWatch(const QStringList& paths);
  const QStringList& pathsToWatch() const { return pathsToWatch_; }
  // Whether every folder to watch is being watched (its set-up finished).
  bool isWatchingEverything() const;
  // Whether a set-up asked for has not finished yet.
  bool isSettingUp() const { return finishedGeneration_ != generation_; }
  quint64 lastEventId() const { return lastEventId_; }

Q_SIGNALS:
  // A set-up of the folders to watch finished (see isWatchingEverything()).
  void setUpFinished();

private:
  void requestSetUp();
  void onSetUp(quint64 generation, bool watchingEverything);
  void deliver(const QString& path, quint32 flags);

  QStringList pathsToWatch_;
  Callback callback_;
  bool started_ = false;
  quint64 lastEventId_ = 0;
  quint64 generation_ = 0;         // of the latest set-up asked for
  quint64 finishedGeneration_ = 0; // of the latest set-up finished
  quint64 missingGeneration_ = 0;  // of the latest set-up that lacked a folder
  bool watchingEverything_ = false;
  std::unique_ptr<QThread> thread_;
  InotifyFolderWatcher* watcher_ = nullptr; // lives on thread_; deleted once it ended
};

} // namespace kr
