#include "engine/WeeklyNamingStrategy.h"
#include "platform/LocalTimeZone.h"

#include "engine/BackingStoreManager.h"

namespace kr {

QString WeeklyNamingStrategy::generateIDFor(const QDateTime& date, qint64) const {
  const QDate day = LocalTimeZone::toLocal(date).date();
  const QDate monday = day.addDays(1 - day.dayOfWeek());
  return pathWithSuffix(
      QStringLiteral(" Week starting %1 (%2)")
          .arg(formatDay(monday), BackingStoreManager::sharedManager().obtainMACAddress()));
}

} // namespace kr
