#include "engine/BackingStoreManager.h"

#include "engine/BackingStoreDescriptor.h"
#include "engine/Clock.h"
#include "engine/DayAppend.h"
#include "engine/EngineLog.h"
#include "engine/MachineIdentifier.h"
#include "platform/ConsoleText.h"
#include "platform/DetachedJob.h"
#include "platform/FatalError.h"
#include "platform/QnLog.h"
#include "platform/WorkAwayFromTheWindow.h"
#include "platform/files/FileLock.h"
#include "platform/files/FileOperations.h"
#include "platform/files/SupportPaths.h"
#include "platform/richtext/RichText.h"
#include "platform/richtext/RtfReader.h"
#include "platform/richtext/RtfdPackage.h"
#include "platform/services/AlertPresenterAPI.h"
#include "platform/services/FileBrowserAPI.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QUuid>

#include <sys/stat.h>

namespace kr {

BackingStoreManager& BackingStoreManager::sharedManager() {
  static BackingStoreManager instance; // thread-safe initialisation
  return instance;
}

QByteArray BackingStoreManager::loadTemplateDataFromBundle(const QString& name) const {
  QFile file(QStringLiteral(":/templates/%1.rtf").arg(name));
  // own-file: a template built into the program
  if (!file.open(QIODevice::ReadOnly))
    KR_FATAL(QStringLiteral("could not load now and later board template: '%1'").arg(name));
  return file.readAll();
}

QString BackingStoreManager::obtainMACAddress() {
  QMutexLocker locker(&mutex_);
  if (!machineIdentifier_)
    machineIdentifier_ = MachineIdentifier::compute();
  return *machineIdentifier_;
}

void BackingStoreManager::setMachineIdentifierForTesting(const QString& identifier) {
  QMutexLocker locker(&mutex_);
  if (identifier.isEmpty())
    machineIdentifier_.reset();
  else
    machineIdentifier_ = identifier;
}

QString BackingStoreManager::newFile(BackingStoreDescriptor& store) {
  const QString path = store.getPathToNewFile();
  store.index().refreshIndexFromDisk();
  return path;
}

void BackingStoreManager::removeSheetFromDescriptor(BackingStoreDescriptor& store,
                                                    const QString& path) {
  FileOperations::removePath(path);
  store.index().refreshIndexFromDisk();
}

QByteArray BackingStoreManager::contentOfSelectedFile(BackingStoreDescriptor& store) {
  const SelectedFile file = readSelectedFile(store);
  if (file.status != SelectedFile::Status::Ok)
    return {};
  return RtfdPackage::toData(file.text);
}

BackingStoreManager::SelectedFile
BackingStoreManager::readSelectedFile(BackingStoreDescriptor& store) {
  return readSheet(store.getPathToSelectedFile());
}

BackingStoreManager::SelectedFile BackingStoreManager::readSheet(const QString& path) {
  SelectedFile file;
  file.path = path;
  RtfdPackage::ReadResult result = RtfdPackage::read(file.path);
  if (result.status != RtfdPackage::Status::Ok) {
    file.status = SelectedFile::Status::Unreadable;
    file.error = result.status == RtfdPackage::Status::Missing
                     ? QStringLiteral("it does not exist and could not be created")
                     : result.error;
    return file;
  }
  file.text = std::move(result.text);
  if (!result.wellFormed) {
    file.status = SelectedFile::Status::Partial;
    file.error = QStringLiteral("its text ends before the document does");
  } else if (result.textAfterEnd) {
    // A save would keep only the document, and drop what follows it.
    file.status = SelectedFile::Status::Partial;
    file.error = QStringLiteral("text follows the end of its document");
  } else if (result.unkept != 0) {
    // A save would write the text without them.
    file.status = SelectedFile::Status::Unkept;
    QStringList names = RtfReader::unkeptNames(result.unkept);
    const QString last = names.takeLast();
    file.error = names.isEmpty()
                     ? last
                     : QStringLiteral("%1 and %2").arg(names.join(QLatin1String(", ")), last);
  }
  return file;
}

bool BackingStoreManager::write(const RichText& text, BackingStoreDescriptor& store,
                                QString* error) {
  return writeFile(text, store.getPathToSelectedFile(), store.folderPath(), error);
}

bool BackingStoreManager::writeFile(const RichText& text, const QString& path,
                                    const QString& folder, QString* error) {
  return writeSheet(path, folder, error,
                    [&](QString* reason) { return RtfdPackage::write(path, text, reason); });
}

bool BackingStoreManager::writeFile(const EncodedRichText& text, const QString& path,
                                    const QString& folder, QString* error) {
  return writeSheet(path, folder, error,
                    [&](QString* reason) { return RtfdPackage::write(path, text, reason); });
}

bool BackingStoreManager::writeFile(const std::shared_ptr<StreamedRichText>& text,
                                    const QString& path, const QString& folder, QString* error) {
  return writeSheet(path, folder, error,
                    [&](QString* reason) { return RtfdPackage::write(path, text, reason); });
}

bool BackingStoreManager::writeSheet(const QString& path, const QString& folder, QString* error,
                                     const std::function<bool(QString*)>& write) {
  QString reason;
  // One writer of the sheet at a time, also among copies of the program:
  // what one leaves behind while it writes is the other's to keep.
  FileLock lock(SupportPaths::packageLockFile(path));
  if (!lock.acquire(kSheetLockWait, &reason))
    reason = QStringLiteral("its lock file %1 %2").arg(lock.path(), reason);
  else if (BackingStoreDescriptor::ensureFolder(folder, &reason) && write(&reason))
    return true;
  qCWarning(lcEngine).noquote() << consoleSafe(
      QStringLiteral("could not write %1: %2").arg(path, reason));
  if (error)
    *error = reason;
  return false;
}

namespace {
bool failAppend(QString* error, const QString& reason) {
  qCWarning(lcEngine).noquote() << consoleSafe(
      QStringLiteral("append: toCurrentFile: %1").arg(reason));
  if (error)
    *error = reason;
  return false;
}

using AppendOutcome = DayAppend::Outcome;

// What the system said of a failed write, without the paths the message
// around it names: the text after its last ": " when that is no path ("No
// space left on device"), else the whole message.
QString systemReason(const QString& reason) {
  const qsizetype colon = reason.lastIndexOf(QLatin1String(": "));
  const QString tail = colon < 0 ? QString() : reason.mid(colon + 2).trimmed();
  QString said = tail.isEmpty() || tail.contains(QLatin1Char('/')) ? reason.trimmed() : tail;
  while (said.endsWith(QLatin1Char('.')))
    said.chop(1);
  return said;
}

} // namespace

// Tells the user and the console what the append did.
bool BackingStoreManager::reportAppend(const DayAppend::Outcome& outcome, const QString& folder,
                                       QString* error) {
  AlertPresenterAPI& alerts = AlertPresenterAPI::shared();
  // A read-only day is told once: its next entries go beside it quietly,
  // until it takes one again.
  if (!outcome.readOnly && outcome.kind == AppendOutcome::Kind::Written)
    toldReadOnly_.remove(outcome.path);
  if (outcome.readOnly && !toldReadOnly_.contains(outcome.path)) {
    toldReadOnly_.insert(outcome.path);
    qCWarning(lcEngine).noquote() << consoleSafe(
        QStringLiteral("the log file %1 is read-only; it is left as it is, and its entries go "
                       "to %2")
            .arg(outcome.path, outcome.writtenAside));
    alerts.runModal({QStringLiteral("Today's log file is read-only."),
                     QStringLiteral("Korvane-R leaves \"%1\" as it is, as it is read-only. This "
                                    "entry, and the day's next ones while it stays so, are "
                                    "written beside it, to \"%2\", which the statistics and "
                                    "the log book read too.")
                         .arg(outcome.path, outcome.writtenAside),
                     {QStringLiteral("OK")}});
  } else if (outcome.readOnly) {
    qn_log(QStringLiteral("the log file %1 is read-only; the entry went to %2")
               .arg(outcome.path, outcome.writtenAside));
  }
  if (!outcome.aside.isEmpty()) {
    qCWarning(lcEngine).noquote() << consoleSafe(
        QStringLiteral("the log file %1 cannot be read (%2); it was moved unchanged to %3")
            .arg(outcome.path, outcome.damage, outcome.aside));
    alerts.runModal({QStringLiteral("A damaged log file was set aside"),
                     QStringLiteral("Today's log file \"%1\" could not be read (%2). It was moved, "
                                    "unchanged, to \"%3\", and this entry starts a new log file "
                                    "in its place.")
                         .arg(outcome.path, outcome.damage, outcome.aside),
                     {QStringLiteral("OK")}});
  }
  if (!outcome.writtenAside.isEmpty() && !outcome.readOnly)
    qCWarning(lcEngine).noquote() << consoleSafe(
        QStringLiteral("the log file %1 was left as it is (%2); the entry went to %3")
            .arg(outcome.path, outcome.damage, outcome.writtenAside));
  switch (outcome.kind) {
  case AppendOutcome::Kind::Written:
    return true;
  case AppendOutcome::Kind::Cancelled:
    return failAppend(error, QStringLiteral("the program quit while the entry was written"));
  case AppendOutcome::Kind::LinkRefused:
    alerts.runModal({QStringLiteral("Could not write to the log file!"),
                     QStringLiteral("Today's log file is a link that cannot be followed: %1. It "
                                    "was left as it is and this entry was not written.")
                         .arg(outcome.reason),
                     {QStringLiteral("OK")}});
    return failAppend(error, outcome.reason + QStringLiteral("; the entry was not written"));
  case AppendOutcome::Kind::Unreadable:
    alerts.runModal({QStringLiteral("Could not read the log file!"),
                     QStringLiteral("Today's log file \"%1\" exists but cannot be read. It was "
                                    "left as it is and this entry was not added to it.")
                         .arg(outcome.path),
                     {QStringLiteral("OK")}});
    return failAppend(error, QStringLiteral("the log file %1 cannot be read (%2) nor set aside "
                                            "(%3); the entry was not written")
                                 .arg(outcome.path, outcome.damage, outcome.reason));
  case AppendOutcome::Kind::LockUnavailable:
    alerts.runModal({QStringLiteral("Could not write to the log file!"),
                     QStringLiteral("Korvane-R did not write today's log file \"%1\", as %2: "
                                    "two programs writing it at once would lose entries. This "
                                    "entry was not written; you can log it again.")
                         .arg(outcome.path, outcome.reason),
                     {QStringLiteral("OK")}});
    return failAppend(error, outcome.reason + QStringLiteral("; the entry was not written"));
  case AppendOutcome::Kind::WriteFailed:
    break;
  }
  // Show the folder, or the nearest one that exists when it is missing; the
  // alert says where it is all the same.
  const QString shown = QFileInfo(folder).isDir() ? folder : QFileInfo(folder).path();
  QString advice =
      QStringLiteral("Please use the file manager's properties to check that you have "
                     "sufficient access privileges to write to the folder that just opened. "
                     "You should have read and write access.");
  // Opened quietly: this alert names the folder, in case nothing can show it.
  FileBrowserAPI::shared().openFolderQuietly(shown);
  advice += QStringLiteral("\n\nThe folder is \"%1\".").arg(folder);
  if (const QString said = systemReason(outcome.reason); !said.isEmpty())
    advice += QStringLiteral(" The system gave this reason: %1.").arg(said);
  alerts.runModal(
      {QStringLiteral("Could not write to log file folder!"), advice, {QStringLiteral("OK")}});
  return failAppend(error,
                    QStringLiteral("could not write %1: %2").arg(outcome.path, outcome.reason));
}

bool BackingStoreManager::append(const RichText& entry, BackingStoreDescriptor& store,
                                 QString* error, std::optional<OwnAppend>* added) {
  return appendHolding(entry, store, error, added, nullptr);
}

bool BackingStoreManager::appendHolding(const RichText& entry, BackingStoreDescriptor& store,
                                        QString* error, std::optional<OwnAppend>* added,
                                        DayAppend::SharedLock* held) {
  if (added)
    added->reset();
  qn_log(QStringLiteral("append: toCurrentFile: [start]"));
  const QString current = store.getPathToCurrentFile();
  qn_log(QStringLiteral("appending to current file path: %1").arg(current));
  const QString folder = store.folderPath();
  const QDateTime now = Clock::nowAsDate();
  // A large day takes a while to write: the window keeps drawing meanwhile.
  AppendOutcome outcome;
  WorkAwayFromTheWindow::run(
      [&] { outcome = DayAppend::perform(entry, current, folder, now, nullptr, held, lockWait_); });
  if (!reportAppend(outcome, folder, error))
    return false;
  // Only where the package is the store's own (not a link to elsewhere) is
  // the day that a reload reads the one written.
  if (added && outcome.inPlace && outcome.path == current)
    *added = OwnAppend{current, entry, *outcome.inPlace};
  qn_log(QStringLiteral("append: toCurrentFile: [end]"));
  return true;
}

// An append under way on its worker, and who writes its entry.
struct BackingStoreManager::PendingAppend {
  explicit PendingAppend(AppendHandover::Hook hook) : handover(std::move(hook)) {}
  RichText entry;
  QString current;
  QString folder;
  std::chrono::milliseconds lockWait{DayAppend::kLockWait};
  AppendHandover handover;
  DayAppend::SharedLock lock;
  std::shared_ptr<DetachedJob> job;
};

bool BackingStoreManager::isAppending() const { return pending_ != nullptr; }

bool BackingStoreManager::appendLater(const RichText& entry, BackingStoreDescriptor& store,
                                      QObject* context, AppendDone done) {
  if (pending_) {
    failAppend(nullptr, QStringLiteral("an entry is still being written"));
    done(false, std::nullopt);
    return false;
  }
  const QString current = store.getPathToCurrentFile();
  struct stat info {};
  const QByteArray text = QFile::encodeName(current + QStringLiteral("/TXT.rtf"));
  if (::stat(text.constData(), &info) != 0 || info.st_size <= backgroundBytes_) {
    // A small day is written at once, under its lock had at once; a day
    // that is a link that cannot be followed is refused at once. Only the
    // wait for another writer of the day goes to the worker.
    DayAppend::SharedLock held;
    const std::optional<QString> package = RtfdPackage::resolvePackageLink(current);
    QString why;
    if (!package || held.lock.emplace(SupportPaths::packageLockFile(*package))
                        .acquire(std::chrono::milliseconds(0), &why)) {
      std::optional<OwnAppend> added;
      const bool written = appendHolding(entry, store, nullptr, &added, &held);
      done(written, added);
      return false;
    }
    held.lock.reset();
    qn_log(QStringLiteral("append: the day's lock %1 %2; waited for on a worker")
               .arg(SupportPaths::packageLockFile(*package), why));
  }
  qn_log(QStringLiteral("append: toCurrentFile: [start, on a worker]"));
  auto pending = std::make_shared<PendingAppend>(appendHook_);
  pending->entry = entry;
  pending->current = current;
  pending->folder = store.folderPath();
  pending->lockWait = lockWait_;
  pending_ = pending;
  const QDateTime now = Clock::nowAsDate();
  QPointer<QObject> guard(context);
  // Handed back to the application, which outlives every receiver: the
  // receiver may go while the worker still runs, and is looked at on the
  // window's thread only. A quit lets go of the job first.
  pending->job = DetachedJob::start(
      QCoreApplication::instance(), "logFileWriter",
      [this, append = pending, now, guard, done = std::move(done)](DetachedJob& job) mutable {
        const AppendOutcome outcome =
            DayAppend::perform(append->entry, append->current, append->folder, now,
                               &append->handover, &append->lock, append->lockWait);
        job.handBack([this, append, guard, outcome, done = std::move(done)] {
          if (pending_ == append)
            pending_.reset();
          if (!guard)
            return;
          const bool written = reportAppend(outcome, append->folder, nullptr);
          std::optional<OwnAppend> added;
          if (written && outcome.inPlace && outcome.path == append->current)
            added = OwnAppend{append->current, append->entry, *outcome.inPlace};
          qn_log(QStringLiteral("append: toCurrentFile: [end, on a worker]"));
          done(written, added);
        });
        append->handover.finish(outcome.kind == AppendOutcome::Kind::Written);
      });
  return true;
}

void BackingStoreManager::finishAppendsAtQuit(int waitMilliseconds) {
  const std::shared_ptr<PendingAppend> pending = std::exchange(pending_, nullptr);
  if (!pending)
    return;
  const bool taken = pending->handover.takeAtQuit(std::chrono::milliseconds(waitMilliseconds));
  // Nothing of the append is told after the quit.
  pending->job->release();
  if (!taken)
    return;
  const std::optional<QString> package = RtfdPackage::resolvePackageLink(pending->current);
  const QString path = package.value_or(pending->current);
  // The entry goes beside the day, which is quick, under the day's lock:
  // the worker's, or taken now unless another writer of the day holds it.
  // Without it, the entry takes a new package of its own.
  const std::lock_guard guard(pending->lock.mutex);
  std::optional<FileLock>& lock = pending->lock.lock;
  if (!lock)
    lock.emplace(SupportPaths::packageLockFile(path));
  QString reason;
  const bool locked = lock->isHeld() || lock->acquire(std::chrono::milliseconds(0), &reason);
  // The worker writes nothing more: its copy, should it still be there, never
  // replaces the day, and goes now, in case the program ends first.
  if (locked)
    RtfdPackage::removeSpliceCopies(path);
  if (const std::optional<QString> aside =
          DayAppend::writeAside(pending->entry, path, pending->folder, &reason, locked))
    qCWarning(lcEngine).noquote() << consoleSafe(
        QStringLiteral("the program quit while the entry was added to %1, which was left as it "
                       "is; the entry went to %2")
            .arg(path, *aside));
  else
    failAppend(nullptr, QStringLiteral("the program quit while the entry was added to %1, and it "
                                       "could not be written beside it either: %2")
                            .arg(path, reason));
  lock->release();
}

void BackingStoreManager::setAppendHookForTesting(AppendHandover::Hook hook) {
  appendHook_ = std::move(hook);
}

QString BackingStoreManager::applicationSupportDirectory() const {
  return SupportPaths::supportFolder();
}

QString BackingStoreManager::createUUID() {
  return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
}

} // namespace kr
