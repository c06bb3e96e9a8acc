#include "engine/DailyNamingStrategy.h"
#include "platform/LocalTimeZone.h"

#include "engine/BackingStoreManager.h"

namespace kr {

QString DailyNamingStrategy::generateIDFor(const QDateTime& date, qint64) const {
  const QDate day = LocalTimeZone::toLocal(date).date();
  return pathWithSuffix(
      QStringLiteral(" Day %1 (%2)")
          .arg(formatDay(day), BackingStoreManager::sharedManager().obtainMACAddress()));
}

} // namespace kr
