#include "engine/TimeManager.h"

#include <QChar>

#include <cmath>
#include <limits>

namespace kr {

TimeManager& TimeManager::defaultManager() {
  static TimeManager manager;
  return manager;
}

double TimeManager::convertTicksToSeconds(qint32 ticks) const { return ticks * 0.25; }

qint32 TimeManager::convertSecondsToTicks(double seconds) const {
  const double ticks = seconds * 4.0;
  if (!std::isfinite(ticks))
    return 0;
  if (ticks >= static_cast<double>(std::numeric_limits<qint32>::max()))
    return std::numeric_limits<qint32>::max();
  if (ticks <= static_cast<double>(std::numeric_limits<qint32>::min()))
    return std::numeric_limits<qint32>::min();
  return static_cast<qint32>(ticks);
}

QString TimeManager::formatTimeInTicksWithOnlyMinutes(qint32 ticks) const {
  return QString::number((ticks / 240) % 60) + QChar(0x2032);
}

QString TimeManager::formatTimeInTicksWithMinutesAndSeconds(qint32 ticks) const {
  return QString::asprintf("%02d:%02d", ticks / 240, (ticks / 4) % 60);
}

QString TimeManager::formatTimeInTicks(qint32 ticks) const {
  return QString::asprintf("%02d:%02d:%02d", ticks / 14400, (ticks / 240) % 60, (ticks / 4) % 60);
}

} // namespace kr
