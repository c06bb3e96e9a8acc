#include "engine/BackingStoreManager.h"

#include "platform/richtext/RtfReader.h"

#include "engine/BackingStoreDescriptor.h"
#include "engine/Clock.h"
#include "engine/EngineLog.h"
#include "engine/LogFile.h"
#include "engine/MachineIdentifier.h"
#include "engine/RTFHelper.h"
#include "platform/ConsoleText.h"
#include "platform/FatalError.h"
#include "platform/QnLog.h"
#include "platform/WorkAwayFromTheWindow.h"
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
#include <QLocale>
#include <QPointer>
#include <QUuid>

#include <condition_variable>
#include <mutex>
#include <sys/stat.h>
#include <thread>

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
  if (!BackingStoreDescriptor::ensureFolder(folder, &reason) || !write(&reason)) {
    qCWarning(lcEngine).noquote() << consoleSafe(
        QStringLiteral("could not write %1: %2").arg(path, reason));
    if (error)
      *error = reason;
    return false;
  }
  return true;
}

namespace {
bool failAppend(QString* error, const QString& reason) {
  qCWarning(lcEngine).noquote() << consoleSafe(
      QStringLiteral("append: toCurrentFile: %1").arg(reason));
  if (error)
    *error = reason;
  return false;
}

// Beside the package, under a name the log readers do not take for a log:
// "System Log Day 2026-12-07 (a1b2c3) (damaged 2026-12-07 10.15.02).rtfd".
std::optional<QString> setAside(const QString& path, const QDateTime& now, QString* error) {
  QString base = path;
  if (base.endsWith(QStringLiteral(".rtfd")))
    base.chop(5);
  base += QStringLiteral(" (damaged %1")
              .arg(QLocale::c().toString(now.toLocalTime(), QStringLiteral("yyyy-MM-dd HH.mm.ss")));
  for (int n = 1; n < 100; ++n) {
    const QString aside =
        base + (n == 1 ? QString() : QStringLiteral(" %1").arg(n)) + QStringLiteral(").rtfd");
    if (FileOperations::renameNoReplace(path, aside, error))
      return aside;
    if (!QFileInfo::exists(aside) && !QFileInfo(aside).isSymLink())
      return std::nullopt;
  }
  return std::nullopt;
}

// What an append did, found on the worker and told on the window's thread.
struct AppendOutcome {
  enum class Kind { Written, LinkRefused, Unreadable, WriteFailed, Cancelled };
  Kind kind = Kind::Written;
  QString path;
  QString reason;
  QString damage;                     // why a package was set aside
  QString aside;                      // where it went
  std::optional<WrittenFile> inPlace; // the text file, when the entry went in place
  QString writtenAside;               // where the entry went instead of the day
};

// Puts the entry into a package beside the day, which the log readers read
// as a day too, leaving the day as it is: the first of "... (written
// aside).rtfd", "(written aside 2)" and on that is missing or takes the
// entry in place. Small and quick: the entry alone is written.
std::optional<QString> writeAside(const RichText& entry, const QString& path, const QString& folder,
                                  QString* reason) {
  if (!BackingStoreDescriptor::ensureFolder(folder, reason))
    return std::nullopt;
  for (int n = 1; n < 100; ++n) {
    const QString aside = LogFile::writtenAsidePath(path, n);
    if (!QFileInfo::exists(aside) && !QFileInfo(aside).isSymLink())
      return RtfdPackage::write(aside, entry, reason) ? std::optional<QString>(aside)
                                                      : std::nullopt;
    if (RtfdPackage::appendInPlace(aside, entry).outcome ==
        RtfdPackage::InPlaceResult::Outcome::Appended)
      return aside;
  }
  *reason = QStringLiteral("no package beside the day takes it");
  return std::nullopt;
}

// A day of another program's style up to this size is read and written
// anew, as this program writes days, when that loses nothing; the next
// entries then go in place.
constexpr qint64 kRewrittenDayBytes = 1024 * 1024;

// The file work of an append, away from the window. Touches nothing but the
// files.
AppendOutcome performAppend(const RichText& entry, const QString& current, const QString& folder,
                            const QDateTime& now, const std::atomic<bool>* cancel = nullptr,
                            const std::function<bool()>& mayFinish = {}) {
  AppendOutcome outcome;
  // A link to a package is written through; one that leads elsewhere is
  // left as it is.
  const std::optional<QString> resolved = RtfdPackage::resolvePackageLink(current, &outcome.reason);
  if (!resolved) {
    outcome.kind = AppendOutcome::Kind::LinkRefused;
    return outcome;
  }
  outcome.path = *resolved;
  const QString& path = outcome.path;
  const QString name = QFileInfo(path).fileName();
  RtfdPackage::recoverLeftoversIn(QFileInfo(path).absolutePath(),
                                  [&name](const QString& owner) { return owner == name; });

  // A day this program wrote takes the entry at the end of its text, in
  // place, however large it is: the text is checked as it is read once and
  // nothing else is read or written. Any other day, and one where that
  // failed, is read in full and written anew below.
  const RtfdPackage::InPlaceResult inPlace = RtfdPackage::appendInPlace(path, entry, mayFinish);
  switch (inPlace.outcome) {
  case RtfdPackage::InPlaceResult::Outcome::Appended:
    outcome.inPlace = inPlace.written;
    if (!inPlace.reason.isEmpty())
      qCWarning(lcEngine).noquote()
          << consoleSafe(QStringLiteral("append: %1: %2").arg(path, inPlace.reason));
    return outcome;
  case RtfdPackage::InPlaceResult::Outcome::Failed:
    qCWarning(lcEngine).noquote() << consoleSafe(
        QStringLiteral("append: could not add the entry at the end of %1 (%2); the "
                       "day is written anew")
            .arg(path, inPlace.reason));
    break;
  case RtfdPackage::InPlaceResult::Outcome::Declined:
    qn_log(QStringLiteral("append: not in place: %1").arg(inPlace.reason));
    break;
  }
  auto cancelled = [cancel] { return cancel && cancel->load(); };
  if (cancelled()) {
    outcome.kind = AppendOutcome::Kind::Cancelled;
    return outcome;
  }

  // A day in another program's style keeps every byte it holds (pictures,
  // tables, what this program cannot write) and takes the entry at the end
  // of its text, copied a block at a time into a file that replaces it:
  // a large day always, for it is never held in memory whole; a small one
  // when writing it anew would lose something. True when the entry is in
  // the day or `outcome` says why not.
  auto splice = [&]() {
    const RtfdPackage::InPlaceResult spliced =
        RtfdPackage::appendBySplice(path, entry, cancel, mayFinish);
    if (spliced.outcome == RtfdPackage::InPlaceResult::Outcome::Appended) {
      outcome.inPlace = spliced.written;
      return true;
    }
    if (cancelled()) {
      outcome.kind = AppendOutcome::Kind::Cancelled;
      return true;
    }
    if (spliced.outcome == RtfdPackage::InPlaceResult::Outcome::Failed) {
      outcome.reason = spliced.reason;
      outcome.kind = AppendOutcome::Kind::WriteFailed;
      return true;
    }
    qn_log(QStringLiteral("append: the entry cannot be spliced in: %1").arg(spliced.reason));
    return false;
  };
  QFileInfo text(path + QStringLiteral("/TXT.rtf"));
  const bool large = text.isFile() && text.size() > kRewrittenDayBytes;
  if (large && splice())
    return outcome;

  // Only a file that is not there counts as empty. One that is there but
  // cannot be read in full is never overwritten: it is set aside as it
  // stands, and the entry starts a new package in its place. The text is
  // read once and the attachment files not at all: the write carries every
  // file it does not change over as it is.
  RtfdPackage::ReadResult existing = RtfdPackage::read(path, false);
  if (existing.status == RtfdPackage::Status::Ok && !existing.wellFormed) {
    existing.status = RtfdPackage::Status::Unreadable;
    existing.error = QStringLiteral("its text ends before the document does");
  }
  if (existing.status == RtfdPackage::Status::Unreadable) {
    outcome.damage = existing.error;
    const std::optional<QString> aside = setAside(path, now, &outcome.reason);
    if (!aside) {
      outcome.kind = AppendOutcome::Kind::Unreadable;
      return outcome;
    }
    outcome.aside = *aside;
    existing = RtfdPackage::ReadResult();
  }

  // A day that holds what the writer cannot keep is never written again
  // without it: where the entry cannot be spliced in, the day stays as it
  // is, and the entry goes beside it. (Text after the end of a day that
  // holds nothing else is what an append cut short left: the reader never
  // showed it, and the day is written anew without it.)
  // Pictures in the text itself would be moved into files of their own by
  // a new write: they stay where they are, too.
  const auto picturesInText = [&] {
    const QStringList names = existing.text.attachmentNames();
    return std::any_of(names.begin(), names.end(), [&](const QString& name) {
      return !QFileInfo::exists(path + QLatin1Char('/') + name);
    });
  };
  const bool unkept =
      existing.status == RtfdPackage::Status::Ok && (existing.unkept != 0 || picturesInText());
  if (unkept && !large && splice())
    return outcome;
  if (unkept) {
    const QString why =
        existing.unkept == 0
            ? QStringLiteral("it holds pictures in its text")
            : QStringLiteral("it holds %1")
                  .arg(RtfReader::unkeptNames(existing.unkept).join(QStringLiteral(", ")));
    const std::optional<QString> aside = writeAside(entry, path, folder, &outcome.reason);
    if (!aside) {
      outcome.kind = AppendOutcome::Kind::WriteFailed;
      return outcome;
    }
    outcome.writtenAside = *aside;
    outcome.damage = why;
    return outcome;
  }
  if (cancelled()) {
    outcome.kind = AppendOutcome::Kind::Cancelled;
    return outcome;
  }
  // The new text holds every attachment name of the old one, which is all
  // the write needs of the old text: it is moved, not copied.
  RichText content = std::move(existing.text);
  content.append(entry);
  if (!BackingStoreDescriptor::ensureFolder(folder, &outcome.reason) ||
      !RtfdPackage::write(path, content, existing, &outcome.reason))
    outcome.kind = AppendOutcome::Kind::WriteFailed;
  return outcome;
}

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

// Tells the user and the console what the append did.
bool reportAppend(const AppendOutcome& outcome, const QString& folder, QString* error) {
  AlertPresenterAPI& alerts = AlertPresenterAPI::shared();
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
  if (!outcome.writtenAside.isEmpty())
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
} // namespace

bool BackingStoreManager::append(const RichText& entry, BackingStoreDescriptor& store,
                                 QString* error, std::optional<OwnAppend>* added) {
  if (added)
    added->reset();
  qn_log(QStringLiteral("append: toCurrentFile: [start]"));
  const QString current = store.getPathToCurrentFile();
  qn_log(QStringLiteral("appending to current file path: %1").arg(current));
  const QString folder = store.folderPath();
  const QDateTime now = Clock::nowAsDate();
  // A large day takes a while to write: the window keeps drawing meanwhile.
  AppendOutcome outcome;
  WorkAwayFromTheWindow::run([&] { outcome = performAppend(entry, current, folder, now); });
  if (!reportAppend(outcome, folder, error))
    return false;
  // Only where the package is the store's own (not a link to elsewhere) is
  // the day that a reload reads the one written.
  if (added && outcome.inPlace && outcome.path == current)
    *added = OwnAppend{current, entry, *outcome.inPlace};
  qn_log(QStringLiteral("append: toCurrentFile: [end]"));
  return true;
}

// An append under way on its worker. The worker's new file replaces the
// day only while the quit has not taken the entry, and the quit takes it
// only while the worker's file has not replaced the day.
struct BackingStoreManager::PendingAppend {
  RichText entry;
  QString current;
  QString folder;
  std::atomic<bool> cancel{false};
  std::mutex mutex;
  std::condition_variable finishedChanged;
  bool landed = false; // the worker's write is the one that holds the entry
  bool takenByQuit = false;
  bool finished = false;
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
    std::optional<OwnAppend> added;
    const bool written = append(entry, store, nullptr, &added);
    done(written, added);
    return false;
  }
  qn_log(QStringLiteral("append: toCurrentFile: [start, on a worker]"));
  auto pending = std::make_shared<PendingAppend>();
  pending->entry = entry;
  pending->current = current;
  pending->folder = store.folderPath();
  pending_ = pending;
  const QDateTime now = Clock::nowAsDate();
  QPointer<QObject> guard(context);
  std::thread([this, pending, now, guard, done = std::move(done)]() mutable {
    const auto mayFinish = [pending] {
      std::lock_guard lock(pending->mutex);
      if (pending->takenByQuit)
        return false;
      pending->landed = true;
      return true;
    };
    AppendOutcome outcome = performAppend(pending->entry, pending->current, pending->folder, now,
                                          &pending->cancel, mayFinish);
    {
      std::lock_guard lock(pending->mutex);
      if (outcome.kind == AppendOutcome::Kind::Written)
        pending->landed = true;
      pending->finished = true;
    }
    pending->finishedChanged.notify_all();
    // Handed to the application, which outlives every receiver: the
    // receiver may go while this thread still runs, and is looked at on the
    // window's thread only.
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
      return;
    QMetaObject::invokeMethod(
        app,
        [this, pending, guard, outcome = std::move(outcome), done = std::move(done)] {
          if (pending_ == pending)
            pending_.reset();
          if (pending->takenByQuit || !guard)
            return;
          const bool written = reportAppend(outcome, pending->folder, nullptr);
          std::optional<OwnAppend> added;
          if (written && outcome.inPlace && outcome.path == pending->current)
            added = OwnAppend{pending->current, pending->entry, *outcome.inPlace};
          qn_log(QStringLiteral("append: toCurrentFile: [end, on a worker]"));
          done(written, added);
        },
        Qt::QueuedConnection);
  }).detach();
  return true;
}

