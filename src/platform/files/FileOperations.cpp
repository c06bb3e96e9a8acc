#include "platform/files/FileOperations.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace kr {

namespace {
void setError(QString* error, const QString& message) {
  if (error)
    *error = message;
}

QString errnoText(int code) { return QString::fromLocal8Bit(std::strerror(code)); }
} // namespace

bool FileOperations::renameNoReplace(const QString& from, const QString& to, QString* error) {
  const QByteArray source = QFile::encodeName(from);
  const QByteArray target = QFile::encodeName(to);
  if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) ==
      0)
    return true;
  int code = errno;
  if (code == EINVAL || code == ENOSYS) {
    // The file system cannot refuse a replacement by itself. A plain file is
    // linked under the new name (which fails when it exists) and then unlinked;
    // a folder is renamed only when nothing is in the way.
    struct stat info {};
    if (::lstat(source.constData(), &info) == 0 && !S_ISDIR(info.st_mode)) {
      if (::link(source.constData(), target.constData()) == 0) {
        ::unlink(source.constData());
        return true;
      }
      code = errno;
    } else if (::lstat(target.constData(), &info) == 0) {
      code = EEXIST;
    } else if (::rename(source.constData(), target.constData()) == 0) {
      return true;
    } else {
      code = errno;
    }
  }
  setError(error, QStringLiteral("cannot rename %1 to %2: %3").arg(from, to, errnoText(code)));
  return false;
}

bool FileOperations::exchange(const QString& a, const QString& b, QString* error) {
  const QByteArray first = QFile::encodeName(a);
  const QByteArray second = QFile::encodeName(b);
  if (::renameat2(AT_FDCWD, first.constData(), AT_FDCWD, second.constData(), RENAME_EXCHANGE) == 0)
    return true;
  const int code = errno;
  setError(error, QStringLiteral("cannot exchange %1 and %2: %3").arg(a, b, errnoText(code)));
  return false;
}

bool FileOperations::removePath(const QString& path) {
  const QFileInfo info(path);
  if (!info.exists() && !info.isSymLink())
    return true;
  if (info.isDir() && !info.isSymLink())
    return QDir(path).removeRecursively();
  return QFile::remove(path);
}

QStringList FileOperations::entryNames(const QString& folder, const QString& prefix) {
  QStringList names;
  DIR* dir = ::opendir(QFile::encodeName(folder).constData());
  if (!dir)
    return names;
  // Names are compared in their encoded form: most never need decoding.
  const QByteArray encodedPrefix = QFile::encodeName(prefix);
  while (const dirent* entry = ::readdir(dir)) {
    const char* name = entry->d_name;
    if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
      continue;
    if (std::strncmp(name, encodedPrefix.constData(), std::size_t(encodedPrefix.size())) != 0)
      continue;
    const QString decoded = QFile::decodeName(name);
    // A name whose bytes are not valid in the locale's encoding decodes to
    // something else: compare the decoded prefix as well.
    if (decoded.startsWith(prefix))
      names.append(decoded);
  }
  ::closedir(dir);
  return names;
}

std::optional<QByteArray> FileOperations::readRegularFile(const QString& path, QString* error,
                                                          const ReadOptions& options) {
  return readRegularFile(QFile::encodeName(path), error, options);
}

