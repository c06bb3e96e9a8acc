#include "engine/FullDataSet.h"
#include "engine/LogEntryValues.h"
#include "engine/LogFileCache.h"
#include "platform/LocalTimeZone.h"
#include "support/ZoneScope.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ctime>
#include <random>

using namespace kr;
using kr::test::ZoneScope;

namespace {

// What the cached conversion gives, and QDateTime near a transition, against
// what QDateTime gives; empty when they agree.
QString mismatch(LocalClockTimes& times, const QDate& day, const QTime& time) {
  const QDateTime expected(day, time, times.zone());
  auto instant = times.instantAwayFromTransitions(day, time);
  if (!instant && expected.isValid())
    instant = LocalInstant{expected.toMSecsSinceEpoch(), expected.offsetFromUtc()};
  if (!expected.isValid())
    return instant ? QStringLiteral("valid: ") + day.toString() + time.toString() : QString();
  if (!instant || instant->msecs != expected.toMSecsSinceEpoch() ||
      instant->offsetSeconds != expected.offsetFromUtc() || instant->localDate() != expected.date())
    return day.toString(Qt::ISODate) + u' ' + time.toString() + QStringLiteral(" -> ") +
           (instant
                ? QString::number(instant->msecs) + u'/' + QString::number(instant->offsetSeconds)
                : QStringLiteral("nothing")) +
           QStringLiteral(" instead of ") + expected.toString(Qt::ISODateWithMs);
  return {};
}

// Every quarter of an hour over the days around each of the zone's
// transitions in `year` (around a few fixed days when it has none).
QStringList mismatchesAroundTransitions(LocalClockTimes& times, int year) {
  const QTimeZone& zone = times.zone();
  QList<QDate> days;
  for (const auto& transition :
       zone.transitions(QDateTime(QDate(year, 1, 1), QTime(0, 0), Qt::UTC),
                        QDateTime(QDate(year + 1, 1, 1), QTime(0, 0), Qt::UTC)))
    days.append(transition.atUtc.toTimeZone(zone).date());
  if (days.isEmpty())
    days = {QDate(year, 1, 1), QDate(year, 6, 30), QDate(year, 12, 31)};
  QStringList found;
  for (const QDate& middle : days) {
    for (QDate day = middle.addDays(-3); day <= middle.addDays(3); day = day.addDays(1)) {
      for (int quarter = 0; quarter < 96; ++quarter) {
        const QString wrong = mismatch(times, day, QTime(quarter / 4, quarter % 4 * 15));
        if (!wrong.isEmpty())
          found.append(wrong);
      }
    }
  }
  return found;
}

const char* const kZones[] = {
    "Europe/Berlin", "America/New_York", "Australia/Lord_Howe", "Asia/Kathmandu", "UTC", "Etc/UTC"};

} // namespace

TEST(LocalClockTimes, GiveWhatQDateTimeGivesAcrossTransitionsOldAndFarDatesAndRandomTimes) {
  for (const char* name : kZones) {
    SCOPED_TRACE(name);
    ZoneScope scope(name);
    LocalClockTimes times;
    ASSERT_EQ(times.zone().id(), QByteArray(name));
    for (int year : {1965, 1986, 1996, 2026, 2040}) {
      SCOPED_TRACE(year);
      EXPECT_EQ(mismatchesAroundTransitions(times, year), QStringList());
    }
    // A second reader shares the stretches the first one found.
    LocalClockTimes second;
    std::mt19937 random(20261207);
    std::uniform_int_distribution<qint64> days(QDate(1900, 1, 1).toJulianDay(),
                                               QDate(2100, 12, 31).toJulianDay());
    std::uniform_int_distribution<int> seconds(0, 86399);
    QStringList found;
    for (int i = 0; i < 4000; ++i) {
      const QString wrong = mismatch(i % 2 ? times : second, QDate::fromJulianDay(days(random)),
                                     QTime::fromMSecsSinceStartOfDay(seconds(random) * 1000));
      if (!wrong.isEmpty())
        found.append(wrong);
    }
    EXPECT_EQ(found, QStringList());
  }
}

