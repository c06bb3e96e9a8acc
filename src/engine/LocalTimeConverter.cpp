#include "engine/LocalTimeConverter.h"

#include <limits>

namespace kr {

namespace {
constexpr qint64 kDayMSecs = 86400000;
// Well beyond any offset or offset change, so that a local time converted by
// the remembered offset can have no other reading in the zone.
constexpr qint64 kMargin = 2 * kDayMSecs;
constexpr qint64 kFar = std::numeric_limits<qint64>::max() / 4;
constexpr qint64 kUnixEpochJulianDay = 2440588;
} // namespace

LocalTimeConverter::LocalTimeConverter(QTimeZone zone) : zone_(std::move(zone)) {}

QDateTime LocalTimeConverter::dateTime(QDate date, QTime time) {
  if (known_ && date.isValid() && time.isValid()) {
    const qint64 days = date.toJulianDay() - kUnixEpochJulianDay;
    if (days > -kFar / kDayMSecs && days < kFar / kDayMSecs) {
      const qint64 utc = days * kDayMSecs + time.msecsSinceStartOfDay() - offsetMSecs_;
      // Times before 1970 keep the full conversion: Qt treats them apart.
      if (utc >= kMargin && utc - offsetFromUntil_[0] >= kMargin &&
          offsetFromUntil_[1] - utc > kMargin)
        return QDateTime::fromMSecsSinceEpoch(utc, zone_);
    }
  }
  QDateTime result(date, time, zone_);
  if (!result.isValid() || !zone_.isValid())
    return result;
  const qint64 utc = result.toMSecsSinceEpoch();
  // The changes strictly after and at or before the instant bound the stretch.
  const QTimeZone::OffsetData next = zone_.nextTransition(result);
  const QTimeZone::OffsetData previous = zone_.previousTransition(result.addMSecs(1));
  offsetFromUntil_[0] = previous.atUtc.isValid() ? previous.atUtc.toMSecsSinceEpoch() : -kFar;
  offsetFromUntil_[1] = next.atUtc.isValid() ? next.atUtc.toMSecsSinceEpoch() : kFar;
  offsetMSecs_ = qint64(result.offsetFromUtc()) * 1000;
  known_ = offsetFromUntil_[0] <= utc && utc < offsetFromUntil_[1];
  return result;
}

} // namespace kr
