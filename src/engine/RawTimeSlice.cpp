#include "engine/RawTimeSlice.h"

#include "engine/LogEntryValues.h"
#include "engine/Logger.h"
#include "platform/ValueTransformer.h"

namespace kr {

namespace {
// "yyyy-MM-dd" of a day of years 0 to 9999.
QString dayStringOf(const QDate& day) {
  if (!day.isValid() || day.year() < 0 || day.year() > 9999)
    return day.toString(QStringLiteral("yyyy-MM-dd"));
  char text[10];
  const auto put = [&text](int at, int value, int digits) {
    for (int i = digits - 1; i >= 0; --i, value /= 10)
      text[at + i] = char('0' + value % 10);
  };
  put(0, day.year(), 4);
  text[4] = '-';
  put(5, day.month(), 2);
  text[7] = '-';
  put(8, day.day(), 2);
  return QString::fromLatin1(text, 10);
}

const QString& goodRating() {
  static const QString rating = QStringLiteral("good");
  return rating;
}
} // namespace

RawTimeSlice::RawTimeSlice()
    : startDate_(distantPast()), startMSecs_(startDate_.toMSecsSinceEpoch()),
      focusRating_(goodRating()) {}

QDateTime RawTimeSlice::distantPast() {
  static const QDateTime date = Logger::distantPast();
  return date;
}

void RawTimeSlice::setStartDate(const QDateTime& date) {
  startDate_ = date;
  startMSecs_ = date.toMSecsSinceEpoch();
  static const qint64 distantPastMSecs = distantPast().toMSecsSinceEpoch();
  static const QString distantPastDay = dayStringOf(distantPast().toLocalTime().date());
  if (startMSecs_ == distantPastMSecs && date.isValid()) {
    dayString_ = distantPastDay;
    return;
  }
  // Dates read from logs are in the system zone already; converting others
  // through the zone object keeps the C library's zone file out of it.
  const QTimeZone zone = LogEntryValues::systemTimeZone();
  const bool inZone = date.timeSpec() == Qt::TimeZone && date.timeZone() == zone;
  const QDate day = inZone ? date.date() : date.toTimeZone(zone).date();
  // The slices of a log file mostly share their day: they share its text too.
  thread_local QDate lastDay;
  thread_local QString lastDayString;
  if (day != lastDay || lastDayString.isEmpty()) {
    lastDay = day;
    lastDayString = dayStringOf(day);
  }
  dayString_ = lastDayString;
}

bool RawTimeSlice::beginsAfter(const std::optional<QDateTime>& date) const {
  return !date || startDate_ >= *date;
}

bool RawTimeSlice::beginsBefore(const std::optional<QDateTime>& date) const {
  return !date || startDate_ < *date;
}

bool RawTimeSlice::matchesTagFilter(const std::optional<QStringList>& filter) const {
  if (!filter || filter->isEmpty())
    return true;
  if (tagString_.isEmpty())
    return false;
  static const ValueTransformer splitter = transformers::stringToTokenArray();
  const QStringList tags = splitter.transformedValue(tagString_).toStringList();
  for (const QString& wanted : *filter) {
    if (!tags.contains(wanted))
      return false;
  }
  return true;
}

} // namespace kr
