#include "stats/ConcentrationLevel.h"
#include "stats/JavaScriptSource.h"
#include "stats/ModernOverviewStatistic.h"

#include "StatsFixture.h"
#include "support/TestClock.h"

#include <QFile>
#include <QLocale>

#include <gtest/gtest.h>

using namespace kr;
using test::berlin;
using test::LoggedSlice;

namespace {

class OverviewStatisticTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(test::useBerlinTime());
    ASSERT_EQ(berlin(2026, 1, 15, 12).offsetFromUtc(), 3600);
    clock.setDate(berlin(2026, 3, 31, 15)); // a Tuesday, after the spring change
  }

  std::unique_ptr<ModernOverviewStatistic> computed(int days) {
    auto statistic = std::make_unique<ModernOverviewStatistic>();
    statistic->setDuration(days);
    data = logs.dataSet();
    statistic->computeStatistic(data.get());
    return statistic;
  }

  test::TestClock clock;
  test::LogFolderFixture logs;
  std::shared_ptr<FullDataSet> data;
};

QString line(const QString& script, const QString& variable) {
  for (const QString& part : script.split(u';')) {
    const QString trimmed = part.trimmed();
    if (trimmed.startsWith(QStringLiteral("var ") + variable + QStringLiteral(" = ")))
      return trimmed.mid(variable.size() + 7);
  }
  return {};
}

} // namespace

TEST(JavaScriptSourceTest, NumbersAreShortestRoundTripWithWholeNumbersAndExponentsAsLaidOut) {
  EXPECT_EQ(asJavaScriptSource(std::vector<double>{}), QStringLiteral("[]"));
  EXPECT_EQ(asJavaScriptSource(std::vector<double>{0.0, 90.0, 12.5}),
            QStringLiteral("[ 0.0,90.0,12.5 ]"));
  EXPECT_EQ(javaScriptNumber(0.0001), QStringLiteral("0.0001"));
  EXPECT_EQ(javaScriptNumber(1e-05), QStringLiteral("1e-05"));
  EXPECT_EQ(javaScriptNumber(1.5e-05), QStringLiteral("1.5e-05"));
  EXPECT_EQ(javaScriptNumber(1e16), QStringLiteral("1e+16"));
  EXPECT_EQ(javaScriptNumber(9007199254740991.0), QStringLiteral("9007199254740991.0"));
  EXPECT_EQ(javaScriptNumber(9007199254740992.0), QStringLiteral("9.007199254740992e+15"));
  EXPECT_EQ(javaScriptNumber(0.1 + 0.2), QStringLiteral("0.30000000000000004"));
  EXPECT_EQ(javaScriptNumber(1.0 / 3.0), QStringLiteral("0.3333333333333333"));
  EXPECT_EQ(javaScriptNumber(-2.5), QStringLiteral("-2.5"));
  EXPECT_EQ(javaScriptNumber(1500.0), QStringLiteral("1500.0"));
  EXPECT_EQ(javaScriptNumber(std::nan("")), QStringLiteral("NaN"));
  // Every form reads back as the same double.
  for (double value : {0.0001, 1e-05, 1e16, 12.5, 1.0 / 3.0, 123456.789})
    EXPECT_EQ(javaScriptNumber(value).toDouble(), value);

  EXPECT_EQ(asJavaScriptSource(QStringList{}), QStringLiteral("[]"));
  EXPECT_EQ(asJavaScriptSource(QStringList{"Monday", "Tuesday"}),
            QStringLiteral("[ 'Monday','Tuesday' ]"));
}

TEST(ConcentrationLevelTest, OnlyTheFourExactTextsNameALevelAndChartsListThemInSequence) {
  EXPECT_EQ(concentration::fromRawValue(QStringLiteral("experienced flow")),
            ConcentrationLevel::experiencedFlow);
  EXPECT_EQ(concentration::fromRawValue(QStringLiteral("highly focused")),
            ConcentrationLevel::highlyFocused);
  EXPECT_EQ(concentration::fromRawValue(QStringLiteral("distracted")),
            ConcentrationLevel::distracted);
  EXPECT_FALSE(concentration::fromRawValue(QStringLiteral("Good")));
  EXPECT_FALSE(concentration::fromRawValue(QStringLiteral("good ")));
  EXPECT_FALSE(concentration::fromRawValue(QString()));
  QStringList names;
  for (ConcentrationLevel level : concentration::sequence)
    names.append(concentration::caseName(level));
  EXPECT_EQ(names, (QStringList{"distracted", "good", "highlyFocused", "experiencedFlow"}));
}

