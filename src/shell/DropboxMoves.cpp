// How DropboxManager moves one log file package between the local support
// folder and the Dropbox folder, keeping a complete copy at every moment.
#include "shell/DropboxManager.h"

#include "platform/QnLog.h"
#include "platform/files/FileOperations.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

#include <sys/stat.h>

namespace kr {

namespace {

bool copyRecursively(const QString& from, const QString& to, QString* error) {
  const QFileInfo info(from);
  if (info.isDir() && !info.isSymLink()) {
    if (!QDir().mkdir(to)) {
      *error = QStringLiteral("cannot make %1").arg(to);
      return false;
    }
    const QStringList entries =
        QDir(from).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
      if (!copyRecursively(from + QLatin1Char('/') + entry, to + QLatin1Char('/') + entry, error))
        return false;
    }
    return true;
  }
  if (!QFile::copy(from, to)) {
    *error = QStringLiteral("cannot copy %1 to %2").arg(from, to);
    return false;
  }
  return true;
}

// A hidden name beside `path` that no reader of a log folder takes for a log.
QString hiddenBeside(const QString& path, const QString& folder, const char* what) {
  return folder + QStringLiteral("/.") + QFileInfo(path).fileName() + QLatin1Char('.') +
         QLatin1String(what) + QLatin1Char('.') + QUuid::createUuid().toString(QUuid::Id128);
}

} // namespace

DropboxManager::FileMoves DropboxManager::standardFileMoves() {
  FileMoves moves;
  moves.sameFileSystem = [](const QString& from, const QString& toFolder) {
    struct stat source {};
    struct stat destination {};
    if (::lstat(QFile::encodeName(from).constData(), &source) != 0 ||
        ::stat(QFile::encodeName(toFolder).constData(), &destination) != 0)
      return true; // the rename reports the failure
    return source.st_dev == destination.st_dev;
  };
  moves.copy = [](const QString& from, const QString& to, QString* error) {
    return copyRecursively(from, to, error);
  };
  moves.rename = [](const QString& from, const QString& to, QString* error) {
    return FileOperations::renameNoReplace(from, to, error);
  };
  moves.remove = [](const QString& path) { return FileOperations::removePath(path); };
  return moves;
}

DropboxManager::MoveOutcome DropboxManager::moveOne(const QString& from, const QString& to) {
  MoveOutcome outcome;
  if (QFileInfo::exists(to) || QFileInfo(to).isSymLink()) {
    outcome.error = QStringLiteral("%1 exists already").arg(to);
    return outcome;
  }
  const QString toFolder = QFileInfo(to).absolutePath();
  if (moves_.sameFileSystem(from, toFolder)) {
    if (moves_.rename(from, to, &outcome.error))
      outcome.kind = MoveOutcome::Kind::Moved;
    return outcome;
  }
  // Across file systems: a hidden copy beside the destination, renamed in;
  // until then the source is untouched, and a failure removes the copy.
  const QString hidden = hiddenBeside(to, toFolder, "copy");
  if (!moves_.copy(from, hidden, &outcome.error) || !moves_.rename(hidden, to, &outcome.error)) {
    moves_.remove(hidden);
    return outcome;
  }
  // The copy is complete and in place: from here it is never removed. The
  // source leaves its name first, so that what a failed removal leaves is
  // never taken for a log, then goes.
  const QString aside = hiddenBeside(from, QFileInfo(from).absolutePath(), "moved");
  QString reason;
  if (!moves_.rename(from, aside, &reason)) {
    outcome.kind = MoveOutcome::Kind::CopiedSourceKept;
    outcome.leftover = from;
    outcome.error = QStringLiteral("%1 was copied but cannot be removed: %2").arg(from, reason);
    return outcome;
  }
  outcome.kind = MoveOutcome::Kind::Moved;
  if (!moves_.remove(aside)) {
    outcome.leftover = aside;
    outcome.error = QStringLiteral("%1 was moved, but what is left of it at %2 cannot be removed")
                        .arg(from, aside);
  }
  return outcome;
}

DropboxManager::MoveResult
DropboxManager::moveEntries(const QString& fromFolder, const QString& toFolder,
                            const std::function<bool(const QString&)>& accept) {
  MoveResult result;
  const QStringList entries =
      QDir(fromFolder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name);
  for (const QString& name : entries) {
    if (!accept(name))
      continue;
    const QString from = fromFolder + QLatin1Char('/') + name;
    const QString to = toFolder + QLatin1Char('/') + name;
    qn_log(QStringLiteral("move %1 to %2").arg(from, to));
    const MoveOutcome outcome = moveOne(from, to);
    if (!outcome.leftover.isEmpty()) {
      result.leftovers << outcome.leftover;
      platformLog(QStringLiteral("a log file left something behind: %1").arg(outcome.error));
    }
    switch (outcome.kind) {
    case MoveOutcome::Kind::Moved:
      result.moved << name;
      break;
    case MoveOutcome::Kind::CopiedSourceKept:
      result.copied << name;
      break;
    case MoveOutcome::Kind::NotMoved:
      result.failed << name;
      qn_log(QStringLiteral("failed to move file: %1").arg(from));
      platformLog(QStringLiteral("a log file was not moved: %1").arg(outcome.error));
      break;
    }
  }
  return result;
}

} // namespace kr
