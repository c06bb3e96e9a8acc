// How DropboxManager moves one log file package between the local support
// folder and the Dropbox folder, keeping a complete copy at every moment.
#include "shell/DropboxManager.h"

#include "platform/QnLog.h"
#include "platform/TaskThread.h"
#include "platform/files/FileOperations.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QRegularExpression>
#include <QThread>
#include <QUuid>

#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace kr {

namespace {

// Copies a log package: its folders and regular files. Anything else in it
// (a pipe, a device, a link: what another computer's sync can bring) fails
// the copy, named, and is left where it is with the rest of the package.
bool copyRecursively(const QString& from, const QString& to, QString* error) {
  struct stat info {};
  if (::lstat(QFile::encodeName(from).constData(), &info) != 0) {
    *error = QStringLiteral("%1 cannot be read").arg(from);
    return false;
  }
  if (S_ISREG(info.st_mode))
    return FileOperations::copyRegularFile(from, to, error);
  if (!S_ISDIR(info.st_mode)) {
    *error = QStringLiteral("%1 is not a regular file or folder").arg(from);
    return false;
  }
  if (::access(QFile::encodeName(from).constData(), R_OK | X_OK) != 0) {
    *error = QStringLiteral("%1 cannot be read").arg(from);
    return false;
  }
  if (::mkdir(QFile::encodeName(to).constData(), 0777) != 0) {
    *error = QStringLiteral("cannot make %1").arg(to);
    return false;
  }
  QStringList entries = FileOperations::entryNames(from);
  entries.sort();
  for (const QString& entry : entries) {
    if (!copyRecursively(from + QLatin1Char('/') + entry, to + QLatin1Char('/') + entry, error))
      return false;
  }
  return true;
}

// A hidden name beside `path` that no reader of a log folder takes for a log.
QString hiddenBeside(const QString& path, const QString& folder, const char* what) {
  return folder + QStringLiteral("/.") + QFileInfo(path).fileName() + QLatin1Char('.') +
         QLatin1String(what) + QLatin1Char('.') + QUuid::createUuid().toString(QUuid::Id128);
}

// What a move cut short leaves under a hidden name: an unfinished copy
// beside its destination, or a source whose copy is whole already.
void removeHiddenLeftovers(const DropboxManager::FileMoves& moves, const QString& folder) {
  static const QRegularExpression hidden(QStringLiteral("^\\..+\\.(copy|moved)\\.[0-9a-f]{32}$"));
  for (const QString& name : FileOperations::entryNames(folder, QStringLiteral("."))) {
    if (!hidden.match(name).hasMatch())
      continue;
    const QString path = folder + QLatin1Char('/') + name;
    platformLog(
        QStringLiteral("removing what an unfinished move of the log files left: %1").arg(path));
    moves.remove(path);
  }
}

// How long a quit waits for the package being moved.
constexpr auto kQuitWait = std::chrono::milliseconds(500);
// The alert names this many log files; the console names them all.
constexpr qsizetype kNamedInAlert = 20;

} // namespace

DropboxManager::~DropboxManager() {
  if (mover_)
    mover_->finish(TaskThread::Queued::Drop, std::chrono::milliseconds(0));
}

bool DropboxManager::runAwayFromTheWindow(const Moving& work) {
  struct Run {
    std::mutex mutex;
    QPointer<QEventLoop> loop;
    bool done = false;
    std::atomic_bool stop{false};
  };
  auto run = std::make_shared<Run>();
  if (!mover_)
    mover_ = std::make_unique<TaskThread>("dropbox-move");
  QEventLoop loop;
  run->loop = &loop;
  moving_ = true;
  mover_->post([run, work, moves = moves_] {
    work(moves, run->stop);
    const std::lock_guard<std::mutex> lock(run->mutex);
    run->done = true;
    if (run->loop)
      QMetaObject::invokeMethod(run->loop, &QEventLoop::quit, Qt::QueuedConnection);
  });
  // Without an event loop to go on with (no application, or another thread)
  // the caller simply waits.
  if (!QCoreApplication::instance() || QThread::currentThread() != qApp->thread())
    mover_->drain();
  else
    loop.exec(QEventLoop::ExcludeUserInputEvents);
  bool done = false;
  {
    const std::lock_guard<std::mutex> lock(run->mutex);
    run->loop = nullptr;
    done = run->done;
  }
  moving_ = false;
  if (done)
    return true;
  // A quit ended the loop: the move stops after the package under way,
  // waited for a moment, and is taken up again at the next start.
  run->stop = true;
  platformLog(QStringLiteral("the log files' move was cut short by the quit; it goes on at the "
                             "next start"));
  mover_->finish(TaskThread::Queued::Drop, kQuitWait);
  mover_.reset();
  return false;
}

