#include "platform/FolderContentMonitor.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QLoggingCategory>
#include <QSet>

namespace kr {

namespace {
Q_LOGGING_CATEGORY(lcFolderMonitor, "kr.platform.monitor")

const QString& packageTextName() {
  static const QString name = QStringLiteral("TXT.rtf");
  return name;
}
} // namespace

FolderContentMonitor::FolderContentMonitor(QStringList pathsToWatch, Callback callback,
                                           QObject* parent)
    : QObject(parent), pathsToWatch_(std::move(pathsToWatch)), callback_(std::move(callback)),
      watcher_(new QFileSystemWatcher(this)) {
  connect(watcher_, &QFileSystemWatcher::directoryChanged, this,
          &FolderContentMonitor::onDirectoryChanged);
  connect(watcher_, &QFileSystemWatcher::fileChanged, this, &FolderContentMonitor::onFileChanged);
}

FolderContentMonitor::~FolderContentMonitor() = default;

void FolderContentMonitor::start() {
  if (started_)
    return;
  started_ = true;
  for (const QString& folder : pathsToWatch_)
    watchFolder(folder);
}

void FolderContentMonitor::setPathsToWatch(const QStringList& paths) {
  if (paths == pathsToWatch_ && (!started_ || isWatchingEverything()))
    return;
  const QStringList watched = watcher_->files() + watcher_->directories();
  if (!watched.isEmpty())
    watcher_->removePaths(watched);
  pathsToWatch_ = paths;
  if (!started_)
    return;
  for (const QString& folder : pathsToWatch_)
    watchFolder(folder);
}

bool FolderContentMonitor::isWatchingEverything() const {
  const QStringList directories = watcher_->directories();
  for (const QString& folder : pathsToWatch_) {
    if (!directories.contains(folder))
      return false;
  }
  return true;
}

void FolderContentMonitor::watchFolder(const QString& folder) {
  if (!QFileInfo(folder).isDir()) {
    qCWarning(lcFolderMonitor).noquote()
        << "cannot watch" << folder << "for changes: it is not a folder";
    return;
  }
  addWatch(folder);
  watchContents(folder);
}

void FolderContentMonitor::watchContents(const QString& folder) {
  const QStringList files = watcher_->files();
  const QStringList directories = watcher_->directories();
  const QSet<QString> watched(files.begin(), files.end());
  const QSet<QString> watchedDirectories(directories.begin(), directories.end());
  const QFileInfoList entries =
      QDir(folder).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
  QStringList toAdd;
  for (const QFileInfo& entry : entries) {
    const QString path = entry.filePath();
    if (entry.isDir()) {
      if (!watchedDirectories.contains(path))
        toAdd.append(path);
      const QString text = path + u'/' + packageTextName();
      if (!watched.contains(text) && QFileInfo::exists(text))
        toAdd.append(text);
    } else if (!watched.contains(path)) {
      toAdd.append(path);
    }
  }
  if (toAdd.isEmpty())
    return;
  const QStringList failed = watcher_->addPaths(toAdd);
  if (!failed.isEmpty()) {
    qCWarning(lcFolderMonitor).noquote()
        << "cannot watch" << failed.size() << "entries of" << folder
        << "for changes (is the limit of watches reached?), among them" << failed.first();
  }
}

void FolderContentMonitor::addWatch(const QString& path) {
  if (watcher_->directories().contains(path) || watcher_->files().contains(path))
    return;
  if (!watcher_->addPath(path))
    qCWarning(lcFolderMonitor).noquote() << "cannot watch" << path << "for changes";
}

void FolderContentMonitor::onDirectoryChanged(const QString& path) {
  const bool exists = QFileInfo(path).isDir();
  if (exists) {
    if (pathsToWatch_.contains(path)) {
      watchContents(path); // new packages and files
    } else {
      const QString text = path + u'/' + packageTextName(); // may be new in the package
      if (QFileInfo::exists(text) && !watcher_->files().contains(text))
        watcher_->addPath(text);
    }
  }
  deliver(path,
          FileSystemEvent::IsDir | (exists ? FileSystemEvent::Modified : FileSystemEvent::Removed));
}

void FolderContentMonitor::onFileChanged(const QString& path) {
  const bool exists = QFileInfo::exists(path);
  // A file replaced by another (written beside, then renamed) loses its watch.
  if (exists && !watcher_->files().contains(path))
    watcher_->addPath(path);
  deliver(path, FileSystemEvent::IsFile |
                    (exists ? FileSystemEvent::Modified : FileSystemEvent::Removed));
}

void FolderContentMonitor::deliver(const QString& path, quint32 flags) {
  const FileSystemEvent event{++lastEventId_, path, flags};
  if (callback_)
    callback_(event);
}

} // namespace kr