void BackingStoreManager::finishAppendsAtQuit(int waitMilliseconds) {
  const std::shared_ptr<PendingAppend> pending = std::exchange(pending_, nullptr);
  if (!pending)
    return;
  pending->cancel = true;
  {
    std::unique_lock lock(pending->mutex);
    pending->finishedChanged.wait_for(lock, std::chrono::milliseconds(waitMilliseconds),
                                      [&] { return pending->finished; });
    if (pending->landed)
      return;
    pending->takenByQuit = true;
  }
  // Whatever the worker still does, its copy never replaces the day now: a
  // copy it has not removed yet goes here, in case the program ends first.
  const std::optional<QString> package = RtfdPackage::resolvePackageLink(pending->current);
  QFile::remove(package.value_or(pending->current) + QLatin1Char('/') +
                QLatin1String(RtfdPackage::kSpliceFileName));
  // The worker stops at its next block and removes its file; the day was
  // never replaced. The entry goes beside the day, which is quick.
  QString reason;
  const QString path = package.value_or(pending->current);
  if (const std::optional<QString> aside =
          writeAside(pending->entry, path, pending->folder, &reason))
    qCWarning(lcEngine).noquote() << consoleSafe(
        QStringLiteral("the program quit while the entry was added to %1, which was left as it "
                       "is; the entry went to %2")
            .arg(path, *aside));
  else
    failAppend(nullptr, QStringLiteral("the program quit while the entry was added to %1, and it "
                                       "could not be written beside it either: %2")
                            .arg(path, reason));
}

QString BackingStoreManager::applicationSupportDirectory() const {
  return SupportPaths::supportFolder();
}

QString BackingStoreManager::createUUID() {
  return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
}

} // namespace kr
