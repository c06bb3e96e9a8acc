#include "platform/files/InotifyFolderWatcher.h"

#include "platform/ConsoleText.h"
#include "platform/LogCategories.h"

#include <QFile>
#include <QSet>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <sched.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kr {

namespace {

constexpr quint32 kMask = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_MODIFY |
                          IN_CLOSE_WRITE | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR |
                          IN_EXCL_UNLINK;

bool isFolder(DIR* dir, const dirent* entry) {
  if (entry->d_type == DT_DIR)
    return true;
  if (entry->d_type != DT_UNKNOWN && entry->d_type != DT_LNK)
    return false;
  struct stat info {};
  return fstatat(dirfd(dir), entry->d_name, &info, 0) == 0 && S_ISDIR(info.st_mode);
}

// Whether this thread has a working folder of its own, apart from the
// process's: then a package is watched by its name inside the folder, which
// spares the kernel a walk along the whole path for each of thousands of
// watches, and no other thread notices the change of folder.
bool hasOwnWorkingFolder() {
  static thread_local const bool own = unshare(CLONE_FS) == 0;
  return own;
}

quint32 flagsOf(quint32 mask) {
  quint32 flags = (mask & IN_ISDIR) ? FileSystemEvent::IsDir : FileSystemEvent::IsFile;
  if (mask & IN_CREATE)
    flags |= FileSystemEvent::Created;
  if (mask & IN_MOVED_TO)
    flags |= FileSystemEvent::Created | FileSystemEvent::Renamed;
  if (mask & IN_DELETE)
    flags |= FileSystemEvent::Removed;
  if (mask & IN_MOVED_FROM)
    flags |= FileSystemEvent::Removed | FileSystemEvent::Renamed;
  if (mask & (IN_MODIFY | IN_CLOSE_WRITE))
    flags |= FileSystemEvent::Modified;
  if (mask & IN_ATTRIB)
    flags |= FileSystemEvent::InodeMetaModified;
  return flags;
}

} // namespace

InotifyFolderWatcher::InotifyFolderWatcher(ChangesHandler changes, SetUpHandler setUp)
    : changes_(std::move(changes)), setUp_(std::move(setUp)) {}

InotifyFolderWatcher::~InotifyFolderWatcher() { close(); }

void InotifyFolderWatcher::close() {
  delete notifier_;
  notifier_ = nullptr;
  if (fd_ >= 0)
    ::close(fd_); // drops every watch at once
  fd_ = -1;
  watched_.clear();
}

bool InotifyFolderWatcher::reopen() {
  close();
  fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (fd_ < 0) {
    qCWarning(lcFolderMonitor).noquote() << "cannot watch the log folder for changes:"
                                         << QString::fromLocal8Bit(std::strerror(errno));
    return false;
  }
  notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, [this] { readEvents(); });
  return true;
}

void InotifyFolderWatcher::watch(const QStringList& folders, const QStringList& absolute,
                                 quint64 generation) {
  roots_ = folders;
  absoluteRoots_ = absolute;
  bool everything = reopen();
  for (int root = 0; everything && root < roots_.size(); ++root) {
    if (!addWatch(QFile::encodeName(absoluteRoots_.value(root)).constData(), root, {})) {
      everything = false;
      continue;
    }
    watchPackagesOf(root);
  }
  if (setUp_)
    setUp_(generation, everything);
}

QString InotifyFolderWatcher::pathOf(const Watched& watched) const {
  const QString& root = roots_.at(watched.root);
  return watched.isRoot() ? root : root + u'/' + QFile::decodeName(watched.name);
}

bool InotifyFolderWatcher::addWatch(const char* path, int root, const QByteArray& name) {
  const int wd = inotify_add_watch(fd_, path, kMask);
  if (wd < 0) {
    const int error = errno;
    if (name.isEmpty()) {
      qCWarning(lcFolderMonitor).noquote()
          << "cannot watch" << consoleSafe(roots_.at(root))
          << "for changes:" << QString::fromLocal8Bit(std::strerror(error));
    } else if (error != ENOENT && error != ENOTDIR) {
      reportLimitOnce(pathOf(Watched{root, name}), error);
    }
    return false;
  }
  watched_.insert(wd, Watched{root, name});
  return true;
}