QString DropboxManager::namedFailures(const QStringList& names, const QString& folder) {
  if (names.isEmpty())
    return {};
  platformLog(QStringLiteral("these log files were not moved and are still in %1: %2")
                  .arg(folder, names.join(QStringLiteral(", "))));
  QString text = QStringLiteral("These stayed in \u201c%1\u201d:\n%2")
                     .arg(folder, names.mid(0, kNamedInAlert).join(QLatin1Char('\n')));
  if (names.size() > kNamedInAlert)
    text += QStringLiteral("\nand %1 more").arg(names.size() - kNamedInAlert);
  return text;
}

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

DropboxManager::MoveOutcome DropboxManager::moveOne(const FileMoves& moves, const QString& from,
                                                    const QString& to) {
  MoveOutcome outcome;
  if (QFileInfo::exists(to) || QFileInfo(to).isSymLink()) {
    outcome.error = QStringLiteral("%1 exists already").arg(to);
    return outcome;
  }
  const QString toFolder = QFileInfo(to).absolutePath();
  if (moves.sameFileSystem(from, toFolder)) {
    if (moves.rename(from, to, &outcome.error))
      outcome.kind = MoveOutcome::Kind::Moved;
    return outcome;
  }
  // Across file systems: a hidden copy beside the destination, renamed in;
  // until then the source is untouched, and a failure removes the copy.
  const QString hidden = hiddenBeside(to, toFolder, "copy");
  if (!moves.copy(from, hidden, &outcome.error) || !moves.rename(hidden, to, &outcome.error)) {
    moves.remove(hidden);
    return outcome;
  }
  // The copy is complete and in place: from here it is never removed. The
  // source leaves its name first, so that what a failed removal leaves is
  // never taken for a log, then goes.
  const QString aside = hiddenBeside(from, QFileInfo(from).absolutePath(), "moved");
  QString reason;
  if (!moves.rename(from, aside, &reason)) {
    outcome.kind = MoveOutcome::Kind::CopiedSourceKept;
    outcome.leftover = from;
    outcome.error = QStringLiteral("%1 was copied but cannot be removed: %2").arg(from, reason);
    return outcome;
  }
  outcome.kind = MoveOutcome::Kind::Moved;
  if (!moves.remove(aside)) {
    outcome.leftover = aside;
    outcome.error = QStringLiteral("%1 was moved, but what is left of it at %2 cannot be removed")
                        .arg(from, aside);
  }
  return outcome;
}

DropboxManager::MoveResult DropboxManager::moveEntries(
    const FileMoves& moves, const QString& fromFolder, const QString& toFolder,
    const std::function<bool(const QString&)>& accept, const std::atomic_bool& stop) {
  removeHiddenLeftovers(moves, fromFolder);
  removeHiddenLeftovers(moves, toFolder);
  MoveResult result;
  // Every kind of entry, so that what cannot be moved is named.
  QStringList entries = FileOperations::entryNames(fromFolder);
  entries.sort();
  for (const QString& name : entries) {
    if (stop)
      break;
    if (name.startsWith(QLatin1Char('.')) || !accept(name))
      continue;
    const QString from = fromFolder + QLatin1Char('/') + name;
    const QString to = toFolder + QLatin1Char('/') + name;
    qn_log(QStringLiteral("move %1 to %2").arg(from, to));
    const MoveOutcome outcome = moveOne(moves, from, to);
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
