#include "engine/BackingStoreManager.h"

#include "engine/BackingStoreDescriptor.h"
#include "engine/Clock.h"
#include "engine/EngineLog.h"
#include "engine/MachineIdentifier.h"
#include "engine/RTFHelper.h"
#include "platform/ConsoleText.h"
#include "platform/FatalError.h"
#include "platform/QnLog.h"
#include "platform/WorkAwayFromTheWindow.h"
#include "platform/files/FileOperations.h"
#include "platform/files/SupportPaths.h"
#include "platform/richtext/RichText.h"
#include "platform/richtext/RtfdPackage.h"
#include "platform/services/AlertPresenterAPI.h"
#include "platform/services/FileBrowserAPI.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QUuid>

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
  enum class Kind { Written, LinkRefused, Unreadable, WriteFailed };
  Kind kind = Kind::Written;
  QString path;
  QString reason;
  QString damage;                     // why a package was set aside
  QString aside;                      // where it went
  std::optional<WrittenFile> inPlace; // the text file, when the entry went in place
};

// The file work of an append, away from the window. Touches nothing but the
// files.
AppendOutcome performAppend(const RichText& entry, const QString& current, const QString& folder,
                            const QDateTime& now) {
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
  const RtfdPackage::InPlaceResult inPlace = RtfdPackage::appendInPlace(path, entry);
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
    qn_log(QStringLiteral("append: the day is written anew: %1").arg(inPlace.reason));
    break;
  }

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
  switch (outcome.kind) {
  case AppendOutcome::Kind::Written:
    return true;
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

QString BackingStoreManager::applicationSupportDirectory() const {
  return SupportPaths::supportFolder();
}

QString BackingStoreManager::createUUID() {
  return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
}

} // namespace kr