std::optional<QByteArray> FileOperations::readRegularFile(const QByteArray& encodedPath,
                                                          QString* error,
                                                          const ReadOptions& options) {
  // The name is only needed to tell what went wrong.
  const auto name = [&encodedPath] { return QFile::decodeName(encodedPath); };
  int flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
  if (!options.followLink)
    flags |= O_NOFOLLOW;
  const int fd = options.relativeTo >= 0
                     ? ::openat(options.relativeTo, encodedPath.constData(), flags)
                     : ::open(encodedPath.constData(), flags);
  if (fd < 0) {
    const int code = errno;
    setError(error, code == ELOOP ? QStringLiteral("%1 is a link").arg(name())
                                  : QStringLiteral("%1: %2").arg(name(), errnoText(code)));
    return std::nullopt;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    setError(error, QStringLiteral("%1 is not a regular file").arg(name()));
    return std::nullopt;
  }
  if (options.stampBeforeRead)
    *options.stampBeforeRead = FileStamp::of(info);
  if (info.st_size > options.maximumSize) {
    ::close(fd);
    setError(error, QStringLiteral("%1 is too large").arg(name()));
    return std::nullopt;
  }
  // Read straight into the result, which grows only when the file did.
  QByteArray bytes;
  qsizetype used = 0;
  bytes.resize(qsizetype(info.st_size) + 1);
  bool stampedAtEnd = false;
  for (;;) {
    if (used == bytes.size())
      bytes.resize(std::min<qsizetype>(used * 2, qsizetype(options.maximumSize) + 1));
    const ssize_t n = ::read(fd, bytes.data() + used, size_t(bytes.size() - used));
    if (n == 0)
      break;
    if (n < 0) {
      if (errno == EINTR)
        continue;
      const int code = errno;
      ::close(fd);
      setError(error, QStringLiteral("%1: %2").arg(name(), errnoText(code)));
      return std::nullopt;
    }
    used += n;
    if (used > options.maximumSize) {
      ::close(fd);
      setError(error, QStringLiteral("%1 is too large").arg(name()));
      return std::nullopt;
    }
    // All the bytes the file had when opened: when its stamp, wanted anyway,
    // says it still has no more, asking for its end again tells nothing new.
    // A file changed meanwhile shows in that stamp.
    if (options.stampAfterRead && used == qsizetype(info.st_size)) {
      *options.stampAfterRead = FileStamp::ofDescriptor(fd);
      stampedAtEnd = *options.stampAfterRead && (*options.stampAfterRead)->size == used;
      if (stampedAtEnd)
        break;
    }
  }
  if (options.stampAfterRead && !stampedAtEnd)
    *options.stampAfterRead = FileStamp::ofDescriptor(fd);
  ::close(fd);
  bytes.truncate(used);
  return bytes;
}

namespace {
// Writes all of `bytes` to `fd`; false with errno set when it cannot.
bool writeAll(int fd, const char* bytes, qsizetype size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, bytes, size_t(size));
    if (n < 0) {
      if (errno == EINTR)
        continue;
      return false;
    }
    bytes += n;
    size -= n;
  }
  return true;
}

// Opens a new file at `path` for writing, never through a link and never
// over anything that exists.
int createNew(const QByteArray& path, mode_t mode) {
  return ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
}

// Ends a write to `fd`: the bytes on the disk and the file closed. On a
// failure the file at `path` goes and `error` says why.
bool finishWrite(int fd, const QByteArray& path, bool written, const QString& what,
                 QString* error) {
  int code = written ? 0 : errno;
  if (written && ::fsync(fd) != 0)
    code = errno;
  if (::close(fd) != 0 && code == 0)
    code = errno;
  if (code == 0)
    return true;
  ::unlink(path.constData());
  setError(error, QStringLiteral("%1: %2").arg(what, errnoText(code)));
  return false;
}

// A rename is on the disk once its folder is: without this, a power cut soon
// after can bring back the old file, or none. A file system that cannot sync
// a folder has nothing to sync.
void syncFolder(const QByteArray& folder) {
  const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0)
    return;
  (void)::fsync(fd);
  ::close(fd);
}
} // namespace

bool FileOperations::keepModeAndOwner(int fd, const struct stat& replaced) {
  keepOwner(fd, replaced);
  // Set after the owner: a change of owner clears the set-id bits.
  return ::fchmod(fd, replaced.st_mode & 07777) == 0;
}