TEST(LocalClockTimes, GiveTheOffsetAndHourOfQDateTimeForInstantsInAnyOrder) {
  for (const char* name : kZones) {
    SCOPED_TRACE(name);
    ZoneScope scope(name);
    LocalClockTimes times;
    const QTimeZone& zone = times.zone();
    // Every quarter of an hour around each transition, forwards and then
    // backwards (the kept stretch must not carry over a transition either
    // way), and random instants far apart.
    QList<qint64> instants;
    for (int year : {1965, 1996, 2026, 2040})
      for (const auto& transition :
           zone.transitions(QDateTime(QDate(year, 1, 1), QTime(0, 0), Qt::UTC),
                            QDateTime(QDate(year + 1, 1, 1), QTime(0, 0), Qt::UTC)))
        for (qint64 q = -96; q <= 96; ++q)
          instants.append(transition.atUtc.toMSecsSinceEpoch() + q * 900000 + (q == 0 ? 0 : q % 2));
    const qsizetype around = instants.size();
    for (qsizetype i = around - 1; i >= 0; --i)
      instants.append(instants[i]);
    std::mt19937 random(7122026);
    std::uniform_int_distribution<qint64> anywhere(
        QDateTime(QDate(1850, 1, 1), QTime(0, 0), Qt::UTC).toMSecsSinceEpoch(),
        QDateTime(QDate(2150, 1, 1), QTime(0, 0), Qt::UTC).toMSecsSinceEpoch());
    for (int i = 0; i < 3000; ++i)
      instants.append(anywhere(random));
    QStringList found;
    for (qint64 msecs : instants) {
      const QDateTime expected = QDateTime::fromMSecsSinceEpoch(msecs, Qt::UTC).toTimeZone(zone);
      const std::optional<int> offset = times.offsetAt(msecs);
      if (!offset || *offset != expected.offsetFromUtc() ||
          LocalInstant{msecs, *offset}.localHour() != expected.time().hour())
        found.append(expected.toString(Qt::ISODateWithMs) + QStringLiteral(" -> ") +
                     (offset ? QString::number(*offset) : QStringLiteral("nothing")));
    }
    EXPECT_EQ(found, QStringList());
  }
  // Before 1970 the hour still counts from midnight.
  EXPECT_EQ((LocalInstant{-1, 0}.localHour()), 23);
  EXPECT_EQ((LocalInstant{-3600000 * 25LL, 3600}.localHour()), 0);
}

TEST(LocalClockTimes, FollowAChangeOfZoneAndKeepTheirOwnZoneMeanwhile) {
  ZoneScope scope("Europe/Berlin");
  const QDate summer(2026, 7, 1);
  const QTime noon(12, 0);
  LocalClockTimes berlin;
  EXPECT_EQ(berlin.instantAwayFromTransitions(summer, noon)->offsetSeconds, 7200);
  scope.set("America/New_York");
  LocalClockTimes newYork;
  EXPECT_EQ(newYork.zone().id(), QByteArray("America/New_York"));
  EXPECT_EQ(newYork.instantAwayFromTransitions(summer, noon)->offsetSeconds, -4 * 3600);
  EXPECT_EQ(newYork.instantAwayFromTransitions(summer, noon)->msecs,
            QDateTime(summer, noon, Qt::OffsetFromUTC, -4 * 3600).toMSecsSinceEpoch());
  // One taken before the change reads on in its zone (as a file being read).
  EXPECT_EQ(berlin.instantAwayFromTransitions(summer.addDays(30), noon)->offsetSeconds, 7200);
  scope.set("Europe/Berlin");
  LocalClockTimes again;
  EXPECT_EQ(again.instantAwayFromTransitions(summer.addDays(30), noon)->offsetSeconds, 7200);
  EXPECT_FALSE(again.instantAwayFromTransitions(QDate(2026, 2, 30), noon).has_value());
}

