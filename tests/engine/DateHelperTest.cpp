#include "engine/DateHelper.h"
#include "engine/TimeManager.h"

#include "support/TestClock.h"

#include <QLocale>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <ctime>

using kr::DateHelper;

namespace {

// Every date here is wall-clock time in Berlin, which changes to summer time
// on 2026-03-29 and back on 2026-10-25.
const bool zoneIsBerlin = [] {
  qputenv("TZ", "Europe/Berlin");
  tzset();
  return true;
}();

QDateTime at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
  return QDateTime(QDate(y, mo, d), QTime(h, mi, s));
}

class DateHelperTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(zoneIsBerlin);
    ASSERT_EQ(at(2026, 1, 15, 12).offsetFromUtc(), 3600);
    useLocale(QLocale::English, QLocale::UnitedKingdom); // Monday first, 24 hours
  }
  void TearDown() override { QLocale::setDefault(QLocale::c()); }
  static void useLocale(QLocale::Language language, QLocale::Territory territory) {
    QLocale::setDefault(QLocale(language, territory));
  }
  void setNow(const QDateTime& date) { clock.setDate(date); }

  kr::test::TestClock clock;
  DateHelper& helper = DateHelper::sharedHelper();
};

TEST_F(DateHelperTest, DaysAcrossDaylightSavingChangesLast23And25Hours) {
  // Spring: the night of 2026-03-29 loses an hour.
  const QDateTime springDay = at(2026, 3, 29, 15);
  EXPECT_EQ(helper.dateWithoutTime(springDay), at(2026, 3, 29));
  EXPECT_EQ(helper.add(1, springDay), at(2026, 3, 30));
  EXPECT_EQ(helper.dateWithoutTime(springDay).secsTo(helper.add(1, springDay)), 23 * 3600);
  EXPECT_EQ(helper.addDays(1, at(2026, 3, 28, 12)), at(2026, 3, 29, 12));
  EXPECT_EQ(at(2026, 3, 28, 12).secsTo(helper.addDays(1, at(2026, 3, 28, 12))), 23 * 3600);
  // A wall-clock time the change skips moves on by the hour skipped.
  EXPECT_EQ(helper.addDays(1, at(2026, 3, 28, 2, 30)), at(2026, 3, 29, 3, 30));

  // Autumn: the night of 2026-10-25 has an hour twice.
  const QDateTime autumnDay = at(2026, 10, 25, 1, 30);
  EXPECT_EQ(helper.dateWithoutTime(autumnDay).secsTo(helper.add(1, autumnDay)), 25 * 3600);
  EXPECT_EQ(helper.addDays(1, at(2026, 10, 24, 9)), at(2026, 10, 25, 9));
  EXPECT_EQ(at(2026, 10, 24, 9).secsTo(helper.addDays(1, at(2026, 10, 24, 9))), 25 * 3600);
  EXPECT_EQ(helper.add(-1, at(2026, 10, 26, 0, 30)), at(2026, 10, 25));

  // Weeks keep the time of day across both changes.
  EXPECT_EQ(helper.addWeeks(1, at(2026, 3, 23, 9)), at(2026, 3, 30, 9));
  EXPECT_EQ(helper.addWeeks(-1, at(2026, 10, 30, 9)), at(2026, 10, 23, 9));
  // The day string of a moment is its local day.
  EXPECT_EQ(helper.stringFromDate(QDateTime(QDate(2026, 7, 1), QTime(22, 30), Qt::UTC)),
            QStringLiteral("2026-07-02"));

  // lastDays and yesterday count calendar days, not 24-hour steps.
  setNow(at(2026, 3, 30, 0, 30));
  EXPECT_EQ(helper.yesterday(), at(2026, 3, 29));
  EXPECT_EQ(helper.lastDays(2), (QStringList{"2026-03-28", "2026-03-29", "2026-03-30"}));
  setNow(at(2026, 10, 26, 0, 30));
  EXPECT_EQ(helper.yesterday(), at(2026, 10, 25));
  EXPECT_EQ(helper.lastDays(1), (QStringList{"2026-10-25", "2026-10-26"}));
}

