#pragma once

#include "platform/FileSystemEvent.h"

#include <QObject>
#include <QStringList>

#include <functional>

class QFileSystemWatcher;

namespace kr {

// Watches folders for changes: each folder, every subfolder in it (a file
// package such as an RTFD log) with its "TXT.rtf", and every file in it.
// Events go to the callback on the thread that owns the monitor.
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
  // Whether every folder to watch is being watched.
  bool isWatchingEverything() const;
  quint64 lastEventId() const { return lastEventId_; }

private:
  void watchFolder(const QString& folder);
  void watchContents(const QString& folder);
  void onDirectoryChanged(const QString& path);
  void onFileChanged(const QString& path);
  void deliver(const QString& path, quint32 flags);
  void addWatch(const QString& path);

  QStringList pathsToWatch_;
  Callback callback_;
  bool started_ = false;
  quint64 lastEventId_ = 0;
  QFileSystemWatcher* watcher_ = nullptr; // child of this
};

} // namespace kr
