#include "platform/settings/SettingsLock.h"

#include <QCoreApplication>
#include <QFile>
#include <QSysInfo>
#include <QThread>

#include <QElapsedTimer>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kr {

namespace {

constexpr int kRetryMilliseconds = 20;

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

} // namespace

bool SettingsLock::acquire(std::chrono::milliseconds wait, QString* why) {
  if (fd_ >= 0)
    return true;
  QElapsedTimer waited;
  waited.start();
  for (;;) {
    switch (tryOnce(why)) {
    case Attempt::Taken:
      return true;
    case Attempt::Refused:
      return false;
    case Attempt::Busy:
      break;
    }
    if (waited.elapsed() >= wait.count()) {
      *why = QStringLiteral("is held by another running program");
      return false;
    }
    QThread::msleep(kRetryMilliseconds);
  }
}

SettingsLock::Attempt SettingsLock::tryOnce(QString* why) {
  const QByteArray path = QFile::encodeName(path_);
  // Never through a link, never waiting on a pipe; the kind is checked
  // before a byte is read.
  constexpr int kFlags = O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY;
  int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_EXCL | kFlags, 0644);
  if (fd >= 0) {
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || !writeHolder(fd)) {
      ::unlink(path.constData());
      ::close(fd);
      return Attempt::Busy;
    }
    fd_ = fd;
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
  return takeOver(fd, why);
}

// `fd` is the lock file someone left: it is taken when no one holds it and
// its writer is gone; the file is kept and rewritten, so that no other
// process can take it at the same moment (the flock decides).
SettingsLock::Attempt SettingsLock::takeOver(int fd, QString* why) {
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid()) {
    ::close(fd);
    return Attempt::Busy;
  }
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return Attempt::Busy; // a running writer holds it
  }
  char text[512];
  const ssize_t n = ::pread(fd, text, sizeof text, 0);
  const QByteArray holder = n > 0 ? QByteArray(text, n) : QByteArray();
  const bool old = std::time(nullptr) - info.st_mtime > kStaleAge.count();
  if (holderRuns(holder) && !old) {
    ::close(fd);
    return Attempt::Busy;
  }
  // Still the file at the path (not one removed meanwhile) once it is ours.
  struct stat now {};
  const QByteArray path = QFile::encodeName(path_);
  if (!writeHolder(fd) || ::lstat(path.constData(), &now) != 0 || now.st_ino != info.st_ino ||
      now.st_dev != info.st_dev) {
    ::close(fd);
    return Attempt::Busy;
  }
  Q_UNUSED(why);
  fd_ = fd;
  return Attempt::Taken;
}

void SettingsLock::release() {
  if (fd_ < 0)
    return;
  // Removed only while the path is still our file.
  struct stat mine {};
  struct stat there {};
  const QByteArray path = QFile::encodeName(path_);
  if (::fstat(fd_, &mine) == 0 && ::lstat(path.constData(), &there) == 0 &&
      mine.st_ino == there.st_ino && mine.st_dev == there.st_dev)
    ::unlink(path.constData());
  ::close(fd_);
  fd_ = -1;
}

} // namespace kr
