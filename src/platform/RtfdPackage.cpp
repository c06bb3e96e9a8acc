#include "platform/RtfdPackage.h"

#include "platform/RtfReader.h"
#include "platform/RtfWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>
#include <QtEndian>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace kr {

namespace {

constexpr char kDataMagic[] = "KRRTFD1\n";
constexpr qint64 kMaxTextFileSize = 512LL * 1024 * 1024;
constexpr qint64 kMaxAttachmentSize = 512LL * 1024 * 1024;
const QLatin1String kNewPrefix(".kr-new-");
const QLatin1String kOldPrefix(".kr-old-");

QString textFileName() { return QString::fromLatin1(RtfdPackage::kTextFileName); }

bool fail(QString* error, const QString& message) {
  if (error)
    *error = message;
  return false;
}

bool syncPath(const QString& path) {
  const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
  if (fd < 0)
    return false;
  const bool ok = ::fsync(fd) == 0;
  ::close(fd);
  return ok;
}

bool writeFile(const QString& path, const QByteArray& data, QString* error) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
    return fail(error, QStringLiteral("Could not create %1: %2").arg(path, file.errorString()));
  if (file.write(data) != data.size() || !file.flush() || ::fsync(file.handle()) != 0)
    return fail(error, QStringLiteral("Could not write %1: %2").arg(path, file.errorString()));
  file.close();
  return true;
}

// Copies a file, a folder with its content or a symbolic link as it is.
bool copyEntry(const QString& from, const QString& to, QString* error) {
  const QFileInfo info(from);
  if (info.isSymLink()) {
    if (QFile::link(info.symLinkTarget(), to))
      return true;
    return fail(error, QStringLiteral("Could not copy the link %1").arg(from));
  }
  if (info.isDir()) {
    if (!QDir().mkdir(to))
      return fail(error, QStringLiteral("Could not create %1").arg(to));
    const QDir dir(from);
    for (const QString& name :
         dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
      if (!copyEntry(dir.filePath(name), to + QLatin1Char('/') + name, error))
        return false;
    }
    return true;
  }
  QFile file(from);
  if (!file.open(QIODevice::ReadOnly))
    return fail(error, QStringLiteral("Could not read %1: %2").arg(from, file.errorString()));
  return writeFile(to, file.readAll(), error);
}

bool removeEntry(const QString& path) {
  const QFileInfo info(path);
  if (info.isDir() && !info.isSymLink())
    return QDir(path).removeRecursively();
  return QFile::remove(path);
}

// Puts right what an interrupted write left beside the package: unfinished
// new packages go; a set-aside old package goes back where it was when
// nothing took its place, and goes otherwise.
void recoverLeftovers(const QDir& folder, const QString& name, const QString& path) {
  const QStringList entries =
      folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
  for (const QString& entry : entries) {
    const bool isNew = entry.startsWith(kNewPrefix + name + QLatin1Char('-'));
    const bool isOld = entry.startsWith(kOldPrefix + name + QLatin1Char('-'));
    if (!isNew && !isOld)
      continue;
    if (entry.size() != kNewPrefix.size() + name.size() + 7)
      continue; // another package whose name begins with this one
    const QString full = folder.filePath(entry);
    if (isOld && !QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
      ::rename(QFile::encodeName(full).constData(), QFile::encodeName(path).constData());
    else
      removeEntry(full);
  }
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
  if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_EXCHANGE) == 0) {
    removeEntry(fresh); // now holds the old package
    return true;
  }
  // File systems without an exchange: set the old package aside, then move
  // the new one in. A crash in between leaves both, recovered on next write.
  const QByteArray old = QFile::encodeName(aside);
  if (::rename(to.constData(), old.constData()) != 0)
    return fail(error, QStringLiteral("Could not replace %1: %2")
                           .arg(path, QString::fromLocal8Bit(strerror(errno))));
  if (::rename(from.constData(), to.constData()) != 0) {
    const QString reason = QString::fromLocal8Bit(strerror(errno));
    ::rename(old.constData(), to.constData());
    return fail(error, QStringLiteral("Could not replace %1: %2").arg(path, reason));
  }
  removeEntry(aside);
  return true;
}

