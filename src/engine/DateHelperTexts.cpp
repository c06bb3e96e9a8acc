// The texts of DateHelper: dates, times and durations as shown to the user.
#include "engine/DateHelper.h"
#include "platform/LocalTimeZone.h"

#include <QList>

#include <algorithm>
#include <cmath>

namespace kr {

namespace {

// One piece of a date/time format: a run of one field letter, a quoted
// literal, or other literal characters.
struct FormatToken {
  QString text;
  bool field = false;
};

// Only ASCII letters name fields; other letters are literal text.
bool isFieldLetter(QChar c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

// A literal made of blanks and punctuation only: a separator between fields.
bool isSeparator(const FormatToken& token) {
  if (token.field || token.text.startsWith(u'\''))
    return false;
  for (const QChar c : token.text) {
    if (c.isLetterOrNumber())
      return false;
  }
  return true;
}

QList<FormatToken> tokenize(const QString& format) {
  QList<FormatToken> tokens;
  for (qsizetype i = 0; i < format.size();) {
    const QChar c = format.at(i);
    if (isFieldLetter(c)) {
      qsizetype j = i;
      while (j < format.size() && format.at(j) == c)
        ++j;
      tokens.append({format.mid(i, j - i), true});
      i = j;
    } else if (c == u'\'') {
      qsizetype j = i + 1;
      while (j < format.size()) {
        if (format.at(j) == u'\'' && (j + 1 >= format.size() || format.at(j + 1) != u'\''))
          break;
        j += format.at(j) == u'\'' ? 2 : 1;
      }
      tokens.append({format.mid(i, j + 1 - i), false});
      i = j + 1;
    } else {
      qsizetype j = i;
      while (j < format.size() && !isFieldLetter(format.at(j)) && format.at(j) != u'\'')
        ++j;
      tokens.append({format.mid(i, j - i), false});
      i = j;
    }
  }
  return tokens;
}

// Removes the field tokens the predicate picks, with the separator that tied
// each to its neighbour (the one after it at the start, else the one before).
template <typename Predicate> QString withoutFields(const QString& format, Predicate drop) {
  QList<FormatToken> tokens = tokenize(format);
  for (qsizetype i = 0; i < tokens.size();) {
    if (!tokens[i].field || !drop(tokens[i].text)) {
      ++i;
      continue;
    }
    tokens.removeAt(i);
    if (i == 0 && !tokens.isEmpty() && isSeparator(tokens[0])) {
      tokens.removeAt(0);
    } else if (i > 0 && isSeparator(tokens[i - 1])) {
      tokens.removeAt(i - 1);
      --i;
    }
  }
  QString out;
  for (const FormatToken& token : tokens)
    out += token.text;
  return out.trimmed();
}

QString unitText(qint64 count, const char* one, const char* many) {
  if (count == 1)
    return QString::fromLatin1(one);
  return QString::fromLatin1(many).arg(count);
}

QString hourPart(qint64 s) {
  if (s >= 3600 && s < 7200)
    return QStringLiteral("1 hour");
  if (s >= 7200)
    return QStringLiteral("%1 hours").arg(s / 3600);
  return {};
}

} // namespace

QString DateHelper::mediumDateFormat(const QLocale& locale) {
  // The long date without the weekday and with the month's short name.
  QString format = withoutFields(locale.dateFormat(QLocale::LongFormat), [](const QString& f) {
    return f.startsWith(u'd') && f.size() >= 3;
  });
  format.replace(QStringLiteral("MMMM"), QStringLiteral("MMM"));
  return format;
}

QString DateHelper::mediumTimeFormat(const QLocale& locale) {
  // The long time (with seconds) without the time zone.
  return withoutFields(locale.timeFormat(QLocale::LongFormat),
                       [](const QString& f) { return f.startsWith(u't'); });
}

QString DateHelper::formattedDate(const QDateTime& date) const {
  const QLocale locale;
  return locale.toString(LocalTimeZone::toLocal(date).date(), mediumDateFormat(locale));
}

QString DateHelper::formattedTime(const QDateTime& date) const {
  const QLocale locale;
  return locale.toString(LocalTimeZone::toLocal(date).time(), mediumTimeFormat(locale));
}

RichText DateHelper::formatDateAsTimeWithAmPmIfAppropriate(const QDateTime& date) const {
  return markDayHalf(formattedTime(date));
}

RichText DateHelper::markDayHalf(const QString& time) {
  RichText result(time);
  const QString lower = time.toLower();
  qsizetype start = -1;
  qsizetype length = 0;
  if (time.size() >= 3 &&
      (lower.contains(QStringLiteral(" am")) || lower.contains(QStringLiteral(" pm")))) {
    start = time.size() - 3;
    length = 3;
  } else {
    start = lower.indexOf(QStringLiteral("am"));
    if (start < 0)
      start = lower.indexOf(QStringLiteral("pm"));
    length = 2;
  }
  if (start >= 0) {
    // The marker's font replaces every other attribute of those characters.
    CharFormat marker;
    marker.fontFamily = QString::fromLatin1(kMarkerFontFamily);
    marker.fontSize = kMarkerPointSize;
    result.setFormat(int(start), int(length), marker);
  }
  return result;
}

QString DateHelper::formatNumberOfSeconds(qint64 seconds) {
  const auto minutes = static_cast<qint32>(seconds / 60);
  const auto rest = static_cast<qint32>(seconds - 60 * (seconds / 60));
  return QString::asprintf("%02d", minutes) + QChar(0x2032) + QString::asprintf("%02d", rest) +
         QChar(0x2033);
}

QString DateHelper::formatNumberOfSecondsAsHoursAndMinutes(qint64 s) {
  const qint64 m = (s / 60) % 60;
  QString text = hourPart(s);
  if (s >= 3600 && m >= 1)
    text += u' ';
  if (m >= 1)
    text += unitText(m, "1 minute", "%1 minutes");
  return text.isEmpty() ? QStringLiteral("Less than one minute") : text;
}

QString DateHelper::formatNumberOfSecondsAsHoursAndMinutesAndSeconds(qint64 s) {
  QStringList parts;
  if (const QString hours = hourPart(s); !hours.isEmpty())
    parts.append(hours);
  if (const qint64 m = (s / 60) % 60; m >= 1)
    parts.append(unitText(m, "1 minute", "%1 minutes"));
  if (const qint64 rest = s - 60 * (s / 60); rest >= 1)
    parts.append(unitText(rest, "1 second", "%1 seconds"));
  return parts.join(u' ');
}

QString DateHelper::formatNumberOfSecondsAsDaysAndHoursAndMinutes(qint64 s) {
  QStringList parts;
  if (s >= 86400 && s < 172800)
    parts.append(QStringLiteral("1 day"));
  else if (s >= 172800)
    parts.append(QStringLiteral("%1 days").arg(s / 86400));
  if (const qint64 h = (s / 3600) % 24; h >= 1)
    parts.append(unitText(h, "1 hour", "%1 hours"));
  if (const qint64 m = (s / 60) % 60; m >= 1)
    parts.append(unitText(m, "1 minute", "%1 minutes"));
  return parts.isEmpty() ? QStringLiteral("Less than one minute") : parts.join(u' ');
}

QString DateHelper::recencyDescriptionString(const QDateTime& date) const {
  if (!date.isValid())
    return {};
  const QDateTime current = now();
  const double t = static_cast<double>(current.msecsTo(date)) / 1000.0;
  if (t > -3600)
    return QStringLiteral("Just Now");
  if (t > -7200)
    return QStringLiteral("An Hour Ago");
  if (t > -10800)
    return QStringLiteral("Two Hours Ago");
  if (t > -14400)
    return QStringLiteral("Three Hours Ago");
  if (t > -18000)
    return QStringLiteral("Four Hours Ago");
  const QDateTime day = dateWithoutTime(date);
  const QDateTime startOfToday = dateWithoutTime(current);
  if (day == startOfToday) {
    return hourOfDay(date) < 12 && hourOfDay(current) > 13 ? QStringLiteral("This Morning")
                                                           : QStringLiteral("Earlier Today");
  }
  if (day == addDays(-1, startOfToday))
    return QStringLiteral("Yesterday");
  const QDateTime weekStart = beginningOfTheWeek(current);
  if (date >= weekStart) {
    static const char* const names[] = {"This Monday",   "This Tuesday", "This Wednesday",
                                        "This Thursday", "This Friday",  "This Saturday"};
    const int weekday = dayOfTheWeek(date);
    return weekday >= 2 ? QString::fromLatin1(names[weekday - 2])
                        : QStringLiteral("Earlier This Week");
  }
  if (date >= addWeeks(-1, weekStart))
    return QStringLiteral("Last Week");
  const QDateTime monthStart = beginningOfTheMonth(current);
  if (day >= monthStart)
    return QStringLiteral("Earlier This Month");
  if (date >= addMonths(-1, monthStart))
    return QStringLiteral("Last Month");
  const QDate todayDate = startOfToday.date();
  const QDate dateDay = day.date();
  if (todayDate.year() <= dateDay.year())
    return QStringLiteral("%1 Months Ago").arg(todayDate.month() - dateDay.month());
  if (todayDate.year() - dateDay.year() == 1)
    return QStringLiteral("Last Year");
  return QStringLiteral("%1 Years Ago").arg(todayDate.year() - dateDay.year());
}

QString DateHelper::howLongAgoDescription(double seconds) const {
  // Out-of-range values are held to what a date can be away from now.
  const double s = std::isfinite(seconds) ? std::clamp(seconds, -1.0e15, 1.0e15) : 0.0;
  if (s < 60)
    return QStringLiteral("less than a minute ago");
  if (s < 120)
    return QStringLiteral("a minute ago");
  if (s < 3600)
    return QStringLiteral("%1 minutes ago").arg(static_cast<qint64>(s / 60));
  if (s < 7200)
    return QStringLiteral("an hour ago");
  const QDateTime current = now();
  const QDateTime moment = current.addMSecs(-static_cast<qint64>(s * 1000.0));
  const QDateTime startOfToday = dateWithoutTime(current);
  if (moment > startOfToday)
    return QStringLiteral("%1 hours ago").arg(static_cast<qint64>(s / 3600));
  if (moment > addDays(-1, startOfToday))
    return QStringLiteral("since yesterday");
  return QStringLiteral("%1 days ago").arg(static_cast<qint64>(s / 86400));
}

} // namespace kr