TEST_F(DateHelperTest, MonthAndYearEnds) {
  EXPECT_EQ(helper.addMonths(1, at(2026, 1, 31, 10)), at(2026, 2, 28, 10));
  EXPECT_EQ(helper.addMonths(1, at(2028, 1, 31, 10)), at(2028, 2, 29, 10));
  EXPECT_EQ(helper.addMonths(-1, at(2026, 3, 31, 8)), at(2026, 2, 28, 8));
  EXPECT_EQ(helper.addMonths(1, at(2026, 12, 15, 8)), at(2027, 1, 15, 8));
  EXPECT_EQ(helper.add(1, at(2026, 12, 31, 23, 30)), at(2027, 1, 1));
  EXPECT_EQ(helper.addDays(1, at(2028, 2, 28, 6)), at(2028, 2, 29, 6));
  EXPECT_EQ(helper.beginningOfTheMonth(at(2026, 12, 31, 23, 59)), at(2026, 12, 1));
  EXPECT_EQ(helper.beginningOfTheMonth(at(2027, 1, 1)), at(2027, 1, 1));
  EXPECT_EQ(helper.beginningOfTheMonth(at(2026, 4, 2, 1)), at(2026, 4, 1)); // summer time

  setNow(at(2028, 3, 3, 9)); // a leap year
  EXPECT_EQ(helper.lastDays(6), (QStringList{"2028-02-26", "2028-02-27", "2028-02-28", "2028-02-29",
                                             "2028-03-01", "2028-03-02", "2028-03-03"}));
  EXPECT_EQ(helper.lastDays(0), QStringList{"2028-03-03"});
  EXPECT_TRUE(helper.lastDays(-1).isEmpty());
  setNow(at(2027, 1, 1, 0, 5));
  EXPECT_EQ(helper.lastDays(2), (QStringList{"2026-12-30", "2026-12-31", "2027-01-01"}));
  EXPECT_EQ(helper.today(), at(2027, 1, 1));
  EXPECT_EQ(helper.yesterday(), at(2026, 12, 31));
}

TEST_F(DateHelperTest, WeeksStartOnTheLocalesFirstWeekday) {
  // Monday first.
  EXPECT_EQ(helper.firstWeekday(), 2);
  EXPECT_EQ(helper.beginningOfTheWeek(at(2026, 3, 8, 20)), at(2026, 3, 2));   // Sunday evening
  EXPECT_EQ(helper.beginningOfTheWeek(at(2026, 3, 2, 12)), at(2026, 3, 2));   // Monday noon
  EXPECT_EQ(helper.beginningOfTheWeek(at(2026, 3, 29, 23)), at(2026, 3, 23)); // across the change
  EXPECT_EQ(helper.beginningOfTheWeek(at(2027, 1, 2, 10)), at(2026, 12, 28)); // across the year

  // Sunday first.
  useLocale(QLocale::English, QLocale::UnitedStates);
  EXPECT_EQ(helper.firstWeekday(), 1);
  EXPECT_EQ(helper.beginningOfTheWeek(at(2026, 3, 8, 20)), at(2026, 3, 8));
  EXPECT_EQ(helper.beginningOfTheWeek(at(2026, 3, 7, 23, 59)), at(2026, 3, 1)); // Saturday

  EXPECT_EQ(helper.dayOfTheWeek(at(2026, 3, 1, 12)), 1); // Sunday
  EXPECT_EQ(helper.dayOfTheWeek(at(2026, 3, 2, 0)), 2);
  EXPECT_EQ(helper.dayOfTheWeek(at(2026, 3, 7, 23, 59)), 7);
  EXPECT_EQ(helper.dayOfTheWeek(QDateTime()), 0);
  EXPECT_EQ(helper.hourOfDay(at(2026, 3, 29, 3, 10)), 3);
  EXPECT_EQ(helper.hourOfDay(QDateTime(QDate(2026, 7, 1), QTime(22, 30), Qt::UTC)), 0);
}

