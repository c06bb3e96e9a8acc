#include "engine/UpgradeManager.h"

#include "engine/BackingStoreDescriptor.h"
#include "engine/BackingStoreManager.h"
#include "engine/EngineLog.h"
#include "engine/Logger.h"
#include "engine/MachineIdentifier.h"
#include "engine/SplicesUnderWay.h"
#include "platform/ConsoleText.h"
#include "platform/QnLog.h"
#include "platform/files/FileOperations.h"

namespace kr {

UpgradeManager& UpgradeManager::sharedInstance() {
  static UpgradeManager instance;
  return instance;
}

void UpgradeManager::upgradeEverything() {
  qn_log(QStringLiteral("UpgradeManager upgradeEverything [start]"));
  // Copies that a splice killed before it was done left in a day's package
  // (not those of another copy of the program that is splicing now).
  SplicesUnderWay::removeLeftovers();
  upgradeSystemLogs();
  qn_log(QStringLiteral("UpgradeManager upgradeEverything [end]"));
}

void UpgradeManager::upgradeSystemLogs() {
  qn_log(QStringLiteral("upgrading system logs"));
  const BackingStoreDescriptor& store = Logger::sharedLogger().systemLogBackingStoreDesc();
  upgradeLogFolder(store.folderPath(), store.root(),
                   BackingStoreManager::sharedManager().obtainMACAddress());
}

int UpgradeManager::upgradeLogFolder(const QString& folder, const QString& root,
                                     const QString& identifier) {
  // The readers accept only hex digits in the parentheses; a name carrying
  // anything else would never be read again.
  if (!MachineIdentifier::isHex(identifier)) {
    qCWarning(lcEngine).noquote()
        << QStringLiteral(
               "not renaming log files: the machine identifier \"%1\" is not hexadecimal")
               .arg(consoleSafe(identifier));
    return 0;
  }
  int renamed = 0;
  // Any order, and no entry examined: thousands of logs.
  const QStringList names = FileOperations::entryNames(folder, root);
  for (const QString& name : names) {
    if (name.contains(u')'))
      continue;
    const qsizetype dot = name.lastIndexOf(u'.');
    const bool hasExtension = dot > root.size() - 1 && dot > 0;
    const QString base = hasExtension ? name.left(dot) : name;
    const QString extension = hasExtension ? name.mid(dot) : QString();
    const QString oldPath = folder + u'/' + name;
    const QString newPath =
        folder + u'/' + base + QStringLiteral(" (%1)").arg(identifier) + extension;
    qn_log(QStringLiteral("renaming %1 to %2").arg(oldPath, newPath));
    QString error;
    if (!FileOperations::renameNoReplace(oldPath, newPath, &error)) {
      qCWarning(lcEngine).noquote()
          << consoleSafe(QStringLiteral("failed to migrate file: %1 (%2)").arg(oldPath, error));
      continue;
    }
    ++renamed;
  }
  return renamed;
}

} // namespace kr
