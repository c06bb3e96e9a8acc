#include "platform/linux/calendar/IcalOccurrences.h"

#include <libical/ical.h>

#include <algorithm>
#include <deque>

namespace kr::IcalOccurrences {

namespace {

constexpr qint64 kTitleLimit = 1000;
constexpr qint64 kDay = 86400;
// How far before the range a rule is first followed from: as far as an
// occurrence of most events can begin and still run into it.
constexpr qint64 kFirstLookBack = 8 * kDay;

bool isWallClock(const icaltimetype& time) {
  return time.is_date || (time.zone == nullptr && !icaltime_is_utc(time));
}

qint64 wallAsUtc(const icaltimetype& time) {
  const QTime clock = time.is_date ? QTime(0, 0) : QTime(time.hour, time.minute, time.second);
  return QDateTime(QDate(time.year, time.month, time.day), clock, Qt::UTC).toSecsSinceEpoch();
}

int localOffset(qint64 seconds) {
  return QDateTime::fromSecsSinceEpoch(seconds, Qt::LocalTime).offsetFromUtc();
}

int zoneOffset(icaltimezone* zone, qint64 seconds) {
  icaltimetype utc =
      icaltime_from_timet_with_zone(time_t(seconds), 0, icaltimezone_get_utc_timezone());
  int daylight = 0;
  return icaltimezone_get_utc_offset_of_utc_time(zone, &utc, &daylight);
}

// The instant a wall-clock time (given as if it were UTC) stands for in a
// zone whose offset at an instant `offsetAt` gives. Where the time occurs
// twice (the hour the clocks go back) it is the first occurrence; where it
// does not occur at all (the hour skipped when they go forward) it is read
// with the offset before the change, so 02:30 on a day the clocks go from
// 02:00 to 03:00 is 03:30. Zones change at most once within a day either side.
struct Reading {
  qint64 instant = 0;
  bool skipped = false; // the time falls in a skipped hour
};

template <typename Offset> Reading readWallClock(qint64 wall, Offset offsetAt) {
  const int before = offsetAt(wall - kDay);
  const int after = offsetAt(wall + kDay);
  if (before == after)
    return {wall - before, false};
  const qint64 early = wall - std::max(before, after);
  const qint64 late = wall - std::min(before, after);
  if (offsetAt(early) == wall - early)
    return {early, false};
  if (offsetAt(late) == wall - late)
    return {late, false};
  return {wall - before, true};
}

Reading readTime(const icaltimetype& time) {
  const qint64 wall = wallAsUtc(time);
  if (isWallClock(time))
    return readWallClock(wall, &localOffset);
  if (icaltime_is_utc(time))
    return {wall, false};
  auto* zone = const_cast<icaltimezone*>(time.zone);
  return readWallClock(wall, [zone](qint64 at) { return zoneOffset(zone, at); });
}

QDateTime utc(qint64 seconds) { return QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC); }

bool hasProperty(icalcomponent* event, icalproperty_kind kind) {
  return icalcomponent_get_first_property(event, kind) != nullptr;
}

QString titleOf(icalcomponent* event) {
  const char* summary = icalcomponent_get_summary(event);
  return summary ? QString::fromUtf8(summary).left(kTitleLimit) : QString();
}

// How long each occurrence lasts: seconds, or whole days for an event on dates.
struct Length {
  qint64 seconds = 0;
  qint64 days = 0;
};

Length lengthOf(icalcomponent* event, const icaltimetype& dtstart) {
  Length length;
  if (hasProperty(event, ICAL_DTEND_PROPERTY)) {
    const icaltimetype dtend = icalcomponent_get_dtend(event);
    if (!icaltime_is_null_time(dtend)) {
      if (dtstart.is_date) {
        length.days = std::max<qint64>(QDate(dtstart.year, dtstart.month, dtstart.day)
                                           .daysTo(QDate(dtend.year, dtend.month, dtend.day)),
                                       1);
      } else if (const Reading start = readTime(dtstart); start.skipped) {
        // A start in a skipped hour moves on by the hour: the event keeps the
        // length it was written with.
        length.seconds = std::max<qint64>(0, wallAsUtc(dtend) - wallAsUtc(dtstart));
      } else {
        length.seconds = std::max<qint64>(0, instantOf(dtend) - start.instant);
      }
      return length;
    }
  }
  if (icalproperty* duration = icalcomponent_get_first_property(event, ICAL_DURATION_PROPERTY)) {
    const qint64 seconds = icaldurationtype_as_int(icalproperty_get_duration(duration));
    if (dtstart.is_date && seconds % kDay == 0)
      length.days = std::max<qint64>(seconds / kDay, 1);
    else
      length.seconds = std::max<qint64>(seconds, 0);
    return length;
  }
  if (dtstart.is_date)
    length.days = 1;
  return length;
}

CalendarEvent occurrenceAt(const QString& title, const icaltimetype& start, const Length& length) {
  const qint64 begin = instantOf(start);
  qint64 end = begin + length.seconds;
  if (length.days > 0) {
    icaltimetype last = start;
    const QDate day = QDate(start.year, start.month, start.day).addDays(length.days);
    last.year = day.year();
    last.month = day.month();
    last.day = day.day();
    end = instantOf(last);
  }
  return {title, utc(begin), utc(std::max(begin, end)), bool(start.is_date)};
}

} // namespace