namespace {

const int kEntriesPerDay = 48;

QString entryText(const QDate& day, int index) {
  return day.toString(Qt::ISODate) + QStringLiteral(" %1:%2:%3")
                                         .arg(index / 2, 2, 10, QLatin1Char('0'))
                                         .arg(index % 2 * 30 + index % 7, 2, 10, QLatin1Char('0'))
                                         .arg(index % 3 * 29, 2, 10, QLatin1Char('0'));
}

// Day packages over the days around the zone's transitions of a few years:
// entries every half hour, the skipped and repeated hours among them.
QHash<QString, QString> writeFolder(const QString& folder, const QTimeZone& zone) {
  QHash<QString, QString> startOf; // by identifier
  QList<QDate> days;
  for (int year : {1996, 2026, 2040})
    for (const auto& transition :
         zone.transitions(QDateTime(QDate(year, 1, 1), QTime(0, 0), Qt::UTC),
                          QDateTime(QDate(year + 1, 1, 1), QTime(0, 0), Qt::UTC)))
      for (int d = -3; d <= 3; ++d)
        days.append(transition.atUtc.toTimeZone(zone).date().addDays(d));
  days.append(QDate(1969, 12, 31));
  days.append(QDate(2200, 6, 1));
  for (const QDate& day : days) {
    QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1252\\cocoartf2639\n"
                     "{\\fonttbl\\f0\\fswiss\\fcharset0 Helvetica;}\n\\f0\\fs24 \\cf0 ";
    for (int i = 0; i < kEntriesPerDay; ++i) {
      const QString uuid = QString::asprintf("%08X-1111-4222-8333-%012d",
                                             unsigned(day.toJulianDay() % 100000000), i);
      const QString start = entryText(day, i);
      startOf.insert(uuid, start);
      rtf += "#TimeSlice\\\n" + uuid.toLatin1() + "\\\n#startDate\\\n" + start.toLatin1() +
             "\\\n#endDate\\\n" + entryText(day, (i + 5) % kEntriesPerDay).toLatin1() +
             "\\\n#duration\\\n1500\\\n";
    }
    rtf += "}\n";
    const QString package =
        folder +
        QStringLiteral("/System Log Day %1 (a4836e8b9f2).rtfd").arg(day.toString(Qt::ISODate));
    QDir().mkpath(package);
    QFile file(package + QStringLiteral("/TXT.rtf"));
    if (file.open(QIODevice::WriteOnly))
      file.write(rtf);
  }
  return startOf;
}

QString describe(const RawTimeSlice& slice, const QDateTime& end) {
  const QDateTime start = slice.startDate();
  return start.toString(Qt::ISODateWithMs) + u' ' + QString::number(start.timeSpec()) + u' ' +
         start.timeZone().id() + u' ' + QString::number(slice.startMSecsSinceEpoch()) + u' ' +
         slice.dayString().value_or(QString()) + u' ' + end.toString(Qt::ISODateWithMs) + u' ' +
         QString::number(end.toMSecsSinceEpoch()) + u' ' +
         QString::number(slice.beginsAfter(end.addSecs(-3600))) +
         QString::number(slice.beginsBefore(end));
}

} // namespace

TEST(LocalClockTimes, TheReaderGivesTheDatesOfQDateTimeInTheZone) {
  for (const char* name : {"Europe/Berlin", "Australia/Lord_Howe"}) {
    SCOPED_TRACE(name);
    ZoneScope scope(name);
    QTemporaryDir dir;
    const QTimeZone zone = LocalTimeZone::current();
    const QHash<QString, QString> startOf = writeFolder(dir.path(), zone);
    LogFileCache cache;
    const LogFileCache::FolderRead read = cache.readFolder(dir.path());
    FullDataSet full;
    full.loadFromFiles(read.files, read.tagStringsParsed);
    ASSERT_EQ(full.timeSlices().size(), std::size_t(startOf.size()));
    QString read_, expected;
    for (const auto& slice : full.timeSlices()) {
      const QString start = startOf.value(slice->uuid());
      const int index = slice->uuid().right(12).toInt();
      const QString end =
          entryText(QDate::fromString(start.left(10), Qt::ISODate), (index + 5) % kEntriesPerDay);
      read_ += describe(*slice, slice->endDate()) + u'\n';
      // The dates as read one by one.
      RawTimeSlice made;
      made.setStartDate(LogEntryValues::dateValue(start, zone).value());
      expected += describe(made, LogEntryValues::dateValue(end, zone).value()) + u'\n';
    }
    EXPECT_EQ(read_, expected);
  }
}
