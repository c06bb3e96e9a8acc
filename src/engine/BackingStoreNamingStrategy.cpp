#include "engine/BackingStoreNamingStrategy.h"

#include "engine/BackingStoreDescriptor.h"
#include "engine/BackingStoreManager.h"
#include "platform/FatalError.h"

namespace kr {

QString BackingStoreNamingStrategy::generateIDFor(const QDateTime&, qint64) const {
  KR_FATAL(QStringLiteral("backingstoredescriptor without naming strategy!"));
}

QString BackingStoreNamingStrategy::formatDay(const QDate& day) {
  return QString::asprintf("%03d-%02d-%02d", day.year(), day.month(), day.day());
}

QString BackingStoreNamingStrategy::pathWithSuffix(const QString& suffix) const {
  KR_ASSERT(descriptor_, QStringLiteral("naming strategy without a store"));
  return descriptor_->folderPath() + u'/' + descriptor_->root() + suffix + QStringLiteral(".rtfd");
}

bool BackingStoreNamingStrategy::ownsFileName(const QString&) const { return true; }

bool BackingStoreNamingStrategy::namedForThisMachine(const QString& fileName) {
  return fileName.endsWith(
      QStringLiteral(" (%1).rtfd").arg(BackingStoreManager::sharedManager().obtainMACAddress()));
}

} // namespace kr
