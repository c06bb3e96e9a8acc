#include "platform/files/FolderContentMonitor.h"

#include "platform/ConsoleText.h"
#include "platform/LogCategories.h"
#include "platform/files/InotifyFolderWatcher.h"

#include <QFileInfo>
#include <QThread>

#include <sys/resource.h>
#include <unistd.h>

namespace kr {

FolderContentMonitor::FolderContentMonitor(QStringList pathsToWatch, Callback callback,
                                           QObject* parent)
    : QObject(parent), pathsToWatch_(std::move(pathsToWatch)), callback_(std::move(callback)) {}

FolderContentMonitor::~FolderContentMonitor() {
  if (thread_) {
    thread_->quit();
    thread_->wait();
    // Its thread has ended: nothing else touches it. (A deleteLater at the
    // thread's end is not run once the thread's loop has gone.)
    delete watcher_;
  }
}

void FolderContentMonitor::start() {
  if (started_)
    return;
  started_ = true;
  thread_ = std::make_unique<QThread>();
  thread_->setObjectName(QStringLiteral("folderContentMonitor"));
  // Its handlers run on the watcher's thread and hand over to this one; what
  // is still queued when this monitor goes is dropped with it.
  watcher_ = new InotifyFolderWatcher(
      [this](const std::vector<InotifyFolderWatcher::Change>& changes) {
        QMetaObject::invokeMethod(
            this,
            [this, changes] {
              for (const InotifyFolderWatcher::Change& change : changes)
                deliver(change.path, change.flags);
            },
            Qt::QueuedConnection);
      },
      [this](quint64 generation, bool everything) {
        QMetaObject::invokeMethod(
            this, [this, generation, everything] { onSetUp(generation, everything); },
            Qt::QueuedConnection);
      });
  watcher_->moveToThread(thread_.get());
  thread_->start();
  // A somewhat lower priority than the GUI thread's: starting up, the window
  // does not wait for the thousands of watches (lower still, a busy machine
  // would keep the set-up waiting for long).
  QMetaObject::invokeMethod(
      watcher_, [] { setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 5); },
      Qt::QueuedConnection);
  requestSetUp();
}

void FolderContentMonitor::setPathsToWatch(const QStringList& paths) {
  // The same folders: nothing to do unless a folder could not be watched
  // (or will not be by the set-up under way).
  const bool pendingSetUpIsComplete = isSettingUp() && missingGeneration_ != generation_;
  const bool watched = !isSettingUp() && watchingEverything_;
  if (paths == pathsToWatch_ && (!started_ || pendingSetUpIsComplete || watched))
    return;
  pathsToWatch_ = paths;
  if (started_)
    requestSetUp();
}

bool FolderContentMonitor::isWatchingEverything() const {
  return started_ && !isSettingUp() && watchingEverything_;
}

void FolderContentMonitor::requestSetUp() {
  const quint64 generation = ++generation_;
  QStringList folders;
  QStringList absolute;
  for (const QString& folder : pathsToWatch_) {
    const QFileInfo info(folder);
    if (info.isDir()) {
      folders.append(folder);
      absolute.append(info.absoluteFilePath());
    } else {
      qCWarning(lcFolderMonitor).noquote()
          << "cannot watch" << consoleSafe(folder) << "for changes: it is not a folder";
    }
  }
  if (folders.size() != pathsToWatch_.size())
    missingGeneration_ = generation;
  // Handed over once this thread is back in its event loop: during start-up
  // that is after the window was built, which the set-up then does not slow.
  InotifyFolderWatcher* watcher = watcher_;
  QMetaObject::invokeMethod(
      this,
      [watcher, folders, absolute, generation] {
        QMetaObject::invokeMethod(
            watcher,
            [watcher, folders, absolute, generation] {
              watcher->watch(folders, absolute, generation);
            },
            Qt::QueuedConnection);
      },
      Qt::QueuedConnection);
}

void FolderContentMonitor::onSetUp(quint64 generation, bool watchingEverything) {
  if (generation == 0) {
    // A folder being watched went away; the next setPathsToWatch() tries again.
    if (!isSettingUp())
      watchingEverything_ = false;
    return;
  }
  if (generation <= finishedGeneration_ || generation > generation_)
    return;
  finishedGeneration_ = generation;
  watchingEverything_ = watchingEverything && missingGeneration_ != generation;
  if (!isSettingUp())
    Q_EMIT setUpFinished();
}

void FolderContentMonitor::deliver(const QString& path, quint32 flags) {
  const FileSystemEvent event{++lastEventId_, path, flags};
  if (callback_)
    callback_(event);
}

} // namespace kr
