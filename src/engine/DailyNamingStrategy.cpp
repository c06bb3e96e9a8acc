#include "engine/DailyNamingStrategy.h"

#include "engine/BackingStoreManager.h"

namespace kr {

QString DailyNamingStrategy::generateIDFor(const QDateTime& date, qint64) const {
  const QDate day = date.toLocalTime().date();
  return pathWithSuffix(
      QStringLiteral(" Day %1 (%2)")
          .arg(formatDay(day), BackingStoreManager::sharedManager().obtainMACAddress()));
}

} // namespace kr
