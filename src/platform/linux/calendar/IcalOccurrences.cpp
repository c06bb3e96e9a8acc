#include "platform/linux/calendar/IcalOccurrences.h"

#include "platform/linux/calendar/IcalRuleWalk.h"

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
// How much work (steps of a rule, days looked at) the search further back for
// occurrences that still run into the range may take.
constexpr qint64 kLookBackWork = qint64(1) << 15;

bool isWallClock(const icaltimetype& time) {
  return time.is_date || (time.zone == nullptr && !icaltime_is_utc(time));
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

int offsetOf(const icaltimetype& like, qint64 instant) {
  if (isWallClock(like))
    return localOffset(instant);
  if (icaltime_is_utc(like))
    return 0;
  return zoneOffset(const_cast<icaltimezone*>(like.zone), instant);
}

// The offsets of the clock of times like `like` a day either side of an
// instant, the lower first. (A zone changes at most once in that time.)
std::pair<int, int> offsetsAround(const icaltimetype& like, qint64 instant) {
  return std::minmax(offsetOf(like, instant - kDay), offsetOf(like, instant + kDay));
}

// The earliest time on the clock of `like` that an instant from `instant` on
// reads as, and the latest that an instant before it reads as.
qint64 earliestClock(const icaltimetype& like, qint64 instant) {
  return instant + offsetsAround(like, instant).first;
}
qint64 latestClock(const icaltimetype& like, qint64 instant) {
  return instant + offsetsAround(like, instant).second;
}

QDateTime utc(qint64 seconds) { return QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC); }

// Whether two times read on the same clock: one zone, UTC, or local time.
bool onOneClock(const icaltimetype& a, const icaltimetype& b) {
  if (icaltime_is_utc(a) || icaltime_is_utc(b))
    return icaltime_is_utc(a) && icaltime_is_utc(b);
  return isWallClock(a) == isWallClock(b) && (isWallClock(a) || a.zone == b.zone);
}