TEST_F(DateHelperTest, DayStringsAreStrictGregorianDays) {
  const std::optional<QDateTime> day = helper.dateFromString(QStringLiteral("2026-03-29"));
  ASSERT_TRUE(day.has_value());
  EXPECT_EQ(*day, at(2026, 3, 29));
  EXPECT_EQ(helper.stringFromDate(*day), QStringLiteral("2026-03-29"));
  EXPECT_EQ(helper.stringFromDate(at(2026, 1, 5, 23, 59, 59)), QStringLiteral("2026-01-05"));
  for (const char* bad : {"2026-3-1", "2026-02-30", "26-03-01", " 2026-03-01", "2026-03-01x",
                          "2026/03/01", "", "tomorrow"}) {
    EXPECT_FALSE(helper.dateFromString(QString::fromLatin1(bad)).has_value()) << bad;
  }
  EXPECT_EQ(helper.stringFromDate(QDateTime()), QString());
}

TEST_F(DateHelperTest, StatisticsPeriodsFromTheApplicationClock) {
  setNow(at(2026, 3, 18, 15)); // Wednesday
  auto period = [&](qint64 mode) {
    const std::optional<kr::DatePeriod> p = helper.periodForStatsDateMode(mode);
    EXPECT_TRUE(p.has_value()) << mode;
    return p.value_or(kr::DatePeriod{});
  };
  EXPECT_LT(period(0).start, at(1900, 1, 1));
  EXPECT_EQ(period(0).end, at(2026, 3, 18, 15));
  EXPECT_EQ(period(1).start, at(2026, 3, 18));
  EXPECT_EQ(period(1).end, at(2026, 3, 19)); // today's slices included
  EXPECT_EQ(period(2).start, at(2026, 3, 17));
  EXPECT_EQ(period(2).end, at(2026, 3, 18));
  EXPECT_EQ(period(3).start, at(2026, 3, 16));
  EXPECT_EQ(period(3).end, at(2026, 3, 18, 15));
  EXPECT_EQ(period(4).start, at(2026, 3, 11));
  EXPECT_EQ(period(4).end, at(2026, 3, 18)); // today left out
  EXPECT_EQ(period(5).start, at(2026, 3, 9));
  EXPECT_EQ(period(5).end, at(2026, 3, 16));
  EXPECT_EQ(period(6).start, at(2026, 3, 1));
  EXPECT_EQ(period(6).end, at(2026, 3, 18, 15));
  EXPECT_EQ(period(7).start, at(2026, 2, 16));
  EXPECT_EQ(period(7).end, at(2026, 3, 18));
  EXPECT_FALSE(helper.periodForStatsDateMode(8).has_value());
  EXPECT_FALSE(helper.periodForStatsDateMode(-1).has_value());

  // Across the spring change the periods still start at midnight.
  setNow(at(2026, 4, 2, 10));
  EXPECT_EQ(period(4).start, at(2026, 3, 26));
  EXPECT_EQ(period(7).start, at(2026, 3, 3));
}

TEST_F(DateHelperTest, DurationTexts) {
  EXPECT_EQ(DateHelper::formatNumberOfSeconds(65), QStringLiteral("01′05″"));
  EXPECT_EQ(DateHelper::formatNumberOfSeconds(3725), QStringLiteral("62′05″"));
  EXPECT_EQ(DateHelper::formatNumberOfSeconds(0), QStringLiteral("00′00″"));
  EXPECT_EQ(DateHelper::formatNumberOfSeconds(65).at(2), QChar(0x2032));
  EXPECT_EQ(DateHelper::formatNumberOfSeconds(65).at(5), QChar(0x2033));

  const QList<QPair<qint64, QString>> hoursAndMinutes = {{0, "Less than one minute"},
                                                         {59, "Less than one minute"},
                                                         {60, "1 minute"},
                                                         {125, "2 minutes"},
                                                         {3599, "59 minutes"},
                                                         {3600, "1 hour"},
                                                         {3660, "1 hour 1 minute"},
                                                         {7200, "2 hours"},
                                                         {7320, "2 hours 2 minutes"},
                                                         {90000, "25 hours"}};
  for (const auto& [seconds, text] : hoursAndMinutes)
    EXPECT_EQ(DateHelper::formatNumberOfSecondsAsHoursAndMinutes(seconds), text) << seconds;

  const QList<QPair<qint64, QString>> withSeconds = {{0, ""},
                                                     {1, "1 second"},
                                                     {59, "59 seconds"},
                                                     {61, "1 minute 1 second"},
                                                     {3601, "1 hour 1 second"},
                                                     {3660, "1 hour 1 minute"},
                                                     {7322, "2 hours 2 minutes 2 seconds"}};
  for (const auto& [seconds, text] : withSeconds)
    EXPECT_EQ(DateHelper::formatNumberOfSecondsAsHoursAndMinutesAndSeconds(seconds), text)
        << seconds;

  const QList<QPair<qint64, QString>> withDays = {
      {30, "Less than one minute"},
      {3599, "59 minutes"},
      {3600, "1 hour"},
      {86400, "1 day"},
      {90061, "1 day 1 hour 1 minute"},
      {86460, "1 day 1 minute"},
      {172800 + 7200 + 120, "2 days 2 hours 2 minutes"}};
  for (const auto& [seconds, text] : withDays)
    EXPECT_EQ(DateHelper::formatNumberOfSecondsAsDaysAndHoursAndMinutes(seconds), text) << seconds;
}