TEST_F(OverviewStatisticTest, ValuesPerDayOldestFirstAcrossTheDaylightSavingChange) {
  ASSERT_TRUE(logs.add(berlin(2026, 3, 31, 9), 1800, QStringLiteral("experienced flow")));
  ASSERT_TRUE(logs.add(berlin(2026, 3, 29, 1, 30), 90, QStringLiteral("good"))); // 1.5 minutes
  ASSERT_TRUE(
      logs.add(berlin(2026, 3, 29, 3, 30), 600, QStringLiteral("good"))); // after the change
  ASSERT_TRUE(logs.add(berlin(2026, 3, 25, 23, 59), 300, QStringLiteral("distracted")));
  ASSERT_TRUE(
      logs.add(berlin(2026, 3, 24, 23, 59), 300, QStringLiteral("distracted"))); // 8 days ago
  ASSERT_TRUE(logs.add(berlin(2026, 3, 30, 10), 600, QStringLiteral("sleepy"))); // not a level
  ASSERT_TRUE(logs.add(berlin(2026, 3, 30, 11), 0, QStringLiteral("highly focused")));

  auto week = computed(7);
  const QString script = week->renderScript();
  EXPECT_EQ(line(script, QStringLiteral("experiencedFlow")),
            QStringLiteral("[ 0.0,0.0,0.0,0.0,0.0,0.0,30.0 ]"));
  EXPECT_EQ(line(script, QStringLiteral("good")),
            QStringLiteral("[ 0.0,0.0,0.0,0.0,11.5,0.0,0.0 ]"));
  EXPECT_EQ(line(script, QStringLiteral("distracted")),
            QStringLiteral("[ 5.0,0.0,0.0,0.0,0.0,0.0,0.0 ]"));
  // A slice of no worked time adds nothing; the unknown rating counts nowhere.
  EXPECT_EQ(line(script, QStringLiteral("highlyFocused")),
            QStringLiteral("[ 0.0,0.0,0.0,0.0,0.0,0.0,0.0 ]"));
  EXPECT_EQ(line(script, QStringLiteral("labels")),
            QStringLiteral("[ 'Wednesday','Thursday','Friday','Saturday','Sunday','Monday',"
                           "'Tuesday' ]"));
  EXPECT_EQ(line(script, QStringLiteral("barWidth")), QStringLiteral("'7.0%'"));
  EXPECT_EQ(line(script, QStringLiteral("$use_minutes_y_axis")), QStringLiteral("true"));
  EXPECT_TRUE(script.startsWith(QStringLiteral("var distracted = ")));
  EXPECT_TRUE(script.contains(QStringLiteral("0.0 ];\n\nvar labels = ")));
  EXPECT_EQ(week->minutesOfDay(QStringLiteral("2026-03-30")).at(ConcentrationLevel::highlyFocused),
            0.0);

  // Two weeks reach the slice eight days back; four weeks give 28 values.
  const QString fortnight = computed(14)->renderScript();
  EXPECT_EQ(line(fortnight, QStringLiteral("distracted")),
            QStringLiteral("[ 0.0,0.0,0.0,0.0,0.0,0.0,5.0,5.0,0.0,0.0,0.0,0.0,0.0,0.0 ]"));
  EXPECT_EQ(line(fortnight, QStringLiteral("barWidth")), QStringLiteral("'4.0%'"));
  const QString month = computed(28)->renderScript();
  EXPECT_EQ(line(month, QStringLiteral("good")).count(u','), 27);
  EXPECT_EQ(line(month, QStringLiteral("barWidth")), QStringLiteral("'2.0%'"));
  EXPECT_TRUE(line(month, QStringLiteral("labels")).startsWith(QStringLiteral("[ 'Wednesday',")));
  ModernOverviewStatistic other;
  other.setDuration(3);
  EXPECT_EQ(line(other.renderScript(), QStringLiteral("barWidth")), QStringLiteral("'1.0%'"));
}