// The zone a property's TZID names, looked up as libical looks up a start's:
// in the calendars around `event`, then among the system's zones; none when
// it names none or an unknown one.
icaltimezone* namedZone(icalproperty* property, icalcomponent* event) {
  icalparameter* tzid = icalproperty_get_first_parameter(property, ICAL_TZID_PARAMETER);
  const char* name = tzid ? icalparameter_get_tzid(tzid) : nullptr;
  if (!name || !*name)
    return nullptr;
  for (icalcomponent* c = event; c; c = icalcomponent_get_parent(c)) {
    if (icaltimezone* zone = icalcomponent_get_timezone(c, name))
      return zone;
  }
  if (icaltimezone* zone = icaltimezone_get_builtin_timezone_from_tzid(name))
    return zone;
  return icaltimezone_get_builtin_timezone(name);
}

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
      } else if (const Reading start = readTime(dtstart);
                 start.skipped && onOneClock(dtstart, dtend)) {
        // A start in a skipped hour moves on by the hour: the event keeps the
        // length it was written with. (An end on another clock is an instant
        // of its own.)
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

qint64 clockOf(const icaltimetype& like, qint64 instant) {
  return instant + offsetOf(like, instant);
}

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
  // An occurrence ends at the latest this long after it begins (a day may be
  // 25 hours long).
  const qint64 longest = length.seconds + length.days * (kDay + 3600);

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

  auto stop = [&expansion] {
    if (!expansion.stopped && expansion.shouldStop && expansion.shouldStop())
      expansion.stopped = true;
    return expansion.stopped;
  };
  // Where an occurrence beginning at `time` falls: before the range and still
  // running in it, within it, or after it; None when it is not wanted.
  enum class Place { None, Before, Within, After };
  auto place = [&](const icaltimetype& time, CalendarEvent* occurrence) {
    const qint64 start = instantOf(time);
    if (start >= toSeconds)
      return Place::After;
    if (start + longest < fromSeconds)
      return Place::None;
    if (excluded.contains(start) || excludedDays.contains(QDate(time.year, time.month, time.day)))
      return Place::None;
    if (!expansion.replaced->isEmpty() && expansion.replaced->contains(occurrenceKey(uid, start)))
      return Place::None;
    *occurrence = occurrenceAt(title, time, length);
    if (!occurrence->overlaps(from, to))
      return Place::None;
    return start >= fromSeconds ? Place::Within : Place::Before;
  };

  // Of the occurrences that began before the range and still run, the last
  // ones are kept; of those that begin in it, the first ones.
  const int half = std::max(1, expansion.maximumOccurrences / 2);
  auto keepLast = [&](std::deque<CalendarEvent>& kept, const CalendarEvent& occurrence) {
    kept.push_back(occurrence);
    if (int(kept.size()) > half) {
      kept.pop_front();
      expansion.capped = true;
    }
  };
  QList<CalendarEvent> found;
  auto take = [&](const icaltimetype& time) {
    CalendarEvent occurrence;
    const Place where = place(time, &occurrence);
    if (where == Place::Before || where == Place::Within)
      found.append(occurrence);
  };
  take(dtstart);

  for (icalproperty* p = icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY); p;
       p = icalcomponent_get_next_property(event, ICAL_RRULE_PROPERTY)) {
    const RuleWalk rule(icalproperty_get_rrule(p), dtstart);
    std::deque<CalendarEvent> before;
    QList<CalendarEvent> within;
    int counted = 0;
    // A counted rule is followed from its start; any other from a little
    // before the range (as far as most events can begin and still run into
    // it), then further back only while too few occurrences that still run
    // were found.
    const qint64 firstLookBack = std::min({longest, kFirstLookBack, rule.pieceLength()});
    const qint64 first = rule.followedFromStart()
                             ? rule.start()
                             : earliestClock(dtstart, fromSeconds - firstLookBack);
    qint64 work = 0;
    RuleWalk::Outcome outcome = rule.walk(
        first, latestClock(dtstart, toSeconds),
        [&](const icaltimetype& time) {
          if (rule.count() > 0 && ++counted > rule.count())
            return false;
          CalendarEvent occurrence;
          switch (place(time, &occurrence)) {
          case Place::None:
            return true;
          case Place::After:
            return false;
          case Place::Before:
            keepLast(before, occurrence);
            return true;
          case Place::Within:
            within.append(occurrence);
            if (within.size() < half)
              return true;
            expansion.capped = true;
            return false;
          }
          return false;
        },
        stop, work);
    if (outcome == RuleWalk::Outcome::Stopped)
      return {};
    // Of an event that lasts for ages, only the last occurrences that run
    // into the range are kept, so the search back ends once they are found,
    // or after a bounded amount of work: it costs as much for an event of a
    // thousand years as for one of a week.
    const qint64 floor =
        earliestClock(dtstart, std::max(fromSeconds - longest, instantOf(dtstart) - 2 * kDay));
    work = 0;
    for (qint64 end = first; !rule.followedFromStart() && end > std::max(floor, rule.start()) &&
                             int(before.size()) < half && work < kLookBackWork;) {
      const qint64 begin = std::max(floor, end - rule.pieceLength());
      std::deque<CalendarEvent> earlier;
      outcome = rule.walk(
          begin, end,
          [&](const icaltimetype& time) {
            CalendarEvent occurrence;
            if (place(time, &occurrence) == Place::Before)
              keepLast(earlier, occurrence);
            return true;
          },
          stop, work);
      if (outcome == RuleWalk::Outcome::Stopped)
        return {};
      before.insert(before.begin(), earlier.begin(), earlier.end());
      while (int(before.size()) > half) {
        before.pop_front();
        expansion.capped = true;
      }
      // Ended: libical follows the rule no further back.
      if (outcome == RuleWalk::Outcome::Ended)
        break;
      end = begin;
    }
    found.append(QList<CalendarEvent>(before.begin(), before.end()));
    found.append(within);
  }

  for (icalproperty* p = icalcomponent_get_first_property(event, ICAL_RDATE_PROPERTY); p;
       p = icalcomponent_get_next_property(event, ICAL_RDATE_PROPERTY)) {
    if (stop())
      return {};
    const icaldatetimeperiodtype rdate = icalproperty_get_rdate(p);
    icaltimetype time = icaltime_is_null_time(rdate.time) ? rdate.period.start : rdate.time;
    if (icaltime_is_null_time(time) || !icaltime_is_valid_time(time))
      continue;
    // In the zone it names, as an EXDATE is; a floating one (or one in a
    // zone not known) in the start's.
    if (!time.zone && !icaltime_is_utc(time)) {
      icaltimezone* zone = time.is_date ? nullptr : namedZone(p, event);
      time.zone = zone ? zone : dtstart.zone;
    }
    take(time);
  }

  // Each start once (the start, a rule and a date may name the same one).
  std::sort(found.begin(), found.end(), &CalendarEvent::comesBefore);
  found.erase(std::unique(found.begin(), found.end(),
                          [](const CalendarEvent& a, const CalendarEvent& b) {
                            return a.start == b.start;
                          }),
              found.end());
  const auto firstWithin = std::partition_point(
      found.begin(), found.end(), [&](const CalendarEvent& e) { return e.start < from; });
  const qsizetype before = firstWithin - found.begin();
  const qsizetype within = found.end() - firstWithin;
  if (before > half || within > half)
    expansion.capped = true;
  QList<CalendarEvent> result(firstWithin - std::min<qsizetype>(before, half), firstWithin);
  result.append(QList<CalendarEvent>(firstWithin, firstWithin + std::min<qsizetype>(within, half)));
  return result;
}

} // namespace kr::IcalOccurrences
