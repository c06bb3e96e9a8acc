#include "platform/richtext/RtfdPackage.h"

#include "platform/files/FileOperations.h"
#include "platform/richtext/RtfReader.h"
#include "platform/richtext/RtfWriter.h"
#include "platform/richtext/StreamedRichText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>
#include <QtEndian>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <linux/fs.h>
#include <map>
#include <mutex>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

namespace kr {

namespace {

constexpr char kDataMagic[] = "KRRTFD1\n";
constexpr qint64 kMaxAttachmentSize = 512LL * 1024 * 1024;
const QLatin1String kNewPrefix(".kr-new-");
const QLatin1String kOldPrefix(".kr-old-");

QString textFileName() { return QString::fromLatin1(RtfdPackage::kTextFileName); }

void (*swapHook)(const char* step) = nullptr;

// The text files this process read whole or wrote, with the attachment names
// they held, by the stamp they had then. While a package's text file keeps
// that stamp, a write need not read (parse) it again to know its attachments.
class KnownTexts {
public:
  static KnownTexts& shared() {
    static KnownTexts known;
    return known;
  }
  static std::optional<FileStamp> stampOf(const QString& package) {
    struct stat info {};
    if (::lstat(QFile::encodeName(package + QLatin1Char('/') + textFileName()).constData(),
                &info) != 0 ||
        !S_ISREG(info.st_mode))
      return std::nullopt;
    return FileStamp::of(info);
  }
  void remember(const QString& package, const std::optional<FileStamp>& stamp,
                const QStringList& attachments) {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (!stamp) {
      texts_.erase(package);
      return;
    }
    // A handful of sheets at a time; the oldest knowledge goes first.
    if (texts_.size() >= 64 && !texts_.contains(package))
      texts_.clear();
    texts_[package] = {*stamp, attachments};
  }
  std::optional<QStringList> attachments(const QString& package, const FileStamp& stamp) const {
    const std::lock_guard<std::mutex> lock(mutex_);
    const auto it = texts_.find(package);
    if (it == texts_.end() || !(it->second.first == stamp))
      return std::nullopt;
    return it->second.second;
  }

private:
  mutable std::mutex mutex_;
  std::map<QString, std::pair<FileStamp, QStringList>> texts_;
};

bool fail(QString* error, const QString& message) {
  if (error)
    *error = message;
  return false;
}

bool syncPath(const QString& path) {
  // own-file: a file or folder this program has just written, flushed to the disk
  const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
  if (fd < 0)
    return false;
  const bool ok = ::fsync(fd) == 0;
  ::close(fd);
  return ok;
}

// Writes the bytes `parts` gives, part after part until its last, each part's
// pieces many at a call.
using TextParts =
    std::function<std::optional<std::vector<QByteArrayView>>(bool* last, QString* error)>;
bool writeFile(const QString& path, const TextParts& parts, QString* error) {
  QFile file(path);
  // own-file: a new file (never one that exists) in a package written beside its log
  if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
    return fail(error, QStringLiteral("Could not create %1: %2").arg(path, file.errorString()));
  const int fd = file.handle();
  std::vector<iovec> batch;
  int failure = 0;
  for (bool last = false; !last && failure == 0;) {
    QString reason;
    const std::optional<std::vector<QByteArrayView>> pieces = parts(&last, &reason);
    if (!pieces)
      return fail(error, QStringLiteral("Could not write %1: %2").arg(path, reason));
    std::size_t next = 0;
    while (next < pieces->size() && failure == 0) {
      batch.clear();
      for (; next < pieces->size() && batch.size() < 512; ++next) {
        const QByteArrayView piece = (*pieces)[next];
        if (!piece.isEmpty())
          batch.push_back({const_cast<char*>(piece.data()), size_t(piece.size())});
      }
      // A short write goes on where it stopped.
      std::size_t first = 0;
      while (first < batch.size()) {
        const ssize_t written = ::writev(fd, batch.data() + first, int(batch.size() - first));
        if (written < 0) {
          if (errno == EINTR)
            continue;
          failure = errno;
          break;
        }
        std::size_t left = std::size_t(written);
        while (first < batch.size() && left >= batch[first].iov_len)
          left -= batch[first++].iov_len;
        if (first < batch.size()) {
          batch[first].iov_base = static_cast<char*>(batch[first].iov_base) + left;
          batch[first].iov_len -= left;
        }
      }
    }
  }
  if (failure == 0 && ::fsync(fd) != 0)
    failure = errno;
  if (failure != 0)
    return fail(error, QStringLiteral("Could not write %1: %2")
                           .arg(path, QString::fromLocal8Bit(std::strerror(failure))));
  file.close();
  return true;
}

bool writeFile(const QString& path, const QByteArray& data, QString* error) {
  QFile file(path);
  // own-file: a new file (never one that exists) in a package written beside its log
  if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
    return fail(error, QStringLiteral("Could not create %1: %2").arg(path, file.errorString()));
  if (file.write(data) != data.size() || !file.flush() || ::fsync(file.handle()) != 0)
    return fail(error, QStringLiteral("Could not write %1: %2").arg(path, file.errorString()));
  file.close();
  return true;
}

// Copies a regular file's bytes, a block at a time: a clone of its blocks
// where the file system shares them, else a plain copy.
bool copyFileData(const QByteArray& from, const QByteArray& to, QString* error) {
  const int in = ::open(from.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (in < 0)
    return fail(error, QStringLiteral("Could not read %1").arg(QFile::decodeName(from)));
  struct stat info {};
  if (::fstat(in, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(in);
    return fail(error, QStringLiteral("%1 is not a regular file").arg(QFile::decodeName(from)));
  }
  const int out = ::open(to.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (out < 0) {
    ::close(in);
    return fail(error, QStringLiteral("Could not create %1").arg(QFile::decodeName(to)));
  }
  bool ok = ::ioctl(out, FICLONE, in) == 0;
  if (!ok) {
    char buffer[1 << 16];
    ok = true;
    for (;;) {
      const ssize_t n = ::read(in, buffer, sizeof buffer);
      if (n < 0 && errno == EINTR)
        continue;
      if (n <= 0) {
        ok = n == 0;
        break;
      }
      for (ssize_t done = 0; done < n && ok;) {
        const ssize_t w = ::write(out, buffer + done, size_t(n - done));
        if (w < 0 && errno == EINTR)
          continue;
        ok = w > 0;
        done += w > 0 ? w : 0;
      }
      if (!ok)
        break;
    }
  }
  ok = ok && ::fsync(out) == 0;
  ::close(in);
  ::close(out);
  if (!ok)
    return fail(error, QStringLiteral("Could not copy %1").arg(QFile::decodeName(from)));
  return true;
}

// Carries an entry of the old package into the new one as it is: a file
// by a second link to it (nothing is read or copied), where the file system
// refuses that by a clone or copy of its bytes; a folder with its content;
// a symbolic link as a link with the same target. Names are used as they
// stand, so that one beginning with ":" is not taken for anything else.
bool carryOver(const QString& from, const QString& to, QString* error) {
  const QByteArray source = QFile::encodeName(from);
  const QByteArray target = QFile::encodeName(to);
  struct stat info {};
  if (::lstat(source.constData(), &info) != 0)
    return fail(error, QStringLiteral("Could not examine %1").arg(from));
  if (S_ISLNK(info.st_mode)) {
    QByteArray link(qsizetype(info.st_size) + 1, '\0');
    const ssize_t n = ::readlink(source.constData(), link.data(), size_t(link.size()));
    if (n < 0 || n >= link.size() || ::symlink(link.left(n).constData(), target.constData()) != 0)
      return fail(error, QStringLiteral("Could not copy the link %1").arg(from));
    return true;
  }
  if (S_ISDIR(info.st_mode)) {
    if (::mkdir(target.constData(), 0755) != 0)
      return fail(error, QStringLiteral("Could not create %1").arg(to));
    for (const QString& name : QDir(from).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                                    QDir::NoDotAndDotDot)) {
      if (!carryOver(from + QLatin1Char('/') + name, to + QLatin1Char('/') + name, error))
        return false;
    }
    return true;
  }
  if (::link(source.constData(), target.constData()) == 0)
    return true;
  if (!S_ISREG(info.st_mode))
    return fail(error, QStringLiteral("%1 is neither a file nor a folder and cannot be kept in "
                                      "a new copy of the package")
                           .arg(from));
  return copyFileData(source, target, error);
}

// Gives the new package at `fresh` the permissions, owners, ACLs and user
// extended attributes of the one at `path` it replaces: of the folder and of
// the text file, as far as the system lets this user.
void keepModesAndOwners(const QString& path, const QString& fresh) {
  for (const QString& sub : {QString(), QLatin1Char('/') + textFileName()}) {
    struct stat old {};
    const QByteArray oldPath = QFile::encodeName(path + sub);
    if (::lstat(oldPath.constData(), &old) != 0 || !(S_ISDIR(old.st_mode) || S_ISREG(old.st_mode)))
      continue;
    // own-file: the new package's folder or text file, just written here
    const int fd = ::open(QFile::encodeName(fresh + sub).constData(),
                          O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
      continue;
    struct stat made {};
    if (::fstat(fd, &made) == 0 && (made.st_mode & S_IFMT) == (old.st_mode & S_IFMT)) {
      FileOperations::keepOwner(fd, old);
      // own-file: the package replaced, its attributes read only (no link, no blocking)
      const int from = ::open(oldPath.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
      struct stat opened {};
      if (from >= 0 && ::fstat(from, &opened) == 0 && opened.st_ino == old.st_ino &&
          opened.st_dev == old.st_dev)
        FileOperations::keepAttributes(from, fd);
      if (from >= 0)
        ::close(from);
      // Set after the owner and the ACL: both may change them.
      (void)::fchmod(fd, old.st_mode & 07777);
    }
    ::close(fd);
  }
}

bool removeEntry(const QString& path) {
  const QFileInfo info(path);
  if (info.isDir() && !info.isSymLink())
    return QDir(path).removeRecursively();
  return QFile::remove(path);
}

// The package an interrupted write's leftover belongs to: ".kr-new-" or
// ".kr-old-", the package's name, "-" and six characters; none otherwise.
std::optional<QString> leftoverOwner(const QString& entry, bool* isOld) {
  *isOld = entry.startsWith(kOldPrefix);
  if (!*isOld && !entry.startsWith(kNewPrefix))
    return std::nullopt;
  const qsizetype nameLength = entry.size() - kNewPrefix.size() - 7;
  if (nameLength <= 0 || entry.at(kNewPrefix.size() + nameLength) != QLatin1Char('-'))
    return std::nullopt;
  return entry.mid(kNewPrefix.size(), nameLength);
}

// Puts right what an interrupted write left beside a package: unfinished
// new packages go; a set-aside old package goes back where it was when
// nothing took its place, and goes otherwise.
int recoverLeftovers(const QString& folder, const std::function<bool(const QString&)>& owns) {
  int dealtWith = 0;
  // Only the leftovers are looked at, in name order: the folder may hold
  // thousands of packages, and this runs before every write.
  QStringList entries = FileOperations::entryNames(folder, QStringLiteral(".kr-"));
  std::sort(entries.begin(), entries.end(), [](const QString& a, const QString& b) {
    return QString::compare(a, b, Qt::CaseInsensitive) < 0;
  });
  for (const QString& entry : entries) {
    bool isOld = false;
    const std::optional<QString> name = leftoverOwner(entry, &isOld);
    if (!name || !owns(*name))
      continue;
    const QString full = folder + QLatin1Char('/') + entry;
    // Folders and files only (followed through links): a dangling link, a
    // pipe or a socket is not an interrupted write's.
    const QFileInfo found(full);
    if (!found.exists() || !(found.isDir() || found.isFile()))
      continue;
    const QString path = folder + QLatin1Char('/') + *name;
    if (isOld && !QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
      ::rename(QFile::encodeName(full).constData(), QFile::encodeName(path).constData());
    else
      removeEntry(full);
    ++dealtWith;
  }
  return dealtWith;
}

// Puts the new package in place of the old one; a complete package exists
// at every moment.
bool swapIntoPlace(const QString& fresh, const QString& path, const QString& aside,
                   QString* error) {
  const QByteArray from = QFile::encodeName(fresh);
  const QByteArray to = QFile::encodeName(path);
  if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink()) {
    if (::rename(from.constData(), to.constData()) != 0)
      return fail(error, QStringLiteral("Could not move the new package to %1: %2")
                             .arg(path, QString::fromLocal8Bit(strerror(errno))));
    return true;
  }
  if (!swapHook &&
      ::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_EXCHANGE) == 0) {
    removeEntry(fresh); // now holds the old package
    return true;
  }
  // File systems without an exchange: set the old package aside, then move
  // the new one in. A crash in between leaves both, recovered on next write.
  const QByteArray old = QFile::encodeName(aside);
  if (::rename(to.constData(), old.constData()) != 0)
    return fail(error, QStringLiteral("Could not replace %1: %2")
                           .arg(path, QString::fromLocal8Bit(strerror(errno))));
  if (swapHook)
    swapHook("Aside");
  if (::rename(from.constData(), to.constData()) != 0) {
    const QString reason = QString::fromLocal8Bit(strerror(errno));
    ::rename(old.constData(), to.constData());
    return fail(error, QStringLiteral("Could not replace %1: %2").arg(path, reason));
  }
  removeEntry(aside);
  return true;
}

RichText parseText(const QByteArray& rtf, const std::function<QByteArray(const QString&)>& file,
                   bool* wellFormed = nullptr, bool* textAfterEnd = nullptr,
                   quint32* unkept = nullptr) {
  RtfReader::Result result = RtfReader::read(rtf);
  if (unkept)
    *unkept = result.unkept;
  if (wellFormed)
    *wellFormed = result.wellFormed;
  if (textAfterEnd)
    *textAfterEnd = result.textAfterEnd;
  RichText text = std::move(result.text);
  if (!file)
    return text;
  for (const QString& name : text.attachmentNames()) {
    if (!RtfdPackage::isSafeAttachmentName(name))
      continue;
    const QByteArray data = file(name);
    if (!data.isNull())
      text.setAttachmentData(name, data);
  }
  return text;
}

} // namespace

bool RtfdPackage::isSafeAttachmentName(const QString& name) {
  return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
         !name.contains(QLatin1Char('/')) && !name.contains(QChar(0)) && name != textFileName() &&
         !name.startsWith(kNewPrefix) && !name.startsWith(kOldPrefix);
}

RtfdPackage::ReadResult RtfdPackage::read(const QString& path, bool withAttachments) {
  ReadResult result;
  const QFileInfo info(path);
  if (!info.exists() && !info.isSymLink())
    return result;
  result.status = Status::Unreadable;
  if (!info.isDir()) {
    result.error = QStringLiteral("%1 is not a package folder").arg(path);
    return result;
  }
  FileOperations::ReadOptions options;
  options.followLink = false;
  options.maximumSize = kMaxTextFileSize;
  const std::optional<FileStamp> before = KnownTexts::stampOf(path);
  const std::optional<QByteArray> rtf = FileOperations::readRegularFile(
      path + QLatin1Char('/') + textFileName(), &result.error, options);
  if (!rtf)
    return result;
  if (!RtfReader::looksLikeRtf(*rtf)) {
    result.error = QStringLiteral("%1/%2 is not RTF").arg(path, textFileName());
    return result;
  }
  std::function<QByteArray(const QString&)> attachment;
  if (withAttachments) {
    attachment = [&path](const QString& name) {
      FileOperations::ReadOptions options;
      options.followLink = false;
      options.maximumSize = kMaxAttachmentSize;
      return FileOperations::readRegularFile(path + QLatin1Char('/') + name, nullptr, options)
          .value_or(QByteArray());
    };
  }
  result.text =
      parseText(*rtf, attachment, &result.wellFormed, &result.textAfterEnd, &result.unkept);
  result.status = Status::Ok;
  // Known only when the file read is the one stamped (it did not change
  // while it was read).
  const std::optional<FileStamp> after = KnownTexts::stampOf(path);
  KnownTexts::shared().remember(path, before && before == after ? after : std::nullopt,
                                result.text.attachmentNames());
  return result;
}

std::optional<QString> RtfdPackage::resolvePackageLink(const QString& path, QString* error) {
  const QFileInfo info(path);
  if (!info.isSymLink())
    return path;
  const QString target = info.canonicalFilePath();
  struct stat linkFolder {};
  struct stat targetInfo {};
  if (target.isEmpty() || ::stat(QFile::encodeName(target).constData(), &targetInfo) != 0 ||
      !S_ISDIR(targetInfo.st_mode)) {
    fail(error, QStringLiteral("%1 is a link to %2, which is not a package folder")
                    .arg(path, info.symLinkTarget()));
    return std::nullopt;
  }
  if (::stat(QFile::encodeName(info.absolutePath()).constData(), &linkFolder) != 0 ||
      linkFolder.st_dev != targetInfo.st_dev) {
    fail(error, QStringLiteral("%1 is a link to %2, on another file system").arg(path, target));
    return std::nullopt;
  }
  return target;
}

int RtfdPackage::recoverLeftoversIn(const QString& folder,
                                    const std::function<bool(const QString&)>& owns) {
  return recoverLeftovers(folder, owns);
}

void RtfdPackage::setSwapHookForTesting(void (*hook)(const char* step)) { swapHook = hook; }

QStringList RtfdPackage::packagesWithLeftoversIn(const QString& folder) {
  QStringList names;
  for (const QString& entry : FileOperations::entryNames(folder, QStringLiteral(".kr-"))) {
    bool isOld = false;
    if (const std::optional<QString> name = leftoverOwner(entry, &isOld);
        name && !names.contains(*name))
      names.append(*name);
  }
  names.sort();
  return names;
}

bool RtfdPackage::write(const QString& requestedPath, const RichText& text, QString* error) {
  return writePackage(requestedPath, PackageContent::of(text), error);
}

bool RtfdPackage::write(const QString& requestedPath, const EncodedRichText& text, QString* error) {
  return writePackage(requestedPath, PackageContent::of(text), error);
}

RtfdPackage::PackageContent RtfdPackage::PackageContent::of(const RichText& text) {
  auto rtf = std::make_shared<const QByteArray>(RtfWriter::write(text));
  return {{QByteArrayView(*rtf)}, rtf, text.attachmentNames(), text.attachmentData(), nullptr};
}

bool RtfdPackage::write(const QString& requestedPath, const std::shared_ptr<StreamedRichText>& text,
                        QString* error) {
  return writePackage(requestedPath, PackageContent::of(text), error);
}

RtfdPackage::PackageContent
RtfdPackage::PackageContent::of(const std::shared_ptr<StreamedRichText>& text) {
  PackageContent content;
  content.streamed = text;
  content.keep = text;
  return content;
}

RtfdPackage::PackageContent RtfdPackage::PackageContent::of(const EncodedRichText& text) {
  // The chunks' bytes are written as they are, not copied into one text.
  auto pieces = std::make_shared<const RtfWriter::Pieces>(RtfWriter::writePieces(text));
  return {pieces->views(), pieces, text.attachmentNames(), text.attachmentData(), nullptr};
}

bool RtfdPackage::writePackage(const QString& requestedPath, const PackageContent& content,
                               QString* error) {
  // A link to a package is followed, never replaced by a folder of its own.
  const std::optional<QString> resolved = resolvePackageLink(requestedPath, error);
  if (!resolved)
    return false;
  const QFileInfo info(*resolved);
  const QString name = info.fileName();
  recoverLeftovers(info.absolutePath(), [&name](const QString& owner) { return owner == name; });
  // The old text tells which of its files are attachments; their bytes are
  // not needed, since every file of the old package that the new text does
  // not replace is carried over as it is. A text file as this process last
  // read or wrote it is not read again.
  if (const std::optional<FileStamp> stamp = KnownTexts::stampOf(*resolved)) {
    if (std::optional<QStringList> names = KnownTexts::shared().attachments(*resolved, *stamp))
      return writePackage(*resolved, content, OldPackage{Status::Ok, {}, *names}, error);
  }
  const ReadResult old = read(*resolved, false);
  return writePackage(*resolved, content,
                      OldPackage{old.status, old.error, old.text.attachmentNames()}, error);
}

bool RtfdPackage::write(const QString& path, const RichText& text, const ReadResult& old,
                        QString* error) {
  return writePackage(path, PackageContent::of(text),
                      OldPackage{old.status, old.error, old.text.attachmentNames()}, error);
}

bool RtfdPackage::writePackage(const QString& path, const PackageContent& content,
                               const OldPackage& old, QString* error) {
  const QFileInfo info(path);
  const QString folder = info.absolutePath();
  const QString name = info.fileName();
  if (name.isEmpty() || !QFileInfo(folder).isDir())
    return fail(error, QStringLiteral("The folder %1 does not exist").arg(folder));
  // What an interrupted write left is put right first. When that changes the
  // package after the caller read it, the caller's text is out of date.
  if (recoverLeftovers(folder, [&name](const QString& owner) { return owner == name; }) > 0 &&
      read(path, false).status != old.status)
    return fail(error, QStringLiteral("%1 was put back from an interrupted write while being "
                                      "written; nothing was written")
                           .arg(path));
  if (old.status == Status::Unreadable)
    return fail(
        error, QStringLiteral("%1 cannot be read (%2); it was left as it is").arg(path, old.error));

  QTemporaryDir fresh(folder + QLatin1Char('/') + kNewPrefix + name + QLatin1String("-XXXXXX"));
  if (!fresh.isValid())
    return fail(error,
                QStringLiteral("Could not write in %1: %2").arg(folder, fresh.errorString()));
  const QString freshPath = fresh.path();
  const TextParts parts = content.streamed
                              ? TextParts([&content](bool* last, QString* reason) {
                                  return content.streamed->next(last, reason);
                                })
                              : TextParts([&content](bool* last, QString*) {
                                  *last = true;
                                  return std::optional<std::vector<QByteArrayView>>(content.rtf);
                                });
  if (!writeFile(freshPath + QLatin1Char('/') + textFileName(), parts, error))
    return false;

  QSet<QString> written;
  for (const QString& attachment : content.attachmentNames) {
    if (!isSafeAttachmentName(attachment) || written.contains(attachment))
      continue;
    const auto data = content.attachmentData.constFind(attachment);
    if (data != content.attachmentData.constEnd()) {
      if (!writeFile(freshPath + QLatin1Char('/') + attachment, data.value(), error))
        return false;
      written.insert(attachment);
    }
  }
  if (old.status == Status::Ok) {
    // Files the old text did not use are someone else's: keep them. So are
    // files the new text uses but whose bytes it does not hold.
    const QSet<QString> oldNames(old.attachmentNames.cbegin(), old.attachmentNames.cend());
    const QStringList& newList = content.attachmentNames;
    const QSet<QString> newNames(newList.cbegin(), newList.cend());
    for (const QString& entry : QDir(path).entryList(QDir::AllEntries | QDir::Hidden |
                                                     QDir::System | QDir::NoDotAndDotDot)) {
      if (entry == textFileName() || written.contains(entry))
        continue;
      if (oldNames.contains(entry) && !newNames.contains(entry))
        continue; // an attachment the text no longer has
      if (!carryOver(path + QLatin1Char('/') + entry, freshPath + QLatin1Char('/') + entry, error))
        return false;
    }
  }
  if (old.status == Status::Ok)
    keepModesAndOwners(path, freshPath);
  syncPath(freshPath);

  const QString aside = folder + QLatin1Char('/') + kOldPrefix + name + freshPath.right(7);
  const std::optional<FileStamp> stamp = KnownTexts::stampOf(freshPath);
  if (swapHook)
    swapHook("Swap");
  if (!swapIntoPlace(freshPath, path, aside, error))
    return false;
  fresh.setAutoRemove(false); // its path now holds nothing of ours
  syncPath(folder);
  // The same file, renamed: its stamp stays but for the time of the change.
  const std::optional<FileStamp> placed = KnownTexts::stampOf(path);
  KnownTexts::shared().remember(
      path, stamp && placed && placed->inode == stamp->inode ? placed : std::nullopt,
      content.attachmentNames);
  return true;
}

QByteArray RtfdPackage::toData(const RichText& text) {
  QByteArray data(kDataMagic);
  auto appendEntry = [&data](const QString& name, const QByteArray& bytes) {
    const QByteArray utf8 = name.toUtf8();
    char length[4];
    qToBigEndian(quint32(utf8.size()), length);
    data.append(length, 4).append(utf8);
    qToBigEndian(quint32(bytes.size()), length);
    data.append(length, 4).append(bytes);
  };
  appendEntry(textFileName(), RtfWriter::write(text));
  for (const QString& name : text.attachmentNames()) {
    const auto bytes = text.attachmentData().constFind(name);
    if (bytes != text.attachmentData().constEnd() && isSafeAttachmentName(name))
      appendEntry(name, bytes.value());
  }
  return data;
}

std::optional<RichText> RtfdPackage::fromData(const QByteArray& data) {
  if (!data.startsWith(kDataMagic)) {
    if (!RtfReader::looksLikeRtf(data))
      return std::nullopt;
    return RtfReader::read(data).text;
  }
  QHash<QString, QByteArray> files;
  qsizetype pos = qsizetype(sizeof kDataMagic) - 1;
  auto readChunk = [&data, &pos](QByteArray* out) {
    if (data.size() - pos < 4)
      return false;
    const quint32 length = qFromBigEndian<quint32>(data.constData() + pos);
    pos += 4;
    if (quint64(data.size() - pos) < length)
      return false;
    *out = data.mid(pos, qsizetype(length));
    pos += qsizetype(length);
    return true;
  };
  while (pos < data.size()) {
    QByteArray name;
    QByteArray bytes;
    if (!readChunk(&name) || !readChunk(&bytes))
      break; // a damaged tail: keep what came before
    files.insert(QString::fromUtf8(name), bytes);
  }
  const QByteArray rtf = files.value(textFileName());
  if (!RtfReader::looksLikeRtf(rtf))
    return std::nullopt;
  return parseText(rtf, [&files](const QString& name) { return files.value(name); });
}

} // namespace kr
