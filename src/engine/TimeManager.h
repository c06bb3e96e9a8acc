#pragma once

#include <QString>

namespace kr {

// Durations counted in quarter-second ticks (4 ticks a second).
class TimeManager {
public:
  static TimeManager& defaultManager();

  double convertTicksToSeconds(qint32 ticks) const;
  // Truncated toward zero; held to the 32-bit range.
  qint32 convertSecondsToTicks(double seconds) const;
  // "%d′" of the minutes within the hour.
  QString formatTimeInTicksWithOnlyMinutes(qint32 ticks) const;
  // "%02d:%02d" of whole minutes and seconds.
  QString formatTimeInTicksWithMinutesAndSeconds(qint32 ticks) const;
  // "%02d:%02d:%02d" of hours, minutes and seconds.
  QString formatTimeInTicks(qint32 ticks) const;

private:
  TimeManager() = default;
};

} // namespace kr
