#include "engine/WallClockTime.h"

#include <QDateTime>

#include <algorithm>
#include <cmath>
#include <limits>

namespace kr {

namespace {

constexpr qint64 kMSecsPerDay = 86400000;
constexpr qint64 kEpochJulianDay = 2440588; // 1970-01-01
constexpr double kWorkedSlackMSecs = 2000.0;

int offsetAt(const QTimeZone& zone, qint64 msecs) {
  return zone.offsetFromUtc(QDateTime::fromMSecsSinceEpoch(msecs, Qt::UTC));
}

// The instants at which the zone's clocks read `local` (milliseconds since
// 1970-01-01 00:00 on the clock), the earlier first; for a reading they
// skipped, the instant they moved on.
struct Occurrences {
  LocalInstant first;
  std::optional<LocalInstant> second;
};

// A zone changes its offset at most once within a day either side of a
// reading: the offsets a day before and a day after are the only ones the
// reading can have.
Occurrences occurrencesOf(const QTimeZone& zone, qint64 local) {
  const int before = offsetAt(zone, local - kMSecsPerDay);
  const int after = offsetAt(zone, local + kMSecsPerDay);
  std::optional<Occurrences> found;
  // The larger offset reads the same clock time at the earlier instant.
  for (const int offset : {std::max(before, after), std::min(before, after)}) {
    const LocalInstant instant{local - qint64(offset) * 1000, offset};
    if (offsetAt(zone, instant.msecs) != offset)
      continue;
    if (!found)
      found = Occurrences{instant, std::nullopt};
    else if (instant.msecs != found->first.msecs)
      found->second = instant;
  }
  if (found)
    return *found;
  // Skipped: the change lies after the instant the later offset gives it.
  const QTimeZone::OffsetData change =
      zone.nextTransition(QDateTime::fromMSecsSinceEpoch(local - qint64(after) * 1000, Qt::UTC));
  if (change.atUtc.isValid())
    return {LocalInstant{change.atUtc.toMSecsSinceEpoch(), change.offsetFromUtc}, std::nullopt};
  // A zone that does not tell its changes: the reading with the offset before.
  return {LocalInstant{local - qint64(before) * 1000, after}, std::nullopt};
}

std::optional<qint64> localMSecsOf(const WallClockTime& clock) {
  if (!clock.day.isValid() || !clock.time.isValid())
    return std::nullopt;
  return (clock.day.toJulianDay() - kEpochJulianDay) * kMSecsPerDay +
         clock.time.msecsSinceStartOfDay();
}

// How far an end lies from where the slice's lengths put it.
double missOf(qint64 endMSecs, qint64 startMSecs, const WallClockTime::SliceLengths& lengths) {
  const double span = double(endMSecs - startMSecs);
  double miss = std::numeric_limits<double>::infinity();
  for (const std::optional<double>& length : {lengths.planned, lengths.worked}) {
    if (length)
      miss = std::min(miss, std::abs(span - std::abs(*length) * 1000.0));
  }
  return std::isinf(miss) ? span : miss;
}

QDateTime dateOf(const std::optional<LocalInstant>& instant, const QTimeZone& zone,
                 const WallClockTime& clock) {
  if (!zone.isValid())
    return QDateTime(clock.day, clock.time, Qt::LocalTime);
  return instant ? QDateTime::fromMSecsSinceEpoch(instant->msecs, zone) : QDateTime();
}

} // namespace

std::optional<LocalInstant> WallClockTime::instantIn(const QTimeZone& zone) const {
  const std::optional<qint64> local = localMSecsOf(*this);
  if (!local || !zone.isValid())
    return std::nullopt;
  return occurrencesOf(zone, *local).first;
}

std::optional<LocalInstant> WallClockTime::endInstantIn(const QTimeZone& zone, qint64 startMSecs,
                                                        const SliceLengths& lengths) const {
  const std::optional<qint64> local = localMSecsOf(*this);
  if (!local || !zone.isValid())
    return std::nullopt;
  const auto [first, second] = occurrencesOf(zone, *local);
  if (!second || second->msecs < startMSecs)
    return first;
  if (first.msecs < startMSecs)
    return second;
  // A slice lasts at least as long as it was worked: an end sooner than that
  // is ruled out while the other is not. (The log keeps whole seconds, and
  // the last second may be counted as the clock turns: a little slack.)
  if (lengths.worked) {
    const double worked = std::abs(*lengths.worked) * 1000.0 - kWorkedSlackMSecs;
    if (double(first.msecs - startMSecs) < worked && double(second->msecs - startMSecs) >= worked)
      return second;
  }
  const bool secondFits =
      missOf(second->msecs, startMSecs, lengths) < missOf(first.msecs, startMSecs, lengths);
  return secondFits ? second : first;
}

QDateTime WallClockTime::dateIn(const QTimeZone& zone) const {
  return dateOf(instantIn(zone), zone, *this);
}

QDateTime WallClockTime::endDateIn(const QTimeZone& zone, qint64 startMSecs,
                                   const SliceLengths& lengths) const {
  return dateOf(endInstantIn(zone, startMSecs, lengths), zone, *this);
}

} // namespace kr