bool FileOperations::keepOwner(int fd, const struct stat& replaced) {
  struct stat made {};
  if (::fstat(fd, &made) != 0)
    return false;
  if (made.st_uid == replaced.st_uid && made.st_gid == replaced.st_gid)
    return true;
  if (::fchown(fd, replaced.st_uid, replaced.st_gid) == 0)
    return true;
  const int code = errno;
  // Otherwise the new file keeps this user's group: it is written all the same.
  if (made.st_gid != replaced.st_gid) {
    const bool groupGiven = ::fchown(fd, uid_t(-1), replaced.st_gid) == 0;
    Q_UNUSED(groupGiven);
  }
  errno = code;
  return made.st_uid == replaced.st_uid;
}

namespace {
constexpr char kAccessAcl[] = "system.posix_acl_access";
constexpr char kDefaultAcl[] = "system.posix_acl_default";

QByteArray& refusedAttribute() {
  static QByteArray name;
  return name;
}

// Whether an attribute of this name is given to a file that replaces one:
// its ACLs and what its user set, not what the system or its security
// modules keep of the file itself.
bool isKept(const char* name) {
  return std::strcmp(name, kAccessAcl) == 0 || std::strcmp(name, kDefaultAcl) == 0 ||
         std::strncmp(name, "user.", 5) == 0;
}

// The names of `fd`'s extended attributes, each ended by a zero byte: none
// on a file system without them; nothing, errno set, when they cannot be
// listed.
std::optional<QByteArray> attributeNames(int fd) {
  for (;;) {
    const ssize_t size = ::flistxattr(fd, nullptr, 0);
    if (size < 0)
      return errno == ENOTSUP ? std::optional<QByteArray>(QByteArray()) : std::nullopt;
    QByteArray names(qsizetype(size), '\0');
    const ssize_t n = ::flistxattr(fd, names.data(), size_t(size));
    if (n >= 0)
      return names.left(qsizetype(n));
    if (errno != ERANGE) // else more came meanwhile
      return std::nullopt;
  }
}

// The value of `fd`'s attribute `name`; nothing, errno set, when it cannot be
// read (ENODATA: it went meanwhile).
std::optional<QByteArray> attributeValue(int fd, const char* name) {
  for (;;) {
    const ssize_t size = ::fgetxattr(fd, name, nullptr, 0);
    if (size < 0)
      return std::nullopt;
    QByteArray value(qsizetype(size), '\0');
    const ssize_t n = ::fgetxattr(fd, name, value.data(), size_t(size));
    if (n >= 0)
      return value.left(qsizetype(n));
    if (errno != ERANGE)
      return std::nullopt;
  }
}
} // namespace

bool FileOperations::keepAttributes(int from, int to, QString* unkept) {
  const std::optional<QByteArray> names = attributeNames(from);
  if (!names) {
    setError(unkept, QStringLiteral("extended attributes"));
    return false;
  }
  std::vector<const char*> kept;
  for (const char* name = names->constData(); name < names->constData() + names->size();
       name += std::strlen(name) + 1) {
    if (isKept(name))
      kept.push_back(name);
  }
  // An ACL the new one got from its folder goes first: the old one had none
  // of its own, and its room may be needed for the old one's attributes.
  for (const char* acl : {kAccessAcl, kDefaultAcl}) {
    const bool had = std::any_of(kept.begin(), kept.end(),
                                 [acl](const char* name) { return std::strcmp(name, acl) == 0; });
    if (!had && ::fremovexattr(to, acl) != 0 && errno != ENODATA && errno != ENOTSUP) {
      setError(unkept, QString::fromLatin1(acl));
      return false;
    }
  }
  for (const char* name : kept) {
    const std::optional<QByteArray> value = attributeValue(from, name);
    if (!value && errno == ENODATA)
      continue;
    const bool refused = !refusedAttribute().isEmpty() && refusedAttribute() == name;
    if (refused)
      errno = EPERM;
    if (!value || refused ||
        ::fsetxattr(to, name, value->constData(), size_t(value->size()), 0) != 0) {
      setError(unkept, QString::fromUtf8(name));
      return false;
    }
  }
  return true;
}

