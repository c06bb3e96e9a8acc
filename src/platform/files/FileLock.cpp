#include "platform/files/FileLock.h"

#include "platform/QnLog.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <QThread>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <mutex>
#include <set>
#include <utility>

namespace kr {

namespace {

// A writer holds the lock for milliseconds: tried again soon at first, then
// less often, for a lock held longer.
constexpr unsigned long kFirstRetryMilliseconds = 1;
constexpr unsigned long kRetryMilliseconds = 20;

void (*afterMaking)() = nullptr;
void (*whenBusy)() = nullptr;
int (*lockCall)(int, int) = ::flock;

QString errnoText(int code) { return QString::fromLocal8Bit(std::strerror(code)); }

// A file system that cannot lock files at all (NFS without its lock
// service, some FUSE file systems) says so with these.
bool cannotLock(int code) { return code == ENOLCK || code == EOPNOTSUPP || code == ENOSYS; }

// A lock file that may not be made where it belongs: the write goes ahead
// without one.
bool mayNotMake(int code) { return code == EACCES || code == EPERM || code == EROFS; }

std::mutex stateMutex;
// The folders of lock files said on the console once.
std::set<QString> saidFolders;
// The lock files this process holds without flock, which only their
// existence makes locks: another writer of this process waits for them as
// for another program's.
std::set<QByteArray> heldByExistence;

// Says `what` (with "%1" for the folder) of the folder of the lock file
// `path`, once a run.
void sayOnce(const QString& path, const QString& what) {
  const QString folder = QFileInfo(path).absolutePath();
  {
    const std::lock_guard guard(stateMutex);
    if (!saidFolders.insert(folder).second)
      return;
  }
  platformLog(what.arg(folder));
}

void sayCannotLock(const QString& path, int code) {
  sayOnce(path,
          QStringLiteral("lock files: the file system of %1 cannot lock files (%2); a lock file "
                         "made there is the lock while it exists")
              .arg(QStringLiteral("%1"), errnoText(code)));
}

bool isHeldHere(const QByteArray& path) {
  const std::lock_guard guard(stateMutex);
  return heldByExistence.count(path) > 0;
}

// Makes `folder` and the folders above it that are missing: 0, or why the
// first that could not be made was not.
int makeFolder(const QByteArray& folder) {
  if (::mkdir(folder.constData(), 0777) == 0 || errno == EEXIST)
    return 0;
  if (errno != ENOENT)
    return errno;
  const qsizetype slash = folder.lastIndexOf('/');
  if (slash <= 0)
    return ENOENT;
  if (const int code = makeFolder(folder.left(slash)))
    return code;
  return ::mkdir(folder.constData(), 0777) == 0 || errno == EEXIST ? 0 : errno;
}

QByteArray holderText() {
  return QByteArray::number(qint64(::getpid())) + '\n' +
         QCoreApplication::applicationName().toUtf8() + '\n' +
         QSysInfo::machineHostName().toUtf8() + '\n';
}

bool writeHolder(int fd) {
  const QByteArray text = holderText();
  return ::ftruncate(fd, 0) == 0 &&
         ::pwrite(fd, text.constData(), size_t(text.size()), 0) == ssize_t(text.size());
}

// Whether the process named in a lock file's text still runs on this machine.
bool holderRuns(const QByteArray& text) {
  const QList<QByteArray> lines = text.split('\n');
  bool ok = false;
  const qint64 pid = lines.value(0).toLongLong(&ok);
  if (!ok || pid <= 0 || pid == ::getpid())
    return false;
  const QByteArray host = lines.value(2);
  if (!host.isEmpty() && host != QSysInfo::machineHostName().toUtf8())
    return true; // another machine's: only its age tells
  return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

// Whether a lock file that no one has locked was left behind: by the age of
// an empty one (its writer may be about to lock it), else by its writer.
bool isStale(const QByteArray& holder, time_t modified) {
  const auto age = std::abs(std::time(nullptr) - modified);
  if (holder.isEmpty())
    return age > FileLock::kEmptyStaleAge.count();
  return !holderRuns(holder) || age > FileLock::kStaleAge.count();
}

// Whether a lock file held by its existence alone was left behind: an
// empty one by its age, one naming this process when it holds it no more,
// one naming another machine's process by its age, and one naming another
// process of this machine once that process is gone.
bool isLeftBehind(const QByteArray& path, const QByteArray& holder, time_t modified) {
  const auto age = std::abs(std::time(nullptr) - modified);
  if (holder.isEmpty())
    return age > FileLock::kEmptyStaleAge.count();
  const QList<QByteArray> lines = holder.split('\n');
  bool ok = false;
  const qint64 pid = lines.value(0).toLongLong(&ok);
  if (ok && pid == ::getpid())
    return !isHeldHere(path);
  const QByteArray host = lines.value(2);
  if (ok && pid > 0 && !host.isEmpty() && host != QSysInfo::machineHostName().toUtf8())
    return age > FileLock::kStaleAge.count();
  return !holderRuns(holder);
}

// Who holds the lock file at `path`, as its text names them: " (name,
// process 123)", or nothing when it names no one.
QString holderOf(const QByteArray& path) {
  const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (fd < 0)
    return {};
  char text[512];
  struct stat info {};
  const ssize_t n =
      ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) ? ::pread(fd, text, sizeof text, 0) : -1;
  ::close(fd);
  const QList<QByteArray> lines = QByteArray(text, n > 0 ? n : 0).split('\n');
  bool ok = false;
  const qint64 pid = lines.value(0).toLongLong(&ok);
  if (!ok || pid <= 0)
    return {};
  const QString name = QString::fromUtf8(lines.value(1)).left(40);
  return name.isEmpty() ? QStringLiteral(" (process %1)").arg(pid)
                        : QStringLiteral(" (%1, process %2)").arg(name).arg(pid);
}

} // namespace

void FileLock::setAfterMakingForTesting(void (*hook)()) { afterMaking = hook; }

void FileLock::setWhenBusyForTesting(void (*hook)()) { whenBusy = hook; }

void FileLock::setLockCallForTesting(int (*call)(int fd, int operation)) {
  lockCall = call ? call : ::flock;
}

bool FileLock::acquire(std::chrono::milliseconds wait, QString* why,
                       const std::function<bool()>& stop) {
  if (isHeld())
    return true;
  foundHeld_ = false;
  QElapsedTimer waited;
  waited.start();
  unsigned long pause = kFirstRetryMilliseconds;
  for (;;) {
    switch (tryOnce(why)) {
    case Attempt::Taken:
      return true;
    case Attempt::Refused:
      return false;
    case Attempt::Busy:
    case Attempt::Gone:
      if (whenBusy)
        whenBusy();
      break;
    }
    if (waited.elapsed() >= wait.count() || (stop && stop())) {
      *why =
          QStringLiteral("is held by another running program") + holderOf(QFile::encodeName(path_));
      foundHeld_ = true;
      return false;
    }
    QThread::msleep(pause);
    pause = std::min(pause * 2, kRetryMilliseconds);
  }
}

FileLock::Attempt FileLock::tryOnce(QString* why, bool again) {
  if (made_ >= 0)
    return lockMade(why);
  const QByteArray path = QFile::encodeName(path_);
  // Never through a link, never waiting on a pipe; the kind is checked
  // before a byte is read.
  constexpr int kFlags = O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY;
  int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_EXCL | kFlags, 0644);
  if (fd < 0 && errno == ENOENT) {
    if (const int code = makeFolder(QFile::encodeName(QFileInfo(path_).absolutePath())))
      errno = code;
    else
      fd = ::open(path.constData(), O_RDWR | O_CREAT | O_EXCL | kFlags, 0644);
  }
  if (fd >= 0) {
    if (afterMaking)
      afterMaking();
    made_ = fd;
    return lockMade(why);
  }
  if (mayNotMake(errno)) {
    sayOnce(path_, QStringLiteral("lock files: none can be made in %1 (%2); files are written "
                                  "without their lock, and two copies of the program may write "
                                  "one at once")
                       .arg(QStringLiteral("%1"), errnoText(errno)));
    unlocked_ = true;
    return Attempt::Taken;
  }
  if (errno != EEXIST) {
    *why = QStringLiteral("cannot be made (%1)").arg(errnoText(errno));
    return Attempt::Refused;
  }
  // Something is there: only a regular file of this user is looked into.
  struct stat info {};
  if (::lstat(path.constData(), &info) != 0)
    return Attempt::Busy; // gone meanwhile: try again
  if (!S_ISREG(info.st_mode)) {
    *why = S_ISLNK(info.st_mode)    ? QStringLiteral("is a link, not a lock file")
           : S_ISDIR(info.st_mode)  ? QStringLiteral("is a folder, not a lock file")
           : S_ISFIFO(info.st_mode) ? QStringLiteral("is a pipe, not a lock file")
                                    : QStringLiteral("is a device or a socket, not a lock file");
    return Attempt::Refused;
  }
  if (info.st_uid != ::geteuid()) {
    *why = QStringLiteral("belongs to another user (user id %1)").arg(info.st_uid);
    return Attempt::Refused;
  }
  fd = ::open(path.constData(), O_RDWR | kFlags);
  if (fd < 0) {
    if (errno == ENOENT)
      return Attempt::Busy;
    *why = QStringLiteral("cannot be opened (%1)").arg(errnoText(errno));
    return Attempt::Refused;
  }
  const Attempt attempt = takeOver(fd, why);
  // A lock file left behind where files cannot be locked is made again at
  // once.
  if (attempt == Attempt::Gone)
    return again ? Attempt::Busy : tryOnce(why, true);
  return attempt;
}