qint64 instantOf(const icaltimetype& time) { return readTime(time).instant; }

QString occurrenceKey(const QString& uid, qint64 startSeconds) {
  return uid + QLatin1Char('\n') + QString::number(startSeconds);
}

bool singleOccurrence(icalcomponent* event, CalendarEvent* occurrence) {
  const icaltimetype dtstart = icalcomponent_get_dtstart(event);
  if (icaltime_is_null_time(dtstart) || !icaltime_is_valid_time(dtstart))
    return false;
  *occurrence = occurrenceAt(titleOf(event), dtstart, lengthOf(event, dtstart));
  return true;
}

QList<CalendarEvent> expand(icalcomponent* event, const QDateTime& from, const QDateTime& to,
                            Expansion& expansion) {
  const icaltimetype dtstart = icalcomponent_get_dtstart(event);
  if (icaltime_is_null_time(dtstart) || !icaltime_is_valid_time(dtstart))
    return {};
  const QString title = titleOf(event);
  const QString uid = QString::fromUtf8(icalcomponent_get_uid(event));
  const Length length = lengthOf(event, dtstart);
  const qint64 fromSeconds = from.toSecsSinceEpoch();
  const qint64 toSeconds = to.toSecsSinceEpoch();

  // EXDATEs by instant, or by day for dates. (EXRULE, withdrawn from the
  // standard, is not followed: it could take without bound to work out.)
  QSet<qint64> excluded;
  QSet<QDate> excludedDays;
  for (icalproperty* p = icalcomponent_get_first_property(event, ICAL_EXDATE_PROPERTY); p;
       p = icalcomponent_get_next_property(event, ICAL_EXDATE_PROPERTY)) {
    const icaltimetype time = icalproperty_get_datetime_with_component(p, event);
    if (icaltime_is_null_time(time) || !icaltime_is_valid_time(time))
      continue;
    if (time.is_date)
      excludedDays.insert(QDate(time.year, time.month, time.day));
    else
      excluded.insert(instantOf(time));
  }

  // Of the occurrences that began before the range and still run, the last
  // ones are kept; of those that begin in it, the first ones.
  const int half = std::max(1, expansion.maximumOccurrences / 2);
  std::deque<CalendarEvent> running;
  QList<CalendarEvent> later;
  QSet<qint64> seen;
  int steps = 0;
  enum class Next { Go, PastRange, Stop };
  auto consider = [&](const icaltimetype& time) {
    if (++steps % 256 == 0 && expansion.shouldStop && expansion.shouldStop()) {
      expansion.stopped = true;
      return Next::Stop;
    }
    const qint64 start = instantOf(time);
    if (start >= toSeconds)
      return Next::PastRange;
    // Ends at the latest this late (a day may be 25 hours long).
    const qint64 latestEnd = start + length.seconds + length.days * (kDay + 3600);
    if (latestEnd < fromSeconds)
      return Next::Go;
    if (excluded.contains(start) || excludedDays.contains(QDate(time.year, time.month, time.day)))
      return Next::Go;
    if (seen.contains(start) ||
        (!expansion.replaced->isEmpty() && expansion.replaced->contains(occurrenceKey(uid, start))))
      return Next::Go;
    const CalendarEvent occurrence = occurrenceAt(title, time, length);
    if (!occurrence.overlaps(from, to))
      return Next::Go;
    seen.insert(start);
    if (start >= fromSeconds) {
      later.append(occurrence);
      if (later.size() < half)
        return Next::Go;
      expansion.capped = true;
      return Next::Stop;
    }
    running.push_back(occurrence);
    if (int(running.size()) > half) {
      seen.remove(running.front().start.toSecsSinceEpoch());
      running.pop_front();
      expansion.capped = true;
    }
    return Next::Go;
  };

  // Occurrences that begin this early can still run into the range.
  const qint64 reach = length.seconds + (length.days + 2) * kDay;
  // Each rule is followed from a little before the range, further back only
  // while too few occurrences before the range were found: of an event that
  // lasts for ages, only the last ones that run into the range are kept, so
  // the ages before need not be gone through.
  qint64 lookBack = std::min(reach, kFirstLookBack);
  // Two days after the range, beyond any time zone's offset, as a date for
  // a rule of dates.
  const icaltimetype bound = icaltime_from_timet_with_zone(
      time_t(toSeconds + 2 * kDay), dtstart.is_date, icaltimezone_get_utc_timezone());
  bool going = true;
  for (bool furtherBack = true; furtherBack;) {
    running.clear();
    later.clear();
    seen.clear();
    going = consider(dtstart) != Next::Stop;
    const icaltimetype earliest = icaltime_from_timet_with_zone(time_t(fromSeconds - lookBack), 0,
                                                                icaltimezone_get_utc_timezone());
    for (icalproperty* p = icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY); p && going;
         p = icalcomponent_get_next_property(event, ICAL_RRULE_PROPERTY)) {
      icalrecurrencetype rule = icalproperty_get_rrule(p);
      // Nothing after the range is wanted: a rule that ends there keeps
      // libical from searching years ahead in one step for a rule that
      // matches seldom or never (hourly in the last week of one month).
      if (icaltime_is_null_time(rule.until) || icaltime_compare(rule.until, bound) > 0)
        rule.until = bound;
      icalrecur_iterator* it = icalrecur_iterator_new(rule, dtstart);
      if (!it)
        continue;
      // A counted rule must be followed from its start.
      if (rule.count == 0)
        icalrecur_iterator_set_start(it, earliest);
      for (icaltimetype time = icalrecur_iterator_next(it); !icaltime_is_null_time(time);
           time = icalrecur_iterator_next(it)) {
        const Next next = consider(time);
        if (next == Next::PastRange)
          break;
        if (next == Next::Stop) {
          going = false;
          break;
        }
      }
      icalrecur_iterator_free(it);
    }
    furtherBack = going && lookBack < reach && int(running.size()) < half;
    lookBack = std::min(reach, lookBack * 4);
  }
  for (icalproperty* p = icalcomponent_get_first_property(event, ICAL_RDATE_PROPERTY); p && going;
       p = icalcomponent_get_next_property(event, ICAL_RDATE_PROPERTY)) {
    const icaldatetimeperiodtype rdate = icalproperty_get_rdate(p);
    icaltimetype time = icaltime_is_null_time(rdate.time) ? rdate.period.start : rdate.time;
    if (icaltime_is_null_time(time) || !icaltime_is_valid_time(time))
      continue;
    if (!time.zone && !icaltime_is_utc(time))
      time.zone = dtstart.zone;
    going = consider(time) != Next::Stop;
  }
  QList<CalendarEvent> result(running.begin(), running.end());
  result.append(later);
  std::sort(result.begin(), result.end(), &CalendarEvent::comesBefore);
  return result;
}

} // namespace kr::IcalOccurrences
