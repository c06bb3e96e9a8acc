#include "platform/linux/calendar/IcalRuleWalk.h"

#include "platform/linux/calendar/IcalOccurrences.h"

#include <QDateTime>

#include <algorithm>
#include <cstdlib>

namespace kr::IcalOccurrences {

namespace {

constexpr qint64 kDay = 86400;
constexpr qint64 kHour = 3600;
// The steps of a rule one iterator follows at most.
constexpr qint64 kPieceSteps = 1024;

qint64 floorTo(qint64 value, qint64 unit) {
  const qint64 quotient = value / unit;
  return (quotient - (value % unit < 0 ? 1 : 0)) * unit;
}

// About how long one step of a rule of this frequency is.
qint64 unitOf(icalrecurrencetype_frequency frequency) {
  switch (frequency) {
  case ICAL_SECONDLY_RECURRENCE:
    return 1;
  case ICAL_MINUTELY_RECURRENCE:
    return 60;
  case ICAL_HOURLY_RECURRENCE:
    return kHour;
  case ICAL_DAILY_RECURRENCE:
    return kDay;
  case ICAL_WEEKLY_RECURRENCE:
    return 7 * kDay;
  case ICAL_MONTHLY_RECURRENCE:
    return 30 * kDay;
  default:
    return 365 * kDay;
  }
}

// Puts the values of a rule's part in order: libical goes through the hours,
// minutes and seconds of a day in the order given, so that times out of order
// would come out of order.
template <std::size_t N> void sortPart(short (&values)[N]) {
  short* end = std::find(values, values + N, short(ICAL_RECURRENCE_ARRAY_MAX));
  std::sort(values, end);
}

template <std::size_t N> bool isSet(const short (&values)[N]) {
  return values[0] != ICAL_RECURRENCE_ARRAY_MAX;
}

template <std::size_t N, typename Match> bool anyOf(const short (&values)[N], Match match) {
  for (std::size_t i = 0; i < N && values[i] != ICAL_RECURRENCE_ARRAY_MAX; ++i) {
    if (match(int(values[i])))
      return true;
  }
  return false;
}

// The most days one month (or year) of a monthly (or yearly) rule can hold,
// as libical counts them for BYSETPOS; 366 where that is not worked out.
int mostDaysInPeriod(const icalrecurrencetype& rule) {
  const bool yearly = rule.freq == ICAL_YEARLY_RECURRENCE;
  if (isSet(rule.by_year_day) || isSet(rule.by_week_no))
    return yearly ? std::min(366, countOf(rule.by_year_day)) : 366;
  int days = 1; // the start's day
  if (isSet(rule.by_month_day)) {
    days = countOf(rule.by_month_day);
  } else if (isSet(rule.by_day)) {
    // A day of the week without a position falls five times in a month, 53
    // times in a year.
    days = 0;
    for (int i = 0; i < countOf(rule.by_day); ++i)
      days += icalrecurrencetype_day_position(rule.by_day[i]) != 0 ? 1
              : yearly && !isSet(rule.by_month)                    ? 53
                                                                   : 5;
  }
  if (yearly && (isSet(rule.by_month) || isSet(rule.by_month_day)))
    days *= isSet(rule.by_month) ? countOf(rule.by_month) : 12;
  return std::min(days, yearly ? 366 : 31);
}

// Whether a rule can never match: its days of the month fall in none of its
// months, or its BYSETPOS picks only places past the days a month (or year)
// holds. libical searches such a rule up to the year 20000 in one call,
// which takes seconds.
bool neverMatches(const icalrecurrencetype& rule) {
  if (isSet(rule.by_month_day) && rule.skip == ICAL_SKIP_OMIT) {
    bool some = false;
    for (int month = 1; month <= 12 && !some; ++month) {
      if (isSet(rule.by_month) && !anyOf(rule.by_month, [&](int m) { return m == month; }))
        continue;
      const int days = QDate(2000, month, 1).daysInMonth(); // 29 in February
      some = anyOf(rule.by_month_day, [&](int d) { return std::abs(d) <= days; });
    }
    if (!some)
      return true;
  }
  if (isSet(rule.by_set_pos) &&
      (rule.freq == ICAL_MONTHLY_RECURRENCE || rule.freq == ICAL_YEARLY_RECURRENCE)) {
    const int most = mostDaysInPeriod(rule);
    return !anyOf(rule.by_set_pos, [&](int p) { return std::abs(p) <= most; });
  }
  return false;
}

// The time at `clock` on the clock of `like`: its zone, and a date if it is one.
icaltimetype timeAt(qint64 clock, const icaltimetype& like) {
  const QDateTime at = QDateTime::fromSecsSinceEpoch(clock, Qt::UTC);
  icaltimetype time = like;
  time.year = at.date().year();
  time.month = at.date().month();
  time.day = at.date().day();
  if (!like.is_date) {
    time.hour = at.time().hour();
    time.minute = at.time().minute();
    time.second = at.time().second();
  }
  return time;
}

} // namespace

qint64 wallAsUtc(const icaltimetype& time) {
  const QTime clock = time.is_date ? QTime(0, 0) : QTime(time.hour, time.minute, time.second);
  return QDateTime(QDate(time.year, time.month, time.day), clock, Qt::UTC).toSecsSinceEpoch();
}

RuleWalk::RuleWalk(const icalrecurrencetype& rule, const icaltimetype& dtstart)
    : rule_(rule), dtstart_(dtstart), count_(rule.count), start_(wallAsUtc(dtstart)) {
  // Each piece has an iterator of its own, which cannot count.
  rule_.count = 0;
  sortPart(rule_.by_hour);
  sortPart(rule_.by_minute);
  sortPart(rule_.by_second);
  limits_ = rule_;
  never_ = neverMatches(rule_);
  step_ = unitOf(rule.freq) * std::max<qint64>(1, rule.interval);
  pieceLength_ = kPieceSteps * step_;
  // A rule repeating within a day steps on whole steps from the start.
  // libical would step a time in a zone in the zone's real time, and shift
  // its steps where a step falls in the hour that repeats when the clocks go
  // back, so that where it is followed from would change the steps: it is
  // given the event's clock as UTC, and so steps on the event's clock, as a
  // floating time does. Moving the start by whole steps then changes nothing
  // libical takes from the start (the minutes and seconds an hourly rule
  // repeats at).
  const bool withinDay = !dtstart.is_date && (rule.freq == ICAL_SECONDLY_RECURRENCE ||
                                              rule.freq == ICAL_MINUTELY_RECURRENCE ||
                                              rule.freq == ICAL_HOURLY_RECURRENCE);
  // libical steps a time in a zone in the zone's real time, so that its steps
  // shift by the hour each time the clocks change; and it carries the minute
  // (or second) a step reached over the hours (or minutes) its BYHOUR (or
  // BYMINUTE) leaves out. Where its steps hang on all those before, the rule
  // is followed as libical follows it, from the start: such a rule repeating
  // for years may run past the deadline, and is left out then.
  plain_ = withinDay && ((dtstart.zone && !icaltime_is_utc(dtstart)) ||
                         (rule.freq != ICAL_HOURLY_RECURRENCE && isSet(rule.by_hour)) ||
                         (rule.freq == ICAL_SECONDLY_RECURRENCE && isSet(rule.by_minute)));
  gridded_ = withinDay && !plain_;
  if (gridded_) {
    rule_.until = icaltime_null_time();
    if (!icaltime_is_null_time(rule.until))
      until_ = rule.until.is_date || (!rule.until.zone && !icaltime_is_utc(rule.until))
                   ? wallAsUtc(rule.until)
                   : clockOf(dtstart, instantOf(rule.until));
  }
  // libical starts a rule repeating every minute or second at the first
  // hour (and minute) the rule limits it to instead of at the event's start,
  // so that every 7 minutes from 20:46:30 in the hours 3 and 18 would step
  // from 03:46:30: those limits are left to the walk (eachOpenPart).
  if (gridded_ && rule.freq != ICAL_HOURLY_RECURRENCE)
    rule_.by_hour[0] = ICAL_RECURRENCE_ARRAY_MAX;
  if (gridded_ && rule.freq == ICAL_SECONDLY_RECURRENCE)
    rule_.by_minute[0] = ICAL_RECURRENCE_ARRAY_MAX;
}

// Whether the rule repeats within a day and limits the days, or the hours or
// minutes it steps through.
bool RuleWalk::limitsParts() const {
  if (!gridded_)
    return false;
  return isSet(limits_.by_month) || isSet(limits_.by_month_day) || isSet(limits_.by_year_day) ||
         isSet(limits_.by_day) ||
         (limits_.freq != ICAL_HOURLY_RECURRENCE && isSet(limits_.by_hour)) ||
         (limits_.freq == ICAL_SECONDLY_RECURRENCE && isSet(limits_.by_minute));
}

// Whether a day (on the rule's clock) passes the rule's limits on its month,
// day of the month, day of the year and day of the week. A day of the week
// with a position ("-1SU") is taken as the day alone: the test may let a day
// through that libical then finds nothing on, never the other way round.
bool RuleWalk::mayHoldDay(qint64 day) const {
  const QDate date = QDate(1970, 1, 1).addDays(day / kDay);
  if (isSet(limits_.by_month) && !anyOf(limits_.by_month, [&](int m) { return m == date.month(); }))
    return false;
  if (isSet(limits_.by_month_day) && !anyOf(limits_.by_month_day, [&](int d) {
        return d == date.day() || d == date.day() - date.daysInMonth() - 1;
      }))
    return false;
  if (isSet(limits_.by_year_day) && !anyOf(limits_.by_year_day, [&](int d) {
        return d == date.dayOfYear() || d == date.dayOfYear() - date.daysInYear() - 1;
      }))
    return false;
  // libical counts the days of the week from Sunday, 1, to Saturday, 7.
  const int weekday = date.dayOfWeek() % 7 + 1;
  return !isSet(limits_.by_day) || anyOf(limits_.by_day, [&](int d) {
    return int(icalrecurrencetype_day_day_of_week(short(d))) == weekday;
  });
}

// Calls `open` with the parts of a day an occurrence may fall in, in order:
// the whole day, or the hours its BYHOUR leaves open (a rule repeating every
// minute or second), or their minutes its BYMINUTE leaves open (every second).
template <typename Open> void RuleWalk::eachOpenPart(qint64 day, Open open, qint64& work) const {
  const bool byHour = limits_.freq != ICAL_HOURLY_RECURRENCE && isSet(limits_.by_hour);
  const bool byMinute = limits_.freq == ICAL_SECONDLY_RECURRENCE && isSet(limits_.by_minute);
  if (!byHour && !byMinute) {
    open(day, day + kDay);
    return;
  }
  for (int hour = 0; hour < 24; ++hour) {
    ++work;
    if (byHour && !anyOf(limits_.by_hour, [&](int h) { return h == hour; }))
      continue;
    const qint64 at = day + hour * kHour;
    if (!byMinute) {
      open(at, at + kHour);
      continue;
    }
    for (int minute = 0; minute < 60; ++minute) {
      ++work;
      if (anyOf(limits_.by_minute, [&](int m) { return m == minute; }))
        open(at + minute * 60, at + minute * 60 + 60);
    }
  }
}

RuleWalk::Outcome RuleWalk::walk(qint64 from, qint64 to,
                                 const std::function<bool(const icaltimetype&)>& visit,
                                 const std::function<bool()>& stop, qint64& work) const {
  if (never_)
    return Outcome::Ended;
  from = std::max(from, start_);
  if (dtstart_.is_date) {
    from = floorTo(from, kDay);
    to = floorTo(to + kDay - 1, kDay);
  }
  if (plain_)
    return from < to ? piece(from, to, visit, stop, work) : Outcome::Done;
  Outcome outcome = Outcome::Done;
  // Follows [a, b) a piece at a time; false once the walk is over.
  auto follow = [&](qint64 a, qint64 b) {
    for (qint64 at = a; at < b; at += pieceLength_) {
      ++work;
      if (stop()) {
        outcome = Outcome::Stopped;
        return false;
      }
      outcome = piece(at, std::min(b, at + pieceLength_), visit, stop, work);
      if (outcome != Outcome::Done)
        return false;
    }
    return true;
  };
  if (from >= to)
    return outcome;
  if (!limitsParts())
    return follow(from, to) ? Outcome::Done : outcome;

  // The open parts of the days, joined where they meet.
  qint64 openFrom = 0;
  qint64 openTo = 0;
  bool going = true;
  auto open = [&](qint64 a, qint64 b) {
    a = std::max(a, from);
    b = std::min(b, to);
    if (!going || a >= b)
      return;
    if (openTo > openFrom && a == openTo) {
      openTo = b;
      return;
    }
    going = openTo <= openFrom || follow(openFrom, openTo);
    openFrom = a;
    openTo = b;
  };
  int days = 0;
  for (qint64 day = floorTo(from, kDay); day < to && going; day += kDay) {
    ++work;
    if (++days % 256 == 0 && stop())
      return Outcome::Stopped;
    if (mayHoldDay(day))
      eachOpenPart(day, open, work);
  }
  if (going && openTo > openFrom)
    follow(openFrom, openTo);
  return outcome;
}

RuleWalk::Outcome RuleWalk::piece(qint64 from, qint64 to,
                                  const std::function<bool(const icaltimetype&)>& visit,
                                  const std::function<bool()>& stop, qint64& work) const {
  icalrecurrencetype rule = rule_;
  if (gridded_ && until_ && *until_ < to)
    to = *until_ + 1;
  if (from >= to)
    return Outcome::Done;
  // The iterator ends with the piece (its UNTIL includes the time given).
  icaltimetype clock = dtstart_;
  if (gridded_)
    clock.zone = icaltimezone_get_utc_timezone();
  const icaltimetype last = timeAt(to - (dtstart_.is_date ? kDay : 1), clock);
  if (icaltime_is_null_time(rule.until) || icaltime_compare(rule.until, last) > 0)
    rule.until = last;
  icalrecur_iterator* it = nullptr;
  if (gridded_) {
    // libical leaves out the first of the hours, minutes or seconds a rule
    // lists on the first day, hour or minute it follows: its iterator starts
    // that much before the piece.
    const qint64 lead = rule.freq == ICAL_HOURLY_RECURRENCE     ? kDay
                        : rule.freq == ICAL_MINUTELY_RECURRENCE ? kHour
                                                                : 60;
    const qint64 steps = std::max<qint64>(0, floorTo(from - lead - start_, step_));
    it = icalrecur_iterator_new(rule, timeAt(start_ + steps, clock));
  } else {
    it = icalrecur_iterator_new(rule, dtstart_);
    // libical jumps a rule of weeks of the year (BYWEEKNO) to wrong days: it
    // steps year by year from the start.
    if (it && from > start_ && !plain_ && !isSet(rule.by_week_no) &&
        !icalrecur_iterator_set_start(it, timeAt(from, dtstart_))) {
      icalrecur_iterator_free(it);
      it = nullptr;
    }
  }
  // libical refuses the rule, or a start past the last year it follows.
  if (!it)
    return Outcome::Ended;
  work += (to - from) / step_ + 1;
  Outcome outcome = Outcome::Done;
  int steps = 0;
  for (icaltimetype time = icalrecur_iterator_next(it); !icaltime_is_null_time(time);
       time = icalrecur_iterator_next(it)) {
    if (++steps % 256 == 0 && stop()) {
      outcome = Outcome::Stopped;
      break;
    }
    const qint64 at = wallAsUtc(time);
    if (at >= to)
      break;
    if (at < from)
      continue;
    time.zone = dtstart_.zone;
    if (!visit(time)) {
      outcome = Outcome::Ended;
      break;
    }
  }
  icalrecur_iterator_free(it);
  return outcome;
}

} // namespace kr::IcalOccurrences
