#include "platform/InotifyFolderWatcher.h"

#include <QFile>
#include <QLoggingCategory>
#include <QSet>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kr {

namespace {
Q_LOGGING_CATEGORY(lcInotify, "kr.platform.monitor")

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
    qCWarning(lcInotify).noquote() << "cannot watch the log folder for changes:"
                                   << QString::fromLocal8Bit(std::strerror(errno));
    return false;
  }
  notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, [this] { readEvents(); });
  return true;
}

void InotifyFolderWatcher::watch(const QStringList& folders, quint64 generation) {
  roots_ = folders;
  bool everything = reopen();
  for (const QString& folder : folders) {
    if (!everything)
      break;
    if (!addWatch(folder, true)) {
      everything = false;
      continue;
    }
    watchPackagesOf(folder);
  }
  if (setUp_)
    setUp_(generation, everything);
}

bool InotifyFolderWatcher::addWatch(const QString& path, bool isRoot) {
  const QByteArray encoded = QFile::encodeName(path);
  const int wd = inotify_add_watch(fd_, encoded.constData(), kMask);
  if (wd < 0) {
    if (isRoot) {
      qCWarning(lcInotify).noquote()
          << "cannot watch" << path
          << "for changes:" << QString::fromLocal8Bit(std::strerror(errno));
    } else if (errno != ENOENT && errno != ENOTDIR) {
      reportLimitOnce(path, errno);
    }
    return false;
  }
  watched_.insert(wd, Watched{path, isRoot});
  return true;
}

void InotifyFolderWatcher::reportLimitOnce(const QString& path, int error) {
  if (limitReported_)
    return;
  limitReported_ = true;
  qCWarning(lcInotify).noquote() << "cannot watch" << path
                                 << "for changes:" << QString::fromLocal8Bit(std::strerror(error))
                                 << (error == ENOSPC ? "(the limit of inotify watches is reached)"
                                                     : "");
}

void InotifyFolderWatcher::watchPackagesOf(const QString& folder) {
  DIR* dir = opendir(QFile::encodeName(folder).constData());
  if (!dir)
    return;
  const QString prefix = folder + u'/';
  while (const dirent* entry = readdir(dir)) {
    if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
      continue;
    if (isFolder(dir, entry))
      addWatch(prefix + QFile::decodeName(entry->d_name), false);
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
    if (watched.isRoot && setUp_)
      setUp_(0, false); // the folder itself is gone or moved: watch it again later
    return;
  }
  if (mask & (IN_DELETE_SELF | IN_MOVE_SELF)) {
    if (watched.isRoot) {
      changes.push_back(
          {watched.path, FileSystemEvent::IsDir | FileSystemEvent::Removed |
                             ((mask & IN_MOVE_SELF) ? quint32(FileSystemEvent::Renamed) : 0u)});
      if (mask & IN_MOVE_SELF)
        inotify_rm_watch(fd_, wd); // the watch would follow the folder elsewhere
    }
    return; // a package's own removal is seen in its folder as well
  }
  const QString path = name.isEmpty() ? watched.path : watched.path + u'/' + name;
  if (watched.isRoot && (mask & IN_ISDIR) && (mask & (IN_CREATE | IN_MOVED_TO)))
    addWatch(path, false); // a new package: its text may be written later
  changes.push_back({path, flagsOf(mask)});
}

} // namespace kr