TEST_F(DateHelperTest, MediumDateAndTimeStyles) {
  const QDateTime moment = at(2020, 3, 7, 14, 30, 30);
  EXPECT_EQ(helper.formattedDate(moment), QStringLiteral("7 Mar 2020"));
  EXPECT_EQ(helper.formattedTime(moment), QStringLiteral("14:30:30"));
  useLocale(QLocale::English, QLocale::UnitedStates);
  EXPECT_EQ(helper.formattedDate(moment), QStringLiteral("Mar 7, 2020"));
  EXPECT_EQ(helper.formattedTime(moment), QStringLiteral("2:30:30 PM"));
  useLocale(QLocale::German, QLocale::Germany);
  EXPECT_EQ(helper.formattedDate(moment), QStringLiteral("7. März 2020"));
  EXPECT_EQ(helper.formattedTime(moment), QStringLiteral("14:30:30"));
  // A format whose weekday sits between other letters keeps them.
  EXPECT_EQ(DateHelper::mediumDateFormat(QLocale(QLocale::Japanese, QLocale::Japan)),
            QStringLiteral("yyyy年M月d日"));
}

kr::CharFormat markerFormat() {
  kr::CharFormat format;
  format.fontFamily = QStringLiteral("Helvetica");
  format.fontSize = 20.0;
  return format;
}

// The characters set in the marker font (and nothing else), or "" when none is.
QString markedPart(const kr::RichText& text) {
  QString marked;
  for (const kr::RichText::Run& run : text.runs()) {
    if (run.format == markerFormat())
      marked += text.plainText().mid(run.start, run.length);
    else
      EXPECT_EQ(run.format, kr::CharFormat{}) << "an unexpected attribute";
  }
  return marked;
}

TEST_F(DateHelperTest, DayHalfMarkerGetsItsOwnFont) {
  useLocale(QLocale::English, QLocale::UnitedStates);
  const kr::RichText evening = helper.formatDateAsTimeWithAmPmIfAppropriate(at(2026, 3, 2, 21, 41));
  EXPECT_EQ(evening.plainText(), QStringLiteral("9:41:00 PM"));
  EXPECT_EQ(markedPart(evening), QStringLiteral(" PM")); // the last three characters
  EXPECT_EQ(evening.formatAt(7), markerFormat());
  EXPECT_EQ(evening.formatAt(6), kr::CharFormat{});

  useLocale(QLocale::English, QLocale::UnitedKingdom);
  const kr::RichText plain = helper.formatDateAsTimeWithAmPmIfAppropriate(at(2026, 3, 2, 21, 41));
  EXPECT_EQ(plain.plainText(), QStringLiteral("21:41:00"));
  EXPECT_EQ(markedPart(plain), QString());

  // Without a blank before it, the first "am" (else "pm") is marked.
  EXPECT_EQ(markedPart(DateHelper::markDayHalf(QStringLiteral("9:41:00pm"))), QStringLiteral("pm"));
  EXPECT_EQ(markedPart(DateHelper::markDayHalf(QStringLiteral("AM 9:41"))), QStringLiteral("AM"));
  EXPECT_EQ(markedPart(DateHelper::markDayHalf(QStringLiteral("9:41 am"))), QStringLiteral(" am"));
  EXPECT_EQ(markedPart(DateHelper::markDayHalf(QStringLiteral("pm 9:41 am"))),
            QStringLiteral(" am"));
}

