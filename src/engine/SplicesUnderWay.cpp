#include "engine/SplicesUnderWay.h"

#include "engine/EngineLog.h"
#include "platform/ConsoleText.h"
#include "platform/files/FileLock.h"
#include "platform/files/FileOperations.h"
#include "platform/files/SupportPaths.h"
#include "platform/richtext/RtfdPackage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <functional>
#include <mutex>

namespace kr {

namespace {

// Another program changes the note for milliseconds.
constexpr std::chrono::seconds kNoteLockWait{2};

std::mutex noteMutex;

// The packages the note names; none when there is no note or it cannot be
// read.
QByteArrayList packagesIn(const QString& note) {
  FileOperations::ReadOptions options;
  options.followLink = false;
  options.maximumSize = 1024 * 1024;
  const std::optional<QByteArray> bytes = FileOperations::readRegularFile(note, nullptr, options);
  if (!bytes)
    return {};
  QByteArrayList packages = bytes->split('\0');
  packages.removeAll(QByteArray());
  return packages;
}

void warn(const QString& note, const QString& error) {
  qCWarning(lcEngine).noquote() << consoleSafe(
      QStringLiteral("could not write the note of splices under way %1: %2").arg(note, error));
}

void writeNote(const QString& note, const QByteArrayList& packages) {
  QString error;
  if (packages.isEmpty()) {
    if (!QFile::remove(note) && QFileInfo(note).isFile())
      error = QStringLiteral("it cannot be removed");
  } else if (QDir().mkpath(QFileInfo(note).path())) {
    FileOperations::writeRegularFile(note, packages.join('\0') + '\0', &error);
  } else {
    error = QStringLiteral("its folder cannot be made");
  }
  if (!error.isEmpty())
    warn(note, error);
}

// Changes the note under its lock, in this process and among programs.
bool changeNote(const QString& note, const std::function<void(QByteArrayList&)>& change) {
  const std::lock_guard lock(noteMutex);
  FileLock held(note + QStringLiteral(".lock"));
  QString why;
  if (!held.acquire(kNoteLockWait, &why)) {
    warn(note, QStringLiteral("the lock file %1 %2").arg(held.path(), why));
    return false;
  }
  QByteArrayList packages = packagesIn(note);
  const QByteArrayList before = packages;
  change(packages);
  if (packages != before)
    writeNote(note, packages);
  return true;
}

} // namespace

QString SplicesUnderWay::notePath() {
  return SupportPaths::supportFolder() + QStringLiteral("/.kr-splices-under-way");
}

void SplicesUnderWay::begin(const QString& package, const QString& note) {
  changeNote(note, [&](QByteArrayList& packages) { packages.append(QFile::encodeName(package)); });
}

void SplicesUnderWay::end(const QString& package, const QString& note) {
  // One name off: the same day may be spliced twice at once.
  changeNote(note,
             [&](QByteArrayList& packages) { packages.removeOne(QFile::encodeName(package)); });
}

int SplicesUnderWay::removeLeftovers(const QString& note) {
  int removed = 0;
  changeNote(note, [&removed](QByteArrayList& packages) {
    QByteArrayList writing;
    for (const QByteArray& package : packages) {
      if (!package.startsWith('/') || !package.endsWith(".rtfd"))
        continue;
      const QString path = QFile::decodeName(package);
      // A writer that runs holds the package's lock, and keeps its copy
      // (which, without a lock to be had, the package's next write removes).
      FileLock lock(SupportPaths::packageLockFile(path));
      QString why;
      if (!lock.acquire(std::chrono::milliseconds(0), &why) || lock.isWithoutLock()) {
        writing.append(package);
        continue;
      }
      removed += RtfdPackage::removeSpliceCopies(path);
    }
    packages = writing;
  });
  if (removed > 0)
    qCInfo(lcEngine).noquote()
        << QStringLiteral("removed %1 copies left by a splice cut short").arg(removed);
  return removed;
}

} // namespace kr