// The lock file this writer made: while another writer holds it to look
// into it, it is left to them and locked at the next try. The file is never
// removed unlocked: the one looking may have taken it.
FileLock::Attempt FileLock::lockMade(QString* why) {
  if (lockCall(made_, LOCK_EX | LOCK_NB) != 0) {
    const int code = errno;
    if (code == EWOULDBLOCK || code == EINTR)
      return Attempt::Busy;
    const int fd = std::exchange(made_, -1);
    // Where files cannot be locked, the file made exclusively is the lock.
    if (cannotLock(code)) {
      sayCannotLock(path_, code);
      byExistence_ = true;
      return hold(fd, why);
    }
    *why = QStringLiteral("cannot be locked (%1)").arg(errnoText(code));
    // Made by this try and empty: it goes, lest it be taken for a writer's.
    if (stillAtPath(fd))
      ::unlink(QFile::encodeName(path_).constData());
    ::close(fd);
    return Attempt::Refused;
  }
  const int fd = std::exchange(made_, -1);
  // Taken over as left behind and given back meanwhile: made again.
  if (!stillAtPath(fd)) {
    ::close(fd);
    return Attempt::Busy;
  }
  return hold(fd, why);
}

// `fd` is the lock file someone left: it is taken when no one holds it and
// it was left behind; the file is kept and rewritten, never removed and made
// again, so that no other writer can take it at the same moment (the flock
// decides).
FileLock::Attempt FileLock::takeOver(int fd, QString* why) {
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid()) {
    ::close(fd);
    return Attempt::Busy;
  }
  // A running writer holds it, or it was given back (removed) since it was
  // opened.
  if (lockCall(fd, LOCK_EX | LOCK_NB) != 0) {
    if (cannotLock(errno))
      return removeLeftBehind(fd);
    ::close(fd);
    return Attempt::Busy;
  }
  if (!stillAtPath(fd)) {
    ::close(fd);
    return Attempt::Busy;
  }
  char text[512];
  const ssize_t n = ::pread(fd, text, sizeof text, 0);
  if (n < 0 || ::fstat(fd, &info) != 0 || !isStale(QByteArray(text, n), info.st_mtime)) {
    ::close(fd);
    return Attempt::Busy;
  }
  return hold(fd, why);
}