void InotifyFolderWatcher::reportLimitOnce(const QString& path, int error) {
  if (limitReported_)
    return;
  limitReported_ = true;
  qCWarning(lcFolderMonitor).noquote()
      << "cannot watch" << consoleSafe(path)
      << "for changes:" << QString::fromLocal8Bit(std::strerror(error))
      << (error == ENOSPC ? "(the limit of inotify watches is reached)" : "");
}

void InotifyFolderWatcher::watchPackagesOf(int root) {
  QByteArray path = QFile::encodeName(absoluteRoots_.value(root));
  DIR* dir = opendir(path.constData());
  if (!dir)
    return;
  // One listing and one watch per package, each path built in place: with
  // thousands of packages the set-up costs little more than the watches.
  path += '/';
  const qsizetype prefixLength = path.size();
  const bool byName = hasOwnWorkingFolder() && fchdir(dirfd(dir)) == 0;
  while (const dirent* entry = readdir(dir)) {
    if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
      continue;
    if (!isFolder(dir, entry))
      continue;
    if (byName) {
      addWatch(entry->d_name, root, QByteArray(entry->d_name));
      continue;
    }
    path.truncate(prefixLength);
    path += entry->d_name;
    addWatch(path.constData(), root, QByteArray(entry->d_name));
  }
  if (byName) {
    // Out again, so that the folder is not kept busy. Every path this thread
    // watches by is absolute.
    [[maybe_unused]] const int ignored = chdir("/");
  }
  closedir(dir);
}

void InotifyFolderWatcher::readEvents() {
  alignas(inotify_event) char buffer[64 * 1024];
  std::vector<Change> changes;
  QSet<QString> seen;
  for (;;) {
    const ssize_t length = ::read(fd_, buffer, sizeof buffer);
    if (length <= 0)
      break;
    for (ssize_t offset = 0; offset < length;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + offset);
      const QString name = event->len ? QFile::decodeName(event->name) : QString();
      std::vector<Change> translated;
      translate(event->wd, event->mask, name, translated);
      for (Change& change : translated) {
        // One read may hold many writes to the same file: hand each change on once.
        const QString key = QString::number(change.flags) + u':' + change.path;
        if (!seen.contains(key)) {
          seen.insert(key);
          changes.push_back(std::move(change));
        }
      }
      offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    }
  }
  if (!changes.empty() && changes_)
    changes_(changes);
}

void InotifyFolderWatcher::translate(int wd, quint32 mask, const QString& name,
                                     std::vector<Change>& changes) {
  if (mask & IN_Q_OVERFLOW) {
    // Events were lost: say that every folder changed, so nothing goes unnoticed.
    for (const QString& root : roots_)
      changes.push_back({root, FileSystemEvent::IsDir | FileSystemEvent::Modified});
    return;
  }
  const auto it = watched_.constFind(wd);
  if (it == watched_.constEnd())
    return;
  const Watched watched = it.value();
  if (mask & IN_IGNORED) {
    watched_.remove(wd);
    if (watched.isRoot() && setUp_)
      setUp_(0, false); // the folder itself is gone or moved: watch it again later
    return;
  }
  if (mask & (IN_DELETE_SELF | IN_MOVE_SELF)) {
    if (watched.isRoot()) {
      changes.push_back(
          {pathOf(watched), FileSystemEvent::IsDir | FileSystemEvent::Removed |
                                ((mask & IN_MOVE_SELF) ? quint32(FileSystemEvent::Renamed) : 0u)});
      if (mask & IN_MOVE_SELF)
        inotify_rm_watch(fd_, wd); // the watch would follow the folder elsewhere
    }
    return; // a package's own removal is seen in its folder as well
  }
  const QString folder = pathOf(watched);
  const QString path = name.isEmpty() ? folder : folder + u'/' + name;
  if (watched.isRoot() && (mask & IN_ISDIR) && (mask & (IN_CREATE | IN_MOVED_TO))) {
    // A new package: its text may be written later.
    addWatch(QFile::encodeName(absoluteRoots_.value(watched.root) + u'/' + name).constData(),
             watched.root, QFile::encodeName(name));
  }
  changes.push_back({path, flagsOf(mask)});
}

} // namespace kr
