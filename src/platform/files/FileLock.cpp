#include "platform/files/FileLock.h"

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
#include <utility>

namespace kr {

namespace {

// A writer holds the lock for milliseconds: tried again soon at first, then
// less often, for a lock held longer.
constexpr unsigned long kFirstRetryMilliseconds = 1;
constexpr unsigned long kRetryMilliseconds = 20;

void (*afterMaking)() = nullptr;
void (*whenBusy)() = nullptr;

QString errnoText(int code) { return QString::fromLocal8Bit(std::strerror(code)); }

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

bool FileLock::acquire(std::chrono::milliseconds wait, QString* why,
                       const std::function<bool()>& stop) {
  if (fd_ >= 0)
    return true;
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
      if (whenBusy)
        whenBusy();
      break;
    }
    if (waited.elapsed() >= wait.count() || (stop && stop())) {
      *why =
          QStringLiteral("is held by another running program") + holderOf(QFile::encodeName(path_));
      return false;
    }
    QThread::msleep(pause);
    pause = std::min(pause * 2, kRetryMilliseconds);
  }
}

FileLock::Attempt FileLock::tryOnce(QString* why) {
  if (made_ >= 0)
    return lockMade(why);
  const QByteArray path = QFile::encodeName(path_);
  // Never through a link, never waiting on a pipe; the kind is checked
  // before a byte is read.
  constexpr int kFlags = O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY;
  int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_EXCL | kFlags, 0644);
  if (fd < 0 && errno == ENOENT && QDir().mkpath(QFileInfo(path_).path()))
    fd = ::open(path.constData(), O_RDWR | O_CREAT | O_EXCL | kFlags, 0644);
  if (fd >= 0) {
    if (afterMaking)
      afterMaking();
    made_ = fd;
    return lockMade(why);
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
  return takeOver(fd, why);
}

// The lock file this writer made: while another writer holds it to look
// into it, it is left to them and locked at the next try. The file is never
// removed unlocked: the one looking may have taken it.
FileLock::Attempt FileLock::lockMade(QString* why) {
  if (::flock(made_, LOCK_EX | LOCK_NB) != 0) {
    if (errno == EWOULDBLOCK || errno == EINTR)
      return Attempt::Busy;
    *why = QStringLiteral("cannot be locked (%1)").arg(errnoText(errno));
    return Attempt::Refused; // the made file goes with the lock's release
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
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || !stillAtPath(fd)) {
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

// `fd` is locked and named by the path: it is ours once it names us.
FileLock::Attempt FileLock::hold(int fd, QString* why) {
  if (!writeHolder(fd)) {
    *why = QStringLiteral("cannot be written (%1)").arg(errnoText(errno));
    ::unlink(QFile::encodeName(path_).constData());
    ::close(fd);
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
  if (fd_ < 0)
    return;
  // Removed while locked, and only while the path is still our file.
  if (stillAtPath(fd_))
    ::unlink(QFile::encodeName(path_).constData());
  ::close(std::exchange(fd_, -1));
}

} // namespace kr
