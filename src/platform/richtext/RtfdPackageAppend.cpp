// Adding text at the end of a package's text file: in place, or by a
// spliced copy that replaces it.
#include "platform/richtext/RtfdPackage.h"

#include "platform/files/FileOperations.h"
#include "platform/richtext/RtfInPlaceAppend.h"
#include "platform/richtext/RtfSpliceAppend.h"

#include <QFile>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kr {

namespace {

using Outcome = RtfdPackage::InPlaceResult::Outcome;

QString errnoText(int code) { return QString::fromLocal8Bit(std::strerror(code)); }

// How the text file open at `fd` was before (`opened`) and is after a write.
std::optional<WrittenFile> writtenFile(int fd, const struct stat& opened) {
  const std::optional<FileStamp> after = FileStamp::ofDescriptor(fd);
  if (!after)
    return std::nullopt;
  WrittenFile written{FileStamp::of(opened), *after, {}};
  const qint64 endSize = std::min<qint64>(after->size, WrittenFile::kEndBytes);
  written.end.resize(qsizetype(endSize));
  if (::pread(fd, written.end.data(), size_t(endSize), after->size - endSize) != endSize)
    return std::nullopt;
  return written;
}

// A new file in the open folder under a name no other splice uses; -1 with
// errno set when none can be made. Only its owner may read it until it is
// given the text file's permissions.
int createCopy(int folder, QByteArray* name) {
  for (int attempt = 0; attempt < 16; ++attempt) {
    *name = QByteArray(RtfdPackage::kSplicePrefix) +
            QByteArray::number(QRandomGenerator::system()->generate64(), 16) + "-TXT.rtf";
    const int fd = ::openat(folder, name->constData(),
                            O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0 || errno != EEXIST)
      return fd;
  }
  errno = EEXIST;
  return -1;
}

// The package folder itself, never one a link points to; -1 when it is none.
int openPackageFolder(const QString& path) {
  const QByteArray name = QFile::encodeName(path);
  return ::open(name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

} // namespace

RtfdPackage::InPlaceResult RtfdPackage::appendInPlace(const QString& path, const RichText& text,
                                                      const std::function<bool()>& mayFinish) {
  const int folder = openPackageFolder(path);
  if (folder < 0)
    return {Outcome::Declined, QStringLiteral("it is not a package folder"), {}};
  const QByteArray name(kTextFileName);
  // Examined before it is opened: opening a device, even without blocking,
  // may do something. A file with a second name (a backup made of links,
  // say) would change under that name too.
  struct stat before {};
  struct stat opened {};
  int fd = -1;
  const bool regular = ::fstatat(folder, name.constData(), &before, AT_SYMLINK_NOFOLLOW) == 0 &&
                       S_ISREG(before.st_mode) && before.st_nlink == 1;
  if (regular && !FileOperations::mayWrite(folder, name, before)) {
    ::close(folder);
    return {Outcome::Declined, QStringLiteral("its text is read-only"), {}, true, true};
  }
  if (regular)
    fd = ::openat(folder, name.constData(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  ::close(folder);
  if (fd < 0)
    return {
        Outcome::Declined, QStringLiteral("its text is not a file that can be changed here"), {}};
  InPlaceResult result;
  if (::fstat(fd, &opened) != 0 || opened.st_dev != before.st_dev ||
      opened.st_ino != before.st_ino || opened.st_nlink != 1) {
    result = {Outcome::Declined, QStringLiteral("its text changed while it was opened"), {}};
  } else {
    const RtfInPlaceAppend::Result appended =
        RtfInPlaceAppend::appendToFile(fd, text, kMaxTextFileSize, mayFinish);
    result.reason = appended.reason;
    result.outcome = appended.outcome == RtfInPlaceAppend::Outcome::Appended ? Outcome::Appended
                     : appended.outcome == RtfInPlaceAppend::Outcome::Failed ? Outcome::Failed
                                                                             : Outcome::Declined;
    if (result.outcome == Outcome::Appended)
      result.written = writtenFile(fd, opened);
  }
  ::close(fd);
  return result;
}

RtfdPackage::InPlaceResult RtfdPackage::appendBySplice(const QString& path, const RichText& text,
                                                       const std::function<bool()>& cancelled,
                                                       const std::function<bool()>& mayReplace) {
  const int folder = openPackageFolder(path);
  if (folder < 0)
    return {Outcome::Declined, QStringLiteral("it is not a package folder"), {}};
  const QByteArray name(kTextFileName);
  QByteArray copyName;
  auto fail = [&](Outcome outcome, const QString& reason, int in, int out) {
    if (out >= 0) {
      ::close(out);
      ::unlinkat(folder, copyName.constData(), 0);
    }
    if (in >= 0)
      ::close(in);
    ::close(folder);
    return InPlaceResult{outcome, reason, {}};
  };
  // The day stays as it is, the entry goes beside it.
  auto leave = [&](const QString& reason, bool readOnly, int in, int out) {
    InPlaceResult result = fail(Outcome::Declined, reason, in, out);
    result.leaveAsIs = true;
    result.readOnly = readOnly;
    return result;
  };
  // A second name of the text file (a backup made of links) keeps the old
  // text: the copy takes this name only.
  struct stat before {};
  int in = -1;
  if (::fstatat(folder, name.constData(), &before, AT_SYMLINK_NOFOLLOW) == 0 &&
      S_ISREG(before.st_mode)) {
    if (!FileOperations::mayWrite(folder, name, before))
      return leave(QStringLiteral("its text is read-only"), true, -1, -1);
    in = ::openat(folder, name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  }
  struct stat opened {};
  if (in < 0 || ::fstat(in, &opened) != 0 || opened.st_ino != before.st_ino ||
      opened.st_dev != before.st_dev)
    return fail(Outcome::Declined, QStringLiteral("its text is not a file that can be read here"),
                in, -1);
  if (opened.st_size > kMaxTextFileSize)
    return fail(Outcome::Declined, QStringLiteral("it is too large"), in, -1);
  const int out = createCopy(folder, &copyName);
  if (out < 0)
    return fail(Outcome::Failed,
                QStringLiteral("a copy of its text cannot be made in the package: %1")
                    .arg(errnoText(errno)),
                in, -1);
  // The copy replaces the text as the text was: its owner, its ACL and
  // extended attributes, its permissions, all before a byte goes in. A text
  // whose owner a copy cannot have (another user's, to a program not run as
  // root) is one this program may not replace: read-only to it.
  if (!FileOperations::keepOwner(out, opened))
    return leave(QStringLiteral("its text is read-only: a copy of it cannot be given its owner "
                                "(%1)")
                     .arg(errnoText(errno)),
                 true, in, out);
  QString unkept;
  if (!FileOperations::keepAttributes(in, out, &unkept))
    return leave(QStringLiteral("a copy of its text cannot be given its %1 (%2)")
                     .arg(unkept, errnoText(errno)),
                 false, in, out);
  // Set after the owner: a change of owner clears the set-id bits.
  if (::fchmod(out, opened.st_mode & 07777) != 0)
    return fail(
        Outcome::Failed,
        QStringLiteral("the copy cannot be given the text's permissions: %1").arg(errnoText(errno)),
        in, out);

  // Written a block at a time, as the copy goes.
  int writeError = 0; // what the system said of a write that failed
  const RtfSpliceAppend::Result spliced = RtfSpliceAppend::splice(
      RtfInPlaceAppend::readerOf(in), qint64(opened.st_size), text,
      [out, &writeError](const char* data, qsizetype length) {
        while (length > 0) {
          const ssize_t n = ::write(out, data, size_t(length));
          if (n < 0 && errno == EINTR)
            continue;
          if (n <= 0) {
            writeError = n < 0 ? errno : ENOSPC;
            return false;
          }
          data += n;
          length -= qsizetype(n);
        }
        return true;
      },
      cancelled);
  switch (spliced.outcome) {
  case RtfSpliceAppend::Outcome::Appended:
    break;
  case RtfSpliceAppend::Outcome::Failed:
    return fail(Outcome::Failed, writeError != 0 ? errnoText(writeError) : spliced.reason, in, out);
  case RtfSpliceAppend::Outcome::Declined:
  case RtfSpliceAppend::Outcome::Cancelled:
    return fail(Outcome::Declined, spliced.reason, in, out);
  }
  if (::fsync(out) != 0)
    return fail(Outcome::Failed, errnoText(errno), in, out);
  // A day changed meanwhile (another machine's sync, an editor) keeps that
  // change: the copy is dropped.
  struct stat now {};
  if (::fstatat(folder, name.constData(), &now, AT_SYMLINK_NOFOLLOW) != 0 ||
      now.st_ino != opened.st_ino || now.st_size != opened.st_size ||
      now.st_mtim.tv_sec != opened.st_mtim.tv_sec || now.st_mtim.tv_nsec != opened.st_mtim.tv_nsec)
    return fail(Outcome::Failed,
                QStringLiteral("it was changed by another program while the entry was added"), in,
                out);
  if (mayReplace && !mayReplace())
    return fail(Outcome::Declined, QStringLiteral("cancelled"), in, out);
  if (::renameat(folder, copyName.constData(), folder, name.constData()) != 0)
    return fail(Outcome::Failed, errnoText(errno), in, out);
  ::fsync(folder);
  InPlaceResult result{Outcome::Appended, {}, writtenFile(out, opened)};
  ::close(out);
  ::close(in);
  ::close(folder);
  return result;
}

QStringList RtfdPackage::spliceCopiesIn(const QString& path) {
  QStringList copies;
  for (const QString& name : FileOperations::entryNames(path, QString::fromLatin1(kSplicePrefix))) {
    if (FileOperations::isRegularFile(path + QLatin1Char('/') + name, false))
      copies << name;
  }
  return copies;
}

int RtfdPackage::removeSpliceCopies(const QString& path) {
  int removed = 0;
  for (const QString& name : spliceCopiesIn(path))
    removed += QFile::remove(path + QLatin1Char('/') + name) ? 1 : 0;
  return removed;
}

bool RtfdPackage::mayWrite(const QString& path) {
  struct stat info {};
  const QByteArray package = QFile::encodeName(path);
  if (::stat(package.constData(), &info) == 0 && !FileOperations::ownerMayWrite(info))
    return false;
  const QByteArray text = package + '/' + kTextFileName;
  return ::lstat(text.constData(), &info) != 0 || FileOperations::mayWrite(AT_FDCWD, text, info);
}

} // namespace kr