TEST_F(OverviewStatisticTest, SixtyMinutesKeepTheMinuteAxisSixtyOneSwitchToHours) {
  ASSERT_TRUE(logs.add(berlin(2026, 3, 30, 9), 3000, QStringLiteral("good")));
  ASSERT_TRUE(logs.add(berlin(2026, 3, 30, 10), 600, QStringLiteral("distracted")));
  EXPECT_TRUE(computed(7)->useMinutesYAxis());

  ASSERT_TRUE(logs.add(berlin(2026, 3, 30, 11), 60, QStringLiteral("highly focused")));
  auto hours = computed(7);
  EXPECT_FALSE(hours->useMinutesYAxis());
  EXPECT_EQ(line(hours->renderScript(), QStringLiteral("$use_minutes_y_axis")),
            QStringLiteral("false"));
}

TEST_F(OverviewStatisticTest, OldSlicesAndUnknownRatingsChangeNothingOnTheShownDays) {
  // 40 days old and three hours long: counted, but not shown and not on the axis.
  ASSERT_TRUE(logs.add(berlin(2026, 2, 19, 9), 3 * 3600.0, QStringLiteral("good")));
  ASSERT_TRUE(logs.add(berlin(2026, 3, 31, 9), 2 * 3600.0, QStringLiteral("Good")));
  auto month = computed(28);
  EXPECT_TRUE(month->useMinutesYAxis());
  EXPECT_EQ(month->minutesOfDay(QStringLiteral("2026-02-19")).at(ConcentrationLevel::good), 180.0);
  EXPECT_TRUE(month->minutesOfDay(QStringLiteral("2026-03-31")).empty());
  for (const QString name : {"distracted", "good", "highlyFocused", "experiencedFlow"})
    EXPECT_FALSE(line(month->renderScript(), name).contains(QStringLiteral("180.0")));

  // Without a data set every shown day holds zeros.
  ModernOverviewStatistic empty;
  empty.computeStatistic(nullptr);
  EXPECT_EQ(line(empty.renderScript(), QStringLiteral("good")),
            QStringLiteral("[ 0.0,0.0,0.0,0.0,0.0,0.0,0.0 ]"));
  EXPECT_TRUE(empty.useMinutesYAxis());
}

TEST_F(OverviewStatisticTest, PageIsTheFixedHeadTheValuesAndTheFixedTail) {
  ASSERT_TRUE(logs.add(berlin(2026, 3, 31, 9), 1800, QStringLiteral("experienced flow")));
  ASSERT_TRUE(logs.add(berlin(2026, 3, 28, 9), 90, QStringLiteral("distracted")));
  ASSERT_TRUE(logs.add(berlin(2026, 3, 27, 9), 2400, QStringLiteral("highly focused")));
  ASSERT_TRUE(logs.add(berlin(2026, 3, 27, 10), 1500, QStringLiteral("good")));
  const QString page = computed(7)->render();

  QFile golden(QStringLiteral(KR_TEST_DATA_DIR "/stats/overview-7-days.html"));
  ASSERT_TRUE(golden.open(QIODevice::ReadOnly));
  EXPECT_EQ(page, QString::fromUtf8(golden.readAll()));
  EXPECT_TRUE(page.startsWith(
      QStringLiteral("        <!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01//EN\"")));
  EXPECT_TRUE(page.contains(QStringLiteral("type=\"text/javascript\">\n\n            var "
                                           "distracted = [ 0.0,0.0,0.0,1.5,0.0,0.0,0.0 ];\n")));
  EXPECT_TRUE(page.contains(QStringLiteral("var $use_minutes_y_axis = false;\n        </script>")));
  const QString fixedText =
      ModernOverviewStatistic::pageHead() + ModernOverviewStatistic::pageTail();
  for (const QString& text : fixedText.split(u'\n', Qt::SkipEmptyParts))
    EXPECT_TRUE(text.startsWith(QStringLiteral("        "))) << qPrintable(text);
}