TEST_F(DateHelperTest, RecencyLabels) {
  setNow(at(2026, 3, 18, 15)); // Wednesday; the week began on Monday the 16th
  const QList<QPair<QDateTime, QString>> cases = {{at(2026, 3, 18, 14, 30), "Just Now"},
                                                  {at(2026, 3, 19, 9), "Just Now"}, // the future
                                                  {at(2026, 3, 18, 13, 30), "An Hour Ago"},
                                                  {at(2026, 3, 18, 12, 30), "Two Hours Ago"},
                                                  {at(2026, 3, 18, 11, 30), "Three Hours Ago"},
                                                  {at(2026, 3, 18, 10, 30), "Four Hours Ago"},
                                                  {at(2026, 3, 18, 9), "This Morning"},
                                                  {at(2026, 3, 17, 10), "Yesterday"},
                                                  {at(2026, 3, 16, 10), "This Monday"},
                                                  {at(2026, 3, 15, 10), "Last Week"},
                                                  {at(2026, 3, 9, 0, 0), "Last Week"},
                                                  {at(2026, 3, 5, 10), "Earlier This Month"},
                                                  {at(2026, 2, 10, 10), "Last Month"},
                                                  {at(2026, 1, 10, 10), "2 Months Ago"},
                                                  {at(2025, 6, 1, 10), "Last Year"},
                                                  {at(2023, 5, 1, 10), "3 Years Ago"}};
  for (const auto& [date, label] : cases)
    EXPECT_EQ(helper.recencyDescriptionString(date), label) << date.toString().toStdString();

  setNow(at(2026, 3, 18, 13));
  EXPECT_EQ(helper.recencyDescriptionString(at(2026, 3, 18, 7)), QStringLiteral("Earlier Today"));
  setNow(at(2026, 3, 21, 20)); // Saturday
  EXPECT_EQ(helper.recencyDescriptionString(at(2026, 3, 19, 8)), QStringLiteral("This Thursday"));
  EXPECT_EQ(helper.recencyDescriptionString(at(2026, 3, 20, 8)), QStringLiteral("Yesterday"));
  useLocale(QLocale::English, QLocale::UnitedStates); // the week began on Sunday the 15th
  EXPECT_EQ(helper.recencyDescriptionString(at(2026, 3, 15, 8)),
            QStringLiteral("Earlier This Week"));
}

TEST_F(DateHelperTest, ElapsedPhrases) {
  setNow(at(2026, 3, 18, 15));
  const QList<QPair<double, QString>> cases = {
      {30, "less than a minute ago"}, {90, "a minute ago"},  {150.9, "2 minutes ago"},
      {3599, "59 minutes ago"},       {5000, "an hour ago"}, {18000, "5 hours ago"},
      {72000, "since yesterday"},     {259200, "3 days ago"}};
  for (const auto& [seconds, phrase] : cases)
    EXPECT_EQ(helper.howLongAgoDescription(seconds), phrase) << seconds;
}

TEST(TimeManagerTest, QuarterSecondTicks) {
  const kr::TimeManager& manager = kr::TimeManager::defaultManager();
  EXPECT_EQ(manager.convertTicksToSeconds(10), 2.5);
  EXPECT_EQ(manager.convertSecondsToTicks(2.6), 10);
  EXPECT_EQ(manager.convertSecondsToTicks(-1.3), -5);
  EXPECT_EQ(manager.convertSecondsToTicks(1.0e12), std::numeric_limits<qint32>::max());
  const qint32 ticks = 4 * (3600 + 5 * 60 + 7); // 1:05:07
  EXPECT_EQ(manager.formatTimeInTicksWithOnlyMinutes(ticks), QStringLiteral("5′"));
  EXPECT_EQ(manager.formatTimeInTicksWithMinutesAndSeconds(ticks), QStringLiteral("65:07"));
  EXPECT_EQ(manager.formatTimeInTicks(ticks), QStringLiteral("01:05:07"));
  EXPECT_EQ(manager.formatTimeInTicks(3), QStringLiteral("00:00:00"));
}

} // namespace
