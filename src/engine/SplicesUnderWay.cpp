#include "engine/SplicesUnderWay.h"

#include "engine/EngineLog.h"
#include "platform/ConsoleText.h"
#include "platform/files/FileOperations.h"
#include "platform/files/SupportPaths.h"
#include "platform/richtext/RtfdPackage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <mutex>
#include <sys/stat.h>

namespace kr {

namespace {

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
    qCWarning(lcEngine).noquote() << consoleSafe(
        QStringLiteral("could not write the note of splices under way %1: %2").arg(note, error));
}

} // namespace

QString SplicesUnderWay::notePath() {
  return SupportPaths::supportFolder() + QStringLiteral("/.kr-splices-under-way");
}

void SplicesUnderWay::begin(const QString& package, const QString& note) {
  const std::lock_guard lock(noteMutex);
  QByteArrayList packages = packagesIn(note);
  packages.append(QFile::encodeName(package));
  writeNote(note, packages);
}

void SplicesUnderWay::end(const QString& package, const QString& note) {
  const std::lock_guard lock(noteMutex);
  QByteArrayList packages = packagesIn(note);
  // One name off: the same day may be spliced twice at once.
  if (packages.removeOne(QFile::encodeName(package)))
    writeNote(note, packages);
}

int SplicesUnderWay::removeLeftovers(const QString& note) {
  const std::lock_guard lock(noteMutex);
  int removed = 0;
  for (const QByteArray& package : packagesIn(note)) {
    if (!package.startsWith('/') || !package.endsWith(".rtfd"))
      continue;
    const QByteArray copy = package + '/' + RtfdPackage::kSpliceFileName;
    struct stat info {};
    if (::lstat(copy.constData(), &info) == 0 && S_ISREG(info.st_mode) &&
        ::unlink(copy.constData()) == 0)
      ++removed;
  }
  if (QFileInfo(note).isFile() && !QFileInfo(note).isSymLink())
    QFile::remove(note);
  if (removed > 0)
    qCInfo(lcEngine).noquote()
        << QStringLiteral("removed %1 copies left by a splice cut short").arg(removed);
  return removed;
}

} // namespace kr
