#include "engine/DateHelper.h"
#include "platform/LocalTimeZone.h"

#include "engine/Clock.h"
#include "platform/settings/ValueTransformer.h"

namespace kr {

namespace {

QDateTime local(const QDateTime& date) { return LocalTimeZone::toLocal(date); }

// Qt counts Monday = 1 ... Sunday = 7; the helper counts Sunday = 1 ... Saturday = 7.
int weekdayNumber(int qtDayOfWeek) { return qtDayOfWeek % 7 + 1; }

} // namespace

DateHelper& DateHelper::sharedHelper() {
  static DateHelper helper;
  return helper;
}

QDateTime DateHelper::now() const { return Clock::nowAsDate(); }

QDateTime DateHelper::today() const { return dateWithoutTime(now()); }

QDateTime DateHelper::yesterday() const { return addDays(-1, today()); }

QDateTime DateHelper::dateWithoutTime(const QDateTime& date) const {
  // startOfDay() finds the first valid moment where a zone skips midnight.
  return LocalTimeZone::startOfDay(local(date.isValid() ? date : now()).date());
}

QDateTime DateHelper::add(qint64 count, const QDateTime& date) const {
  if (!date.isValid())
    return {};
  return LocalTimeZone::startOfDay(local(date).date().addDays(count));
}

QDateTime DateHelper::addDays(qint64 count, const QDateTime& date) const {
  // Local wall-clock time is kept, so a day across a daylight-saving change
  // lasts 23 or 25 hours; a time the change skips moves forward by the gap,
  // as the C library's local time does (not per second, so its cost is fine).
  return date.isValid() ? date.toLocalTime().addDays(count) : QDateTime();
}

QDateTime DateHelper::addWeeks(qint64 count, const QDateTime& date) const {
  return addDays(count * 7, date);
}

QDateTime DateHelper::addMonths(int count, const QDateTime& date) const {
  // A day missing from the target month becomes that month's last day.
  return date.isValid() ? date.toLocalTime().addMonths(count) : QDateTime();
}

QDateTime DateHelper::beginningOfTheWeek(const QDateTime& date) const {
  if (!date.isValid())
    return {};
  const int back = (dayOfTheWeek(date) - firstWeekday() + 7) % 7;
  return LocalTimeZone::startOfDay(local(date).date().addDays(-back));
}

QDateTime DateHelper::beginningOfTheMonth(const QDateTime& date) const {
  if (!date.isValid())
    return {};
  const QDate day = local(date).date();
  return LocalTimeZone::startOfDay(QDate(day.year(), day.month(), 1));
}

int DateHelper::dayOfTheWeek(const QDateTime& date) const {
  return date.isValid() ? weekdayNumber(local(date).date().dayOfWeek()) : 0;
}

int DateHelper::firstWeekday() const { return weekdayNumber(QLocale().firstDayOfWeek()); }

int DateHelper::hourOfDay(const QDateTime& date) const { return local(date).time().hour(); }

QStringList DateHelper::lastDays(int n) const {
  QStringList days;
  if (n < 0)
    return days;
  const QDateTime start = today();
  days.reserve(n + 1);
  for (int k = -n; k <= 0; ++k)
    days.append(stringFromDate(add(k, start)));
  return days;
}

QString DateHelper::stringFromDate(const QDateTime& date) const {
  return date.isValid() ? transformers::isoDayString(local(date).date()) : QString();
}

std::optional<QDateTime> DateHelper::dateFromString(const QString& text) const {
  const QDate day = transformers::dateFromIsoDayString(text);
  if (!day.isValid())
    return std::nullopt;
  return LocalTimeZone::startOfDay(day);
}

std::optional<DatePeriod> DateHelper::periodForStatsDateMode(qint64 mode) const {
  const QDateTime current = now();
  const QDateTime startOfToday = dateWithoutTime(current);
  switch (mode) {
  case 0: // all time
    return DatePeriod{QDateTime(QDate(1, 1, 1), QTime(0, 0), Qt::UTC), current};
  case 1: // today
    return DatePeriod{startOfToday, add(1, startOfToday)};
  case 2: { // yesterday
    const QDateTime start = add(-1, startOfToday);
    return DatePeriod{start, add(1, start)};
  }
  case 3: // week to date
    return DatePeriod{beginningOfTheWeek(current), current};
  case 4: // last 7 days, today left out
    return DatePeriod{add(-7, startOfToday), startOfToday};
  case 5: { // last week
    const QDateTime weekStart = beginningOfTheWeek(startOfToday);
    return DatePeriod{add(-7, weekStart), weekStart};
  }
  case 6: // month to date
    return DatePeriod{beginningOfTheMonth(current), current};
  case 7: // last 30 days, today left out
    return DatePeriod{add(-30, startOfToday), startOfToday};
  default:
    return std::nullopt;
  }
}

} // namespace kr
