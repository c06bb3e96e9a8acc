#include "platform/settings/SettingsFile.h"

#include "platform/QnLog.h"
#include "platform/files/FileLock.h"
#include "platform/files/FileOperations.h"
#include "platform/settings/IniLines.h"
#include "platform/settings/StoredSettingsCheck.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace kr {

namespace {

QString errnoText(int code) { return QString::fromLocal8Bit(std::strerror(code)); }

// The private copy Qt's INI code works on, in a folder only we made.
QString copyName(const QTemporaryDir& folder) {
  return folder.filePath(QStringLiteral("settings.conf"));
}

bool writeCopy(const QString& path, const QByteArray& bytes) {
  QFile file(path); // our own new file in our own new folder
  return file.open(QIODevice::WriteOnly | QIODevice::NewOnly) &&
         file.write(bytes) == bytes.size() && file.flush();
}

// Qt keeps the parsed contents of every file it has read in a cache of its
// own; emptied before it goes, the private copy leaves nothing there.
void forget(QSettings& copy) {
  copy.clear();
  copy.sync();
}

RegularFileReadOptions settingsFileOptions() {
  RegularFileReadOptions options;
  options.maximumSize = SettingsFile::kLargestFile;
  return options;
}

// `current` (the settings file's bytes) with `changes` applied, as Qt's INI
// writer writes them, in a private copy.
std::optional<QByteArray> withChanges(const QByteArray& current,
                                      const SettingsFile::Values& changes, QString* why) {
  // Values damaged since the file was read are left out, not decoded.
  const QByteArray safe =
      StoredSettingsCheck::withoutEntries(current, StoredSettingsCheck::unreadableEntries(current));
  const QTemporaryDir work;
  if (!work.isValid() || !writeCopy(copyName(work), safe)) {
    *why = QStringLiteral("no private copy could be made to write it (%1)").arg(work.errorString());
    return std::nullopt;
  }
  QSettings copy(copyName(work), QSettings::IniFormat); // our private copy
  for (auto it = changes.cbegin(); it != changes.cend(); ++it) {
    if (it.value().isValid())
      copy.setValue(it.key(), it.value());
    else
      copy.remove(it.key());
  }
  copy.sync();
  // A file that was not all INI text reads as what could be read (kept
  // aside when it was read) and is written anew: only a failed write counts.
  std::optional<QByteArray> bytes;
  if (copy.status() != QSettings::AccessError)
    bytes = FileOperations::readRegularFile(copyName(work), why, settingsFileOptions());
  else
    *why = QStringLiteral("its private copy could not be written");
  forget(copy);
  return bytes;
}

// Whether the program may write at `path` (a file or a folder): its
// permission bits count even where the system would let the user past them.
bool writable(const QByteArray& path, const struct stat& info) {
  return (info.st_mode & 0222) != 0 && ::access(path.constData(), W_OK) == 0;
}

SettingsFile::WriteResult failure(const QString& why, bool lockInTheWay = false) {
  SettingsFile::WriteResult result;
  result.why = why;
  result.lockInTheWay = lockInTheWay;
  return result;
}

} // namespace

QString SettingsFile::unreadableReason(const QString& filePath) {
  const QByteArray path = QFile::encodeName(filePath);
  struct stat info {};
  if (::lstat(path.constData(), &info) != 0)
    return errno == ENOENT ? QString() : errnoText(errno);
  const bool link = S_ISLNK(info.st_mode);
  if (link && ::stat(path.constData(), &info) != 0)
    return QStringLiteral("it is a link to %1, which cannot be reached (%2)")
        .arg(QFile::symLinkTarget(filePath), errnoText(errno));
  const QString kind = S_ISDIR(info.st_mode)    ? QStringLiteral("a folder")
                       : S_ISFIFO(info.st_mode) ? QStringLiteral("a pipe")
                       : S_ISSOCK(info.st_mode) ? QStringLiteral("a socket")
                       : S_ISREG(info.st_mode)  ? QString()
                                                : QStringLiteral("a device");
  if (!kind.isEmpty()) {
    return link ? QStringLiteral("it is a link to %1, which is %2")
                      .arg(QFile::symLinkTarget(filePath), kind)
                : QStringLiteral("it is %1, not a file").arg(kind);
  }
  if (::access(path.constData(), R_OK) != 0)
    return errnoText(errno);
  if (info.st_size > kLargestFile) {
    return QStringLiteral("it is %1 MB, and a settings file is never larger than %2 MB")
        .arg(double(info.st_size) / (1024 * 1024), 0, 'f', 1)
        .arg(kLargestFile / (1024 * 1024));
  }
  return {};
}

