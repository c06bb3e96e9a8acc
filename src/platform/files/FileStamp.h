#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <optional>

#include <sys/stat.h>

namespace kr {

// What tells one version of a file from another: the file it is (device and
// inode), its size, and the times of its last change of content and of its
// last change of any kind, to the nanosecond. The second cannot be set back
// by those who set the first back (copying and syncing tools do).
struct FileStamp {
  qint64 modifiedSeconds = 0;
  qint64 modifiedNanoseconds = 0;
  qint64 size = 0;
  quint64 inode = 0;
  quint64 device = 0;
  qint64 changedSeconds = 0;
  qint64 changedNanoseconds = 0;

  static FileStamp of(const struct stat& info) {
    return {qint64(info.st_mtim.tv_sec), qint64(info.st_mtim.tv_nsec), qint64(info.st_size),
            quint64(info.st_ino),        quint64(info.st_dev),         qint64(info.st_ctim.tv_sec),
            qint64(info.st_ctim.tv_nsec)};
  }
  // The stamp of an open file; none when it cannot be examined.
  static std::optional<FileStamp> ofDescriptor(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) != 0)
      return std::nullopt;
    return of(info);
  }
  bool operator==(const FileStamp&) const = default;
};

// A file as one write left it: its stamp and its last bytes (at most
// kEndBytes), by which a later reader tells that it is still exactly so.
struct WrittenFile {
  static constexpr qsizetype kEndBytes = 64;
  FileStamp before; // just before the write
  FileStamp after;  // just after it
  QByteArray end;
};

} // namespace kr