void FileOperations::refuseAttributeForTesting(const QByteArray& name) {
  refusedAttribute() = name;
}

bool FileOperations::ownerMayWrite(const struct stat& info) {
  return (info.st_mode & S_IWUSR) != 0;
}

bool FileOperations::mayWrite(int folder, const QByteArray& name, const struct stat& info) {
  if (::geteuid() == 0)
    return ownerMayWrite(info);
  return ::faccessat(folder, name.constData(), W_OK, AT_EACCESS) == 0;
}

bool FileOperations::writeRegularFile(const QString& path, const QByteArray& bytes, QString* error,
                                      const WriteOptions& options) {
  const QByteArray target = QFile::encodeName(path);
  struct stat existing {};
  const bool replaces = ::lstat(target.constData(), &existing) == 0;
  if (replaces && !S_ISREG(existing.st_mode)) {
    setError(error, S_ISLNK(existing.st_mode)
                        ? QStringLiteral("%1 is a link").arg(path)
                        : QStringLiteral("%1 is not a regular file").arg(path));
    return false;
  }
  const QFileInfo info(path);
  const QByteArray beside =
      QFile::encodeName(info.absolutePath() + QStringLiteral("/.") + info.fileName() +
                        QLatin1Char('.') + QUuid::createUuid().toString(QUuid::Id128).left(12));
  const int fd = createNew(beside, 0666);
  if (fd < 0) {
    setError(error, QStringLiteral("%1: %2").arg(path, errnoText(errno)));
    return false;
  }
  bool written = true;
  if (options.permissions) {
    if (replaces)
      keepOwner(fd, existing);
    written = ::fchmod(fd, mode_t(*options.permissions & 07777)) == 0;
  } else if (replaces) {
    written = keepModeAndOwner(fd, existing);
  }
  written = written && writeAll(fd, bytes.constData(), bytes.size());
  if (!finishWrite(fd, beside, written, path, error))
    return false;
  if (::rename(beside.constData(), target.constData()) != 0) {
    const int code = errno;
    ::unlink(beside.constData());
    setError(error, QStringLiteral("%1: %2").arg(path, errnoText(code)));
    return false;
  }
  syncFolder(QFile::encodeName(info.absolutePath()));
  return true;
}

bool FileOperations::copyRegularFile(const QString& from, const QString& to, QString* error) {
  const int in = ::open(QFile::encodeName(from).constData(),
                        O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW);
  if (in < 0) {
    const int code = errno;
    setError(error, code == ELOOP ? QStringLiteral("%1 is a link").arg(from)
                                  : QStringLiteral("%1: %2").arg(from, errnoText(code)));
    return false;
  }
  struct stat info {};
  if (::fstat(in, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(in);
    setError(error, QStringLiteral("%1 is not a regular file").arg(from));
    return false;
  }
  const QByteArray target = QFile::encodeName(to);
  const int out = createNew(target, info.st_mode & 0777);
  if (out < 0) {
    setError(error, QStringLiteral("%1: %2").arg(to, errnoText(errno)));
    ::close(in);
    return false;
  }
  QByteArray buffer(256 * 1024, Qt::Uninitialized);
  bool written = true;
  for (;;) {
    const ssize_t n = ::read(in, buffer.data(), size_t(buffer.size()));
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0) {
      written = n == 0;
      break;
    }
    if (!writeAll(out, buffer.constData(), n)) {
      written = false;
      break;
    }
  }
  const int readCode = errno;
  ::close(in);
  errno = readCode;
  return finishWrite(out, target, written, QStringLiteral("cannot copy %1 to %2").arg(from, to),
                     error);
}

bool FileOperations::isRegularFile(const QString& path, bool followLink) {
  struct stat info {};
  const QByteArray encoded = QFile::encodeName(path);
  const int result =
      followLink ? ::stat(encoded.constData(), &info) : ::lstat(encoded.constData(), &info);
  return result == 0 && S_ISREG(info.st_mode);
}

} // namespace kr
