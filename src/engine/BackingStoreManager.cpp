#include "engine/BackingStoreManager.h"

#include "engine/BackingStoreDescriptor.h"
#include "engine/EngineLog.h"
#include "engine/MachineIdentifier.h"
#include "engine/RTFHelper.h"
#include "platform/AlertPresenterAPI.h"
#include "platform/FatalError.h"
#include "platform/FileBrowserAPI.h"
#include "platform/FileOperations.h"
#include "platform/QnLog.h"
#include "platform/RichText.h"
#include "platform/RtfReader.h"
#include "platform/RtfdPackage.h"
#include "platform/SupportPaths.h"

#include <QFile>
#include <QFileInfo>
#include <QUuid>

namespace kr {

BackingStoreManager& BackingStoreManager::sharedManager() {
  static BackingStoreManager instance; // thread-safe initialisation
  return instance;
}

QByteArray BackingStoreManager::loadTemplateDataFromBundle(const QString& name) const {
  QFile file(QStringLiteral(":/templates/%1.rtf").arg(name));
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
  return RTFHelper::sharedInstance().rtfdDataFromFile(store.getPathToSelectedFile());
}

bool BackingStoreManager::write(const RichText& text, BackingStoreDescriptor& store,
                                QString* error) {
  const QString path = store.getPathToSelectedFile();
  QString reason;
  if (!BackingStoreDescriptor::ensureFolder(store.folderPath(), &reason) ||
      !RtfdPackage::write(path, text, &reason)) {
    qCWarning(lcEngine).noquote() << QStringLiteral("could not write %1: %2").arg(path, reason);
    if (error)
      *error = reason;
    return false;
  }
  return true;
}

namespace {
// A damaged text (cut off, braces out of balance) still reads, but only in
// part: rewriting it would drop the rest.
bool isWholeDocument(const QString& package) {
  QFile file(package + u'/' + QString::fromLatin1(RtfdPackage::kTextFileName));
  return file.open(QIODevice::ReadOnly) && RtfReader::read(file.readAll()).wellFormed;
}

bool failAppend(QString* error, const QString& reason) {
  qCWarning(lcEngine).noquote() << QStringLiteral("append: toCurrentFile: %1").arg(reason);
  if (error)
    *error = reason;
  return false;
}
} // namespace

bool BackingStoreManager::append(const RichText& entry, BackingStoreDescriptor& store,
                                 QString* error) {
  qn_log(QStringLiteral("append: toCurrentFile: [start]"));
  const QString path = store.getPathToCurrentFile();
  qn_log(QStringLiteral("appending to current file path: %1").arg(path));
  const QString folder = store.folderPath();

  // Only a file that is not there counts as empty: one that is there but
  // cannot be read is left exactly as it is.
  RtfdPackage::ReadResult existing = RtfdPackage::read(path);
  if (existing.status == RtfdPackage::Status::Ok && !isWholeDocument(path)) {
    existing.status = RtfdPackage::Status::Unreadable;
    existing.error = QStringLiteral("its text ends before the document does");
  }
  if (existing.status == RtfdPackage::Status::Unreadable) {
    const QString reason =
        QStringLiteral("the log file %1 cannot be read (%2); it was left unchanged and the entry "
                       "was not written")
            .arg(path, existing.error);
    AlertPresenterAPI::shared().runModal(
        {QStringLiteral("Could not read the log file!"),
         QStringLiteral("Today's log file \"%1\" exists but cannot be read. It was left as it is "
                        "and this entry was not added to it.")
             .arg(path),
         {QStringLiteral("OK")}});
    return failAppend(error, reason);
  }

  RichText content = existing.text;
  content.append(entry);
  QString reason;
  if (!BackingStoreDescriptor::ensureFolder(folder, &reason) ||
      !RtfdPackage::write(path, content, &reason)) {
    // Show the folder, or the nearest one that exists when it is missing; where
    // nothing can show it, the alert says where it is.
    const QString shown = QFileInfo(folder).isDir() ? folder : QFileInfo(folder).path();
    QString advice =
        QStringLiteral("Please use 'File' -> 'Get Info' in the 'Finder' to check that you have "
                       "sufficient access privileges to write to the folder that just opened. "
                       "You should have read and write access.");
    if (!FileBrowserAPI::shared().openFolder(shown))
      advice += QStringLiteral("\n\nThe folder is \"%1\".").arg(folder);
    AlertPresenterAPI::shared().runModal(
        {QStringLiteral("Could not write to log file folder!"), advice, {QStringLiteral("OK")}});
    return failAppend(error, QStringLiteral("could not write %1: %2").arg(path, reason));
  }
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