RichText parseText(const QByteArray& rtf, const std::function<QByteArray(const QString&)>& file) {
  RichText text = RtfReader::read(rtf).text;
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

RtfdPackage::ReadResult RtfdPackage::read(const QString& path) {
  ReadResult result;
  const QFileInfo info(path);
  if (!info.exists() && !info.isSymLink())
    return result;
  result.status = Status::Unreadable;
  if (!info.isDir()) {
    result.error = QStringLiteral("%1 is not a package folder").arg(path);
    return result;
  }
  QFile file(path + QLatin1Char('/') + textFileName());
  if (!file.exists() || !file.open(QIODevice::ReadOnly)) {
    result.error = QStringLiteral("%1 has no readable %2").arg(path, textFileName());
    return result;
  }
  if (file.size() > kMaxTextFileSize) {
    result.error = QStringLiteral("%1 is too large").arg(file.fileName());
    return result;
  }
  const QByteArray rtf = file.readAll();
  if (!RtfReader::looksLikeRtf(rtf)) {
    result.error = QStringLiteral("%1 is not RTF").arg(file.fileName());
    return result;
  }
  result.text = parseText(rtf, [&path](const QString& name) {
    const QFileInfo attachment(path + QLatin1Char('/') + name);
    if (!attachment.isFile() || attachment.isSymLink() || attachment.size() > kMaxAttachmentSize)
      return QByteArray();
    QFile f(attachment.filePath());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  });
  result.status = Status::Ok;
  return result;
}

bool RtfdPackage::write(const QString& path, const RichText& text, QString* error) {
  const QFileInfo info(path);
  const QDir folder = info.absoluteDir();
  const QString name = info.fileName();
  if (name.isEmpty() || !folder.exists())
    return fail(error, QStringLiteral("The folder %1 does not exist").arg(folder.path()));
  recoverLeftovers(folder, name, path);

  const ReadResult old = read(path);
  if (old.status == Status::Unreadable)
    return fail(
        error, QStringLiteral("%1 cannot be read (%2); it was left as it is").arg(path, old.error));

  QTemporaryDir fresh(folder.filePath(kNewPrefix + name + QLatin1String("-XXXXXX")));
  if (!fresh.isValid())
    return fail(
        error, QStringLiteral("Could not write in %1: %2").arg(folder.path(), fresh.errorString()));
  if (!writeFile(fresh.filePath(textFileName()), RtfWriter::write(text), error))
    return false;

  QSet<QString> written;
  for (const QString& attachment : text.attachmentNames()) {
    if (!isSafeAttachmentName(attachment))
      continue;
    const auto data = text.attachmentData().constFind(attachment);
    const QString target = fresh.filePath(attachment);
    if (data != text.attachmentData().constEnd()) {
      if (!writeFile(target, data.value(), error))
        return false;
      written.insert(attachment);
    }
  }
  if (old.status == Status::Ok) {
    // Files the old text did not use are someone else's: keep them. So are
    // files the new text uses but whose bytes it does not hold.
    const QStringList oldList = old.text.attachmentNames();
    const QSet<QString> oldNames(oldList.cbegin(), oldList.cend());
    const QStringList newNames = text.attachmentNames();
    const QDir oldDir(path);
    for (const QString& entry :
         oldDir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
      if (entry == textFileName() || written.contains(entry))
        continue;
      if (oldNames.contains(entry) && !newNames.contains(entry))
        continue; // an attachment the text no longer has
      if (!copyEntry(oldDir.filePath(entry), fresh.filePath(entry), error))
        return false;
    }
  }
  syncPath(fresh.path());

  const QString aside = folder.filePath(kOldPrefix + name + fresh.path().right(7));
  if (!swapIntoPlace(fresh.path(), path, aside, error))
    return false;
  fresh.setAutoRemove(false); // its path now holds nothing of ours
  syncPath(folder.path());
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
