#pragma once

#include "platform/files/FileStamp.h"

#include <QByteArray>
#include <QString>

#include <QStringList>

#include <optional>

struct stat;

namespace kr {

// How FileOperations::readRegularFile opens a file.
struct RegularFileReadOptions {
  int relativeTo = -1;
  bool followLink = true;
  qint64 maximumSize = 512LL * 1024 * 1024;
  // When given, set to the stamp of the file read as the read left it (none
  // when it could not be taken): whoever compares it with a stamp taken
  // before knows whether what was read changed meanwhile.
  std::optional<FileStamp>* stampAfterRead = nullptr;
  // When given, set to the stamp of the file opened, before any of it is
  // read (none when it could not be opened).
  std::optional<FileStamp>* stampBeforeRead = nullptr;
};

// How FileOperations::writeRegularFile writes a file.
struct RegularFileWriteOptions {
  // The permission bits of the file written. By default a file replaced
  // keeps its own, and a new one has what the umask leaves of 0666.
  std::optional<unsigned> permissions;
};

// File-system operations that the standard Qt classes do not offer.
class FileOperations {
public:
  // Renames a file or folder without ever replacing an existing one: fails
  // when something exists at `to`. Atomic on file systems that support it.
  static bool renameNoReplace(const QString& from, const QString& to, QString* error = nullptr);
  // Swaps two existing paths in one atomic step. Fails on file systems that
  // cannot exchange, leaving both paths as they were.
  static bool exchange(const QString& a, const QString& b, QString* error = nullptr);
  // Removes a file or a whole folder; true when nothing is left at the path.
  static bool removePath(const QString& path);

  // The bytes of a regular file, or nothing with the reason. Anything else
  // (a pipe, a device, a socket, a folder) is refused without blocking: the
  // file is opened non-blocking and its type checked before a byte is read.
  // `relativeTo` is an open folder the path is taken relative to (-1: the
  // path stands alone). With `followLink` false a link in the last place of
  // the path is refused too. Files larger than `maximumSize` are refused.
  using ReadOptions = RegularFileReadOptions;
  static std::optional<QByteArray> readRegularFile(const QString& path, QString* error = nullptr,
                                                   const ReadOptions& options = ReadOptions());
  static std::optional<QByteArray> readRegularFile(const QByteArray& encodedPath,
                                                   QString* error = nullptr,
                                                   const ReadOptions& options = ReadOptions());
  // The names in `folder` that start with `prefix` (every name when empty),
  // "." and ".." left out, in no particular order; nothing when the folder
  // cannot be listed. Unlike QDir::entryList it examines no entry, so a
  // folder of thousands of packages is listed in a few milliseconds.
  static QStringList entryNames(const QString& folder, const QString& prefix = {});

  // Writes `bytes` as the whole of the file at `path`: written beside it
  // under a hidden name, flushed to the disk, then renamed over it (and the
  // rename flushed to the disk with its folder), so that a reader sees the
  // old file or the new one, never a part, also after a power cut. Only a
  // regular file is replaced: a link, a pipe, a device or a folder at `path`
  // is refused and left as it is (a link is never written through). A file
  // replaced keeps its permissions, and its owner and group where the
  // system lets the program give them.
  using WriteOptions = RegularFileWriteOptions;
  static bool writeRegularFile(const QString& path, const QByteArray& bytes,
                               QString* error = nullptr,
                               const WriteOptions& options = WriteOptions());
  // Copies the regular file `from` (a link is refused, as is anything that
  // is not a regular file, without blocking) to `to`, which must not exist
  // yet; the copy is on the disk when this returns. A failure leaves nothing
  // at `to`.
  static bool copyRegularFile(const QString& from, const QString& to, QString* error = nullptr);

  // Gives the new file open at `fd`, which is to replace the file `replaced`
  // describes, that file's permission bits, and its owner and group as far
  // as the system lets this user (the group alone where the owner cannot be
  // given). False, errno set, when the permissions could not be set.
  static bool keepModeAndOwner(int fd, const struct stat& replaced);
  // Gives the new file open at `fd` the owner and group of the file
  // `replaced` describes, as far as the system lets this user (the group
  // alone where the owner cannot be given). True when it has the owner.
  static bool keepOwner(int fd, const struct stat& replaced);
  // Gives the new file or folder open at `to`, which is to replace the one
  // open at `from`, that one's POSIX ACLs and user extended attributes
  // ("user.*"), and takes from it an ACL it got from its folder that `from`
  // lacks. Before its permission bits are set: an ACL sets some of them.
  // False, errno set and `unkept` naming the attribute, when one cannot be
  // given.
  static bool keepAttributes(int from, int to, QString* unkept = nullptr);
  // Refuses to give attributes of this name in keepAttributes, as a file
  // system may (EPERM); none when empty.
  static void refuseAttributeForTesting(const QByteArray& name);
  // Whether the owner of the file `info` describes may write it by its
  // permission bits alone: what a user who made a file read-only meant,
  // also for a program that runs as root, whom the system lets write it.
  static bool ownerMayWrite(const struct stat& info);
  // Whether this program may change the file `name` in the open folder
  // `folder` (as `info` describes it): by its owner's permission bits for a
  // program run as root, as ownerMayWrite; by the system's answer for this
  // user otherwise, which counts ACLs too.
  static bool mayWrite(int folder, const QByteArray& name, const struct stat& info);

  // True when `path` is a regular file (a link to one counts when
  // `followLink`).
  static bool isRegularFile(const QString& path, bool followLink = true);
};

} // namespace kr
