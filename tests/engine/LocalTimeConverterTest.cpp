#include "engine/LocalTimeConverter.h"

#include <gtest/gtest.h>

#include <random>

using kr::LocalTimeConverter;

namespace {

// The converter must give what Qt's own conversion gives, in every respect
// a caller can see.
void expectSameAsQt(const QTimeZone& zone, LocalTimeConverter& converter, QDate date, QTime time) {
  const QDateTime expected(date, time, zone);
  const QDateTime actual = converter.dateTime(date, time);
  ASSERT_EQ(actual.isValid(), expected.isValid());
  ASSERT_EQ(actual, expected) << qPrintable(zone.id() + ' ' + date.toString(Qt::ISODate) + ' ' +
                                            time.toString());
  ASSERT_EQ(actual.timeSpec(), expected.timeSpec());
  ASSERT_EQ(actual.timeZone(), expected.timeZone());
  ASSERT_EQ(actual.offsetFromUtc(), expected.offsetFromUtc());
  ASSERT_EQ(actual.isDaylightTime(), expected.isDaylightTime());
  ASSERT_EQ(actual.date(), expected.date());
  ASSERT_EQ(actual.time(), expected.time());
}

} // namespace

TEST(LocalTimeConverter, MatchesQtAcrossOffsetChangesGapsAndOverlaps) {
  // Summer time, a half-hour change, a skipped day (2011-12-30 in Apia) and
  // years before 1970.
  for (const char* id : {"Europe/Berlin", "Australia/Lord_Howe", "Pacific/Apia", "UTC"}) {
    const QTimeZone zone(id);
    ASSERT_TRUE(zone.isValid()) << id;
    LocalTimeConverter converter(zone);
    // Every 47 minutes: lands on every part of the hour, and inside every gap
    // and overlap, over several years.
    for (QDateTime t(QDate(1968, 12, 1), QTime(0, 0), Qt::UTC); t.date().year() < 1970;
         t = t.addSecs(47 * 60))
      expectSameAsQt(zone, converter, t.date(), t.time());
    for (QDateTime t(QDate(2010, 9, 1), QTime(0, 0), Qt::UTC); t.date().year() < 2013;
         t = t.addSecs(47 * 60))
      expectSameAsQt(zone, converter, t.date(), t.time());
  }
}

TEST(LocalTimeConverter, MatchesQtInAnyOrderAndForInvalidInput) {
  const QTimeZone zone("America/Sao_Paulo");
  ASSERT_TRUE(zone.isValid());
  LocalTimeConverter converter(zone);
  std::mt19937 random(7);
  std::uniform_int_distribution<qint64> day(QDate(1960, 1, 1).toJulianDay(),
                                            QDate(2060, 1, 1).toJulianDay());
  std::uniform_int_distribution<int> minute(0, 24 * 60 - 1);
  for (int i = 0; i < 20000; ++i) {
    const QTime time = QTime(0, 0).addSecs(minute(random) * 60);
    expectSameAsQt(zone, converter, QDate::fromJulianDay(day(random)), time);
  }
  expectSameAsQt(zone, converter, QDate(), QTime(12, 0));
  expectSameAsQt(zone, converter, QDate(2020, 1, 1), QTime());
  // Nothing of the invalid ones is remembered.
  expectSameAsQt(zone, converter, QDate(2020, 1, 1), QTime(12, 0));
}