std::optional<SettingsFile::Values> SettingsFile::read(const QString& path, QString* why,
                                                       Texts* wholeTexts) {
  *why = unreadableReason(path);
  if (!why->isEmpty())
    return std::nullopt;
  if (!QFileInfo::exists(path))
    return Values{}; // a first launch
  StoredSettingsCheck::setAsideUnreadableEntries(path);
  const std::optional<QByteArray> bytes =
      FileOperations::readRegularFile(path, why, settingsFileOptions());
  if (!bytes)
    return std::nullopt;
  const QTemporaryDir folder;
  // Values that cannot be decoded safely are never handed to the decoder.
  const QByteArray safe =
      StoredSettingsCheck::withoutEntries(*bytes, StoredSettingsCheck::unreadableEntries(*bytes));
  if (!folder.isValid() || !writeCopy(copyName(folder), safe)) {
    *why =
        QStringLiteral("no private copy could be made to read it (%1)").arg(folder.errorString());
    return std::nullopt;
  }
  Values values;
  QSettings copy(copyName(folder), QSettings::IniFormat); // our private copy
  for (const QString& key : copy.allKeys())
    values.insert(key, copy.value(key));
  if (copy.status() == QSettings::FormatError) {
    // Not an INI file (random bytes, another program's file): what could be
    // read is used, and the file as it was is kept.
    keepDamaged(path,
                QStringLiteral("%1 is not a settings file as the program writes it").arg(path),
                *bytes);
  }
  forget(copy);
  if (wholeTexts) {
    const Texts texts = IniLines::wholeTexts(safe);
    for (auto it = texts.cbegin(); it != texts.cend(); ++it) {
      if (values.contains(it.key()))
        wholeTexts->insert(it.key(), it.value());
    }
  }
  return values;
}

SettingsFile::WriteResult SettingsFile::write(const QString& path, const Values& changes,
                                              std::chrono::milliseconds lockWait,
                                              const std::function<void()>& locked) {
  return rewrite(
      path, lockWait,
      [&changes](const QByteArray& current, QString* why) {
        return withChanges(current, changes, why);
      },
      locked);
}

SettingsFile::WriteResult SettingsFile::rewrite(const QString& path,
                                                std::chrono::milliseconds lockWait,
                                                const Rewriter& rewriter,
                                                const std::function<void()>& locked) {
  // What is there now must still be a settings file (or nothing): a link
  // turned to a device or a pipe put in its place since it was read is never
  // replaced, as replacing would put the settings where it stood.
  if (const QString kind = unreadableReason(path); !kind.isEmpty())
    return failure(QStringLiteral("%1 cannot be read: %2").arg(path, kind));
  const QFileInfo given(path);
  const QString target = given.isSymLink() ? given.canonicalFilePath() : given.absoluteFilePath();
  const QString folder = QFileInfo(target).absolutePath();
  if (!QDir().mkpath(folder))
    return failure(QStringLiteral("the folder %1 cannot be made").arg(folder));
  // A file made read-only is the user's word, though its folder would let
  // a new file be renamed over it.
  struct stat info {};
  const QByteArray encodedTarget = QFile::encodeName(target);
  if (::stat(encodedTarget.constData(), &info) == 0 && !writable(encodedTarget, info))
    return failure(QStringLiteral("the file %1 is read-only").arg(target));
  const QByteArray encodedFolder = QFile::encodeName(folder);
  if (::stat(encodedFolder.constData(), &info) != 0 || !writable(encodedFolder, info))
    return failure(QStringLiteral("the folder %1 is read-only").arg(folder));

  FileLock lock(lockPath(path));
  QString why;
  if (!lock.acquire(lockWait, &why)) {
    WriteResult result = failure(QStringLiteral("the lock file %1 %2").arg(lock.path(), why), true);
    result.lockHeld = lock.foundHeld();
    return result;
  }
  if (locked)
    locked();
  // Read once the lock is had: another writer may have made or changed the
  // file meanwhile.
  QByteArray current;
  if (::stat(encodedTarget.constData(), &info) == 0) {
    std::optional<QByteArray> bytes =
        FileOperations::readRegularFile(target, &why, settingsFileOptions());
    if (!bytes)
      return failure(why);
    current = std::move(*bytes);
  }
  const std::optional<QByteArray> next = rewriter(current, &why);
  if (!next)
    return failure(why);
  if (!FileOperations::writeRegularFile(target, *next, &why))
    return failure(QStringLiteral("it cannot be written (%1)").arg(why));
  WriteResult result;
  result.written = true;
  return result;
}

bool SettingsFile::keepDamaged(const QString& path, const QString& what,
                               std::optional<QByteArray> bytes) {
  QString why;
  if (!bytes)
    bytes = FileOperations::readRegularFile(path, &why, settingsFileOptions());
  // Whoever could not read the file cannot read the copy either.
  struct stat info {};
  RegularFileWriteOptions options;
  options.permissions = ::stat(QFile::encodeName(path).constData(), &info) == 0
                            ? unsigned(info.st_mode & 0666)
                            : 0600u;
  const QString damaged = path + QStringLiteral(".damaged");
  if (bytes && FileOperations::writeRegularFile(damaged, *bytes, &why, options)) {
    platformLog(
        QStringLiteral("settings: %1; the file as it was is kept as %2").arg(what, damaged));
    return true;
  }
  platformLog(
      QStringLiteral("settings: %1, and the file could not be kept aside: %2").arg(what, why));
  return false;
}

} // namespace kr
