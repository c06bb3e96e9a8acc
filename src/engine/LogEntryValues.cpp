#include "engine/LogEntryValues.h"
#include "platform/LocalTimeZone.h"

#include "engine/Logger.h"

#include <limits>

namespace kr {

namespace {

qsizetype skipWhiteSpace(QStringView line) {
  qsizetype i = 0;
  while (i < line.size() && line.at(i).isSpace())
    ++i;
  return i;
}

bool isAsciiDigit(QChar c) { return c >= u'0' && c <= u'9'; }

qsizetype skipDigits(QStringView line, qsizetype i) {
  while (i < line.size() && isAsciiDigit(line.at(i)))
    ++i;
  return i;
}

// The number of the `length` digits from `from`. Every digit is checked at
// once: a character that is not one has a value above 9 (those below '0'
// wrap around), which sets `notDigits`.
__attribute__((always_inline)) inline int digitsAt(const char16_t* c, int from, int length,
                                                   unsigned& notDigits) {
  // Unsigned, so that what other characters make of it wraps around: it is
  // then not used.
  unsigned value = 0;
  for (int i = from; i < from + length; ++i) {
    const unsigned digit = unsigned(c[i]) - u'0';
    notDigits |= unsigned(digit > 9);
    value = value * 10 + digit;
  }
  return int(value);
}

// Reads "yyyy-MM-dd HH:mm:ss" exactly, without going through a formatter.
std::optional<WallClockTime> fastDateAndTime(QStringView text) {
  if (text.size() != 19)
    return std::nullopt;
  const char16_t* const c = text.utf16();
  if (c[4] != u'-' || c[7] != u'-' || c[10] != u' ' || c[13] != u':' || c[16] != u':')
    return std::nullopt;
  unsigned notDigits = 0;
  const int year = digitsAt(c, 0, 4, notDigits);
  const int month = digitsAt(c, 5, 2, notDigits);
  const int day = digitsAt(c, 8, 2, notDigits);
  const int hour = digitsAt(c, 11, 2, notDigits);
  const int minute = digitsAt(c, 14, 2, notDigits);
  const int second = digitsAt(c, 17, 2, notDigits);
  if (notDigits)
    return std::nullopt;
  // The dates of a log mostly share their day with the one read before.
  thread_local int lastDay[3] = {0, 0, 0};
  thread_local QDate lastDate;
  if (year != lastDay[0] || month != lastDay[1] || day != lastDay[2]) {
    lastDate = QDate(year, month, day);
    lastDay[0] = year;
    lastDay[1] = month;
    lastDay[2] = day;
  }
  // What QTime(hour, minute, second) takes as valid.
  if (!lastDate.isValid() || hour > 23 || minute > 59 || second > 59)
    return std::nullopt;
  return WallClockTime{
      lastDate, QTime::fromMSecsSinceStartOfDay((hour * 3600 + minute * 60 + second) * 1000)};
}

// A whole number of at most seven digits, as the writer puts durations: a
// float holds it exactly, so it needs no general conversion.
std::optional<float> shortWholeNumber(QStringView line, qsizetype start, qsizetype end) {
  qsizetype i = start;
  const bool negative = i < end && line.at(i) == u'-';
  if (negative)
    ++i;
  if (i == end || end - i > 7)
    return std::nullopt;
  int value = 0;
  for (; i < end; ++i) {
    const char16_t c = line.at(i).unicode();
    if (c < u'0' || c > u'9')
      return std::nullopt;
    value = value * 10 + (c - u'0');
  }
  const float result = float(value);
  return negative ? -result : result; // "-0" is negative zero, as in the general reading
}

} // namespace

QTimeZone LogEntryValues::systemTimeZone() { return LocalTimeZone::current(); }

std::optional<float> LogEntryValues::floatValue(QStringView line) {
  // Mostly a few digits alone, as the writer puts durations: read at once.
  if (!line.isEmpty() && line.size() <= 7) {
    unsigned notDigits = 0;
    const int value = digitsAt(line.utf16(), 0, int(line.size()), notDigits);
    if (!notDigits)
      return float(value);
  }
  const qsizetype start = skipWhiteSpace(line);
  qsizetype i = start;
  if (i < line.size() && (line.at(i) == u'+' || line.at(i) == u'-'))
    ++i;
  const qsizetype integerStart = i;
  i = skipDigits(line, i);
  qsizetype digits = i - integerStart;
  if (i < line.size() && line.at(i) == u'.') {
    const qsizetype fractionStart = i + 1;
    const qsizetype fractionEnd = skipDigits(line, fractionStart);
    digits += fractionEnd - fractionStart;
    if (fractionEnd > fractionStart || digits > 0)
      i = fractionEnd;
  }
  if (digits == 0)
    return std::nullopt;
  if (i < line.size() && (line.at(i) == u'e' || line.at(i) == u'E')) {
    qsizetype e = i + 1;
    if (e < line.size() && (line.at(e) == u'+' || line.at(e) == u'-'))
      ++e;
    const qsizetype exponentEnd = skipDigits(line, e);
    if (exponentEnd > e)
      i = exponentEnd;
  }
  if (const auto whole = shortWholeNumber(line, start, i))
    return whole;
  bool ok = false;
  const float value = line.mid(start, i - start).toLatin1().toFloat(&ok);
  // Out of range for a float: the sign decides, as with the C library.
  if (!ok)
    return line.at(start) == u'-' ? -std::numeric_limits<float>::max()
                                  : std::numeric_limits<float>::max();
  return value;
}

bool LogEntryValues::boolValue(QStringView line) {
  const qsizetype i = skipWhiteSpace(line);
  if (i >= line.size())
    return false;
  const QChar c = line.at(i);
  return c == u'Y' || c == u'y' || c == u'T' || c == u't' || (c >= u'1' && c <= u'9');
}

std::optional<WallClockTime> LogEntryValues::clockValue(QStringView line) {
  if (const auto read = fastDateAndTime(line))
    return read;
  // The writer's own reading, which also takes the digits of the user's locale.
  return Logger::wallClockTimeFromSystemLogString(line.toString());
}

std::optional<QDateTime> LogEntryValues::dateValue(QStringView line) {
  return dateValue(line, systemTimeZone());
}

std::optional<QDateTime> LogEntryValues::dateValue(QStringView line, const QTimeZone& systemZone) {
  const std::optional<WallClockTime> read = clockValue(line);
  if (!read)
    return std::nullopt;
  const QDateTime date = read->dateIn(systemZone);
  return date.isValid() ? std::optional<QDateTime>(date) : std::nullopt;
}

std::optional<LocalInstant> LogEntryValues::instantValue(QStringView line, LocalClockTimes& times) {
  const auto read = fastDateAndTime(line);
  if (!read)
    return std::nullopt;
  if (const auto instant = times.instantAwayFromTransitions(read->day, read->time))
    return instant;
  return read->instantIn(times.zone());
}

std::optional<LocalInstant> LogEntryValues::instantAwayFromTransitions(QStringView line,
                                                                       LocalClockTimes& times) {
  if (const auto read = fastDateAndTime(line))
    return times.instantAwayFromTransitions(read->day, read->time);
  return std::nullopt;
}

} // namespace kr
