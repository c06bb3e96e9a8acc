#pragma once

#include "platform/richtext/RichText.h"

#include <QDateTime>
#include <QLocale>
#include <QObject>
#include <QStringList>

#include <optional>

namespace kr {

// A span of time: from start (included) to end (excluded).
struct DatePeriod {
  QDateTime start;
  QDateTime end;
};

// Calendar arithmetic and the texts in which dates and durations are shown.
//
// "Now" is the application clock, so a replaced time source moves every date
// computation with it. Dates are local time; days, weeks and months follow the
// local calendar across daylight-saving changes. The first day of the week is
// the default locale's (QLocale()), read at each use. Day strings are
// "yyyy-MM-dd" in the Gregorian calendar.
class DateHelper : public QObject {
  Q_OBJECT

public:
  static DateHelper& sharedHelper();

  QDateTime now() const;
  // Midnight at the start of the current day.
  QDateTime today() const;
  QDateTime yesterday() const;
  // The start of the date's day; an invalid date stands for now.
  QDateTime dateWithoutTime(const QDateTime& date = {}) const;
  // The start of the date's day, moved by count days.
  QDateTime add(qint64 count, const QDateTime& date) const;
  // The date moved by whole calendar days, weeks or months, its time of day kept.
  QDateTime addDays(qint64 count, const QDateTime& date) const;
  QDateTime addWeeks(qint64 count, const QDateTime& date) const;
  QDateTime addMonths(int count, const QDateTime& date) const;
  // The start of the first day of the week (or month) that holds the date.
  QDateTime beginningOfTheWeek(const QDateTime& date) const;
  QDateTime beginningOfTheMonth(const QDateTime& date) const;
  // 1 = Sunday ... 7 = Saturday; 0 for an invalid date.
  int dayOfTheWeek(const QDateTime& date) const;
  // The calendar's first weekday in the same numbering.
  int firstWeekday() const;
  int hourOfDay(const QDateTime& date) const;
  // Day strings of the n + 1 days from n days before today up to today, oldest first.
  QStringList lastDays(int n) const;
  QString stringFromDate(const QDateTime& date) const;
  // Local midnight of a "yyyy-MM-dd" day; nothing when the text is no such day.
  std::optional<QDateTime> dateFromString(const QString& text) const;

  // The period of a preset of the statistics date filter (0 to 7); nothing for
  // any other value.
  std::optional<DatePeriod> periodForStatsDateMode(qint64 mode) const;

  // The date alone in the medium date style ("7 Mar 2020"), the time alone in
  // the medium time style ("14:30:30", "2:30:30 PM").
  QString formattedDate(const QDateTime& date) const;
  QString formattedTime(const QDateTime& date) const;
  // The medium-style time of day with its day-half marker ("PM") set in
  // kMarkerFontFamily at kMarkerPointSize; a time without one stays plain.
  RichText formatDateAsTimeWithAmPmIfAppropriate(const QDateTime& date) const;
  static RichText markDayHalf(const QString& time);
  static constexpr const char* kMarkerFontFamily = "Helvetica";
  static constexpr double kMarkerPointSize = 20.0;

  // "05′07″": whole minutes (not wrapped at 60) and seconds.
  static QString formatNumberOfSeconds(qint64 seconds);
  static QString formatNumberOfSecondsAsHoursAndMinutes(qint64 seconds);
  static QString formatNumberOfSecondsAsHoursAndMinutesAndSeconds(qint64 seconds);
  static QString formatNumberOfSecondsAsDaysAndHoursAndMinutes(qint64 seconds);
  // How recent a date is: "Just Now" ... "%d Years Ago".
  QString recencyDescriptionString(const QDateTime& date) const;
  // "less than a minute ago" ... "%ld days ago".
  QString howLongAgoDescription(double seconds) const;

  // The medium styles' formats for a locale.
  static QString mediumDateFormat(const QLocale& locale);
  static QString mediumTimeFormat(const QLocale& locale);

private:
  DateHelper() = default;
};

} // namespace kr
