#include "engine/BackingStoreManager.h"

#include "engine/BackingStoreDescriptor.h"
#include "engine/MachineIdentifier.h"
#include "platform/FatalError.h"
#include "platform/FileOperations.h"
#include "platform/SupportPaths.h"

#include <QFile>
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

QString BackingStoreManager::applicationSupportDirectory() const {
  return SupportPaths::supportFolder();
}

QString BackingStoreManager::createUUID() {
  return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
}

} // namespace kr