// `fd` is a lock file someone left where files cannot be locked: its
// existence is the lock, so it is removed once it was left behind, for the
// next try to make it again (two removing it at once may both make it, as
// with Qt's lock files).
FileLock::Attempt FileLock::removeLeftBehind(int fd) {
  sayCannotLock(path_, errno);
  char text[512];
  struct stat info {};
  const ssize_t n = ::pread(fd, text, sizeof text, 0);
  const bool leftBehind =
      n >= 0 && ::fstat(fd, &info) == 0 &&
      isLeftBehind(QFile::encodeName(path_), QByteArray(text, n), info.st_mtime) &&
      stillAtPath(fd) && ::unlink(QFile::encodeName(path_).constData()) == 0;
  ::close(fd);
  return leftBehind ? Attempt::Gone : Attempt::Busy;
}

// `fd` is locked and named by the path (or, where files cannot be locked,
// made by this writer): it is ours once it names us.
FileLock::Attempt FileLock::hold(int fd, QString* why) {
  // Known as held here before it names this process, lest another writer
  // of this process find it naming us and take it for left behind.
  if (byExistence_) {
    const std::lock_guard guard(stateMutex);
    heldByExistence.insert(QFile::encodeName(path_));
  }
  if (!writeHolder(fd)) {
    *why = QStringLiteral("cannot be written (%1)").arg(errnoText(errno));
    if (stillAtPath(fd))
      ::unlink(QFile::encodeName(path_).constData());
    ::close(fd);
    if (std::exchange(byExistence_, false)) {
      const std::lock_guard guard(stateMutex);
      heldByExistence.erase(QFile::encodeName(path_));
    }
    return Attempt::Refused;
  }
  fd_ = fd;
  return Attempt::Taken;
}

bool FileLock::stillAtPath(int fd) const {
  struct stat mine {};
  struct stat there {};
  return ::fstat(fd, &mine) == 0 && ::lstat(QFile::encodeName(path_).constData(), &there) == 0 &&
         mine.st_ino == there.st_ino && mine.st_dev == there.st_dev;
}

void FileLock::release() {
  // A lock file made and never locked is removed only if it can be locked
  // now: otherwise it may be another writer's already.
  if (made_ >= 0) {
    if (::flock(made_, LOCK_EX | LOCK_NB) == 0 && stillAtPath(made_))
      ::unlink(QFile::encodeName(path_).constData());
    ::close(std::exchange(made_, -1));
  }
  unlocked_ = false;
  if (fd_ < 0)
    return;
  // Removed while locked, and only while the path is still our file.
  if (stillAtPath(fd_))
    ::unlink(QFile::encodeName(path_).constData());
  ::close(std::exchange(fd_, -1));
  if (std::exchange(byExistence_, false)) {
    const std::lock_guard guard(stateMutex);
    heldByExistence.erase(QFile::encodeName(path_));
  }
}

} // namespace kr
