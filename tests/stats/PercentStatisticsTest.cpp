// The day-of-week and hour-of-day statistics over hand-made logs.
#include "engine/LogFileManager.h"
#include "platform/QnLog.h"
#include "platform/settings/UserDefaults.h"
#include "stats/FullFeaturedStatisticsManager.h"
#include "stats/ModernDayOfTheWeekStatistic.h"
#include "stats/ModernHourOfTheDayStatistic.h"
#include "stats/ModernOverviewStatistic.h"
#include "stats/PercentBarPage.h"

#include "StatsFixture.h"
#include "support/TestClock.h"
#include "support/TestEnvironment.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kr;
using test::berlin;

namespace {

const QString good = QStringLiteral("good");
const QString flow = QStringLiteral("experienced flow");
const QString focused = QStringLiteral("highly focused");
const QString distracted = QStringLiteral("distracted");

// The value of `var name = ...;` in a page script.
QString line(const QString& script, const QString& variable) {
  for (const QString& part : script.split(u';')) {
    const QString trimmed = part.trimmed();
    if (trimmed.startsWith(QStringLiteral("var ") + variable + QStringLiteral(" = ")))
      return trimmed.mid(variable.size() + 7);
  }
  return {};
}

QString golden(const char* name) {
  QFile file(QStringLiteral(KR_TEST_DATA_DIR "/stats/") + QLatin1StringView(name));
  return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

class PercentStatisticsTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(test::useBerlinTime());
    clock.setDate(berlin(2026, 3, 31, 15)); // a Tuesday
    defaults.registerDefaults({{"currentlyDisplayedStatistic", 1},
                               {"filtering", false},
                               {"statsRadioButtonChoice", 0},
                               {"statsDateMode", 0},
                               {"statsFromDate", "2000-01-01"},
                               {"statsToDate", "2014-01-01"}});
  }
  void TearDown() override { QnLog::setOn(false); }

  // The statistic numbered `number`, computed over the logs with the
  // manager's filters.
  template <class Kind> std::unique_ptr<Kind> computed(int number) {
    defaults.setValue(QStringLiteral("currentlyDisplayedStatistic"), number);
    std::unique_ptr<Statistic> statistic = manager.getCurrentStatistic();
    EXPECT_EQ(statistic->statisticsManager, &manager);
    auto* kind = dynamic_cast<Kind*>(statistic.get());
    EXPECT_NE(kind, nullptr);
    if (!kind)
      return nullptr;
    statistic.release();
    manager.configureFiltersPreFlight();
    data = logs.dataSet();
    kind->computeStatistic(data.get());
    return std::unique_ptr<Kind>(kind);
  }
  std::unique_ptr<ModernDayOfTheWeekStatistic> days() {
    return computed<ModernDayOfTheWeekStatistic>(1);
  }
  std::unique_ptr<ModernHourOfTheDayStatistic> hours() {
    return computed<ModernHourOfTheDayStatistic>(3);
  }

  test::TestClock clock;
  QTemporaryDir dir;
  UserDefaults defaults{dir.path() + QStringLiteral("/settings.conf")};
  test::LogFolderFixture logs;
  LogFileManager logFiles{[this] { return logs.folder(); }};
  FullFeaturedStatisticsManager manager{&logFiles, &defaults};
  std::shared_ptr<FullDataSet> data;
};

} // namespace

TEST_F(PercentStatisticsTest, DayOfWeekRowsRunSundayToMondayInPercentOfEachWeekday) {
  auto empty = days();
  const QString none = empty->renderScript();
  for (const char* name : {"distracted", "good", "highlyFocused", "experiencedFlow"})
    EXPECT_EQ(line(none, QLatin1StringView(name)),
              QStringLiteral("[ 0.0,0.0,0.0,0.0,0.0,0.0,0.0 ]"));
  EXPECT_TRUE(none.contains(QStringLiteral(
      "\nvar labels = ['Sunday', 'Saturday', 'Friday', 'Thursday', 'Wednesday', 'Tuesday', "
      "'Monday' ];\nvar barWidth = '8%';")));

  ASSERT_TRUE(logs.add(berlin(2026, 3, 24, 10), 1800, good));      // Tuesday
  ASSERT_TRUE(logs.add(berlin(2026, 3, 27, 9), 1200, distracted)); // Friday
  ASSERT_TRUE(logs.add(berlin(2026, 3, 27, 23, 59), 3600, flow));  // Friday
  ASSERT_TRUE(logs.add(berlin(2026, 3, 30, 0, 1), 1800, good));    // Monday
  ASSERT_TRUE(logs.add(berlin(2026, 3, 30, 9), 1800, "Good"));     // not a level
  ASSERT_TRUE(logs.add(berlin(2026, 3, 29, 3, 30), 600, focused)); // Sunday, summer time
  ASSERT_TRUE(logs.add(berlin(2026, 3, 28, 12), 0, focused));      // Saturday, no time

  QnLog::setOn(true);
  test::ConsoleCapture console;
  auto week = days();
  const QString script = week->renderScript();
  EXPECT_EQ(line(script, QStringLiteral("distracted")),
            QStringLiteral("[ 0.0,0.0,25.0,0.0,0.0,0.0,0.0 ]"));
  EXPECT_EQ(line(script, QStringLiteral("good")),
            QStringLiteral("[ 0.0,0.0,0.0,0.0,0.0,100.0,50.0 ]"));
  EXPECT_EQ(line(script, QStringLiteral("highlyFocused")),
            QStringLiteral("[ 100.0,0.0,0.0,0.0,0.0,0.0,0.0 ]"));
  EXPECT_EQ(line(script, QStringLiteral("experiencedFlow")),
            QStringLiteral("[ 0.0,0.0,75.0,0.0,0.0,0.0,0.0 ]"));
  // The unknown rating enters Monday's total only.
  EXPECT_EQ(week->totalOf(QStringLiteral("Monday")), 3600.0);
  EXPECT_EQ(week->percentOf(QStringLiteral("Saturday"), ConcentrationLevel::highlyFocused), 0.0);

  EXPECT_TRUE(console.contains(QStringLiteral(
      "before making percents: { Sunday = { highlyFocused = 600; }; Monday = { good = 1800; }; "
      "Tuesday = { good = 1800; }; Friday = { experiencedFlow = 3600; distracted = 1200; }; "
      "Saturday = { highlyFocused = 0; }; }")));
  EXPECT_TRUE(console.contains(QStringLiteral("duration at level distracted for Friday: 1200")));
  EXPECT_TRUE(console.contains(QStringLiteral("duration at level good for Monday: 1800")));
  EXPECT_EQ(console.lines().filter(QStringLiteral("duration at level ")).size(), 4 * 5);
  EXPECT_TRUE(console.contains(QStringLiteral("var distracted = [ 0.0,0.0,25.0,")));
  EXPECT_FALSE(console.contains(QStringLiteral("var barWidth")));
}

TEST_F(PercentStatisticsTest, DayOfWeekTakesTheDateAndTagFilters) {
  ASSERT_TRUE(logs.add(berlin(2026, 3, 24, 10), 1800, good, QStringLiteral("a"))); // Tuesday
  ASSERT_TRUE(logs.add(berlin(2026, 3, 31, 10), 1800, flow, QStringLiteral("a"))); // Tuesday
  ASSERT_TRUE(logs.add(berlin(2026, 3, 30, 10), 1800, distracted, QStringLiteral("b")));
  defaults.setValue(QStringLiteral("filtering"), true);
  defaults.setValue(QStringLiteral("statsDateMode"), 4); // the last 7 days, today left out
  QString script = days()->renderScript();
  EXPECT_EQ(line(script, QStringLiteral("good")),
            QStringLiteral("[ 0.0,0.0,0.0,0.0,0.0,100.0,0.0 ]"));
  EXPECT_EQ(line(script, QStringLiteral("distracted")),
            QStringLiteral("[ 0.0,0.0,0.0,0.0,0.0,0.0,100.0 ]"));
  EXPECT_EQ(line(script, QStringLiteral("experiencedFlow")),
            QStringLiteral("[ 0.0,0.0,0.0,0.0,0.0,0.0,0.0 ]"));

  defaults.setValue(QStringLiteral("statsDateMode"), 0);
  defaults.setValue(QStringLiteral("tagFilter"), QStringLiteral("a"));
  script = days()->renderScript();
  EXPECT_EQ(line(script, QStringLiteral("good")),
            QStringLiteral("[ 0.0,0.0,0.0,0.0,0.0,50.0,0.0 ]"));
  EXPECT_EQ(line(script, QStringLiteral("experiencedFlow")),
            QStringLiteral("[ 0.0,0.0,0.0,0.0,0.0,50.0,0.0 ]"));
  EXPECT_EQ(line(script, QStringLiteral("distracted")),
            QStringLiteral("[ 0.0,0.0,0.0,0.0,0.0,0.0,0.0 ]"));
}

TEST_F(PercentStatisticsTest, HourOfDayKeepsTheWorkingHoursAndHoursWithAnHourOfTime) {
  // No slices: 5 pm down to 8 am, all zero.
  auto empty = hours();
  const QString none = empty->renderScript();
  EXPECT_EQ(line(none, QStringLiteral("labels")),
            QStringLiteral("[ '5 pm','4 pm','3 pm','2 pm','1 pm','noon','11 am','10 am','9 am',"
                           "'8 am' ]"));
  EXPECT_EQ(line(none, QStringLiteral("good")),
            QStringLiteral("[ 0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0 ]"));
  EXPECT_TRUE(none.endsWith(QStringLiteral("' ];\nvar barWidth = '2%';")));

  // 50 minutes from 7:30 do not keep 7 am; 23:10 for two hours keeps 11 pm.
  ASSERT_TRUE(logs.add(berlin(2026, 3, 30, 7, 30), 3000, good));
  ASSERT_TRUE(logs.add(berlin(2026, 3, 29, 23, 10), 5400, focused));
  ASSERT_TRUE(logs.add(berlin(2026, 3, 28, 23, 15), 1800, "sleepy")); // total only
  ASSERT_TRUE(logs.add(berlin(2026, 3, 27, 12, 0), 600, distracted)); // noon
  ASSERT_TRUE(logs.add(berlin(2026, 3, 26, 0, 20), 3600, flow));      // midnight, exactly 1 h
  ASSERT_TRUE(logs.add(berlin(2026, 3, 26, 20, 0), 3599, flow));      // just under
  auto day = hours();
  EXPECT_EQ(day->keysForIterationArray(),
            (QStringList{"0", "8", "9", "10", "11", "12", "13", "14", "15", "16", "17", "23"}));
  EXPECT_EQ(day->labelsForHoursOfDayArray().first(), QStringLiteral("midnight"));
  EXPECT_EQ(day->labelsForHoursOfDayArray().last(), QStringLiteral("11 pm"));
  EXPECT_EQ(day->totalOf(7), 3000.0);
  const QString script = day->renderScript();
  EXPECT_EQ(line(script, QStringLiteral("labels")),
            QStringLiteral("[ '11 pm','5 pm','4 pm','3 pm','2 pm','1 pm','noon','11 am','10 am',"
                           "'9 am','8 am','midnight' ]"));
  EXPECT_EQ(line(script, QStringLiteral("highlyFocused")),
            QStringLiteral("[ 75.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0 ]"));
  EXPECT_EQ(line(script, QStringLiteral("distracted")),
            QStringLiteral("[ 0.0,0.0,0.0,0.0,0.0,0.0,100.0,0.0,0.0,0.0,0.0,0.0 ]"));
  EXPECT_EQ(line(script, QStringLiteral("experiencedFlow")),
            QStringLiteral("[ 0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,100.0 ]"));

  // With 60 minutes from 7:30 the 7 am row stays.
  ASSERT_TRUE(logs.add(berlin(2026, 3, 25, 7, 45), 600, good));
  auto more = hours();
  EXPECT_TRUE(more->keysForIterationArray().contains(QStringLiteral("7")));
  EXPECT_EQ(more->percentOf(7, ConcentrationLevel::good), 100.0);
  EXPECT_TRUE(line(more->renderScript(), QStringLiteral("labels")).contains("'8 am','7 am',"));

  // Every computation starts from all 24 hours again.
  ModernHourOfTheDayStatistic fresh;
  EXPECT_EQ(fresh.keysForIterationArray().size(), 24);
  EXPECT_EQ(fresh.labelsForHoursOfDayArray()[13], QStringLiteral("1 pm"));
  EXPECT_EQ(fresh.labelsForHoursOfDayArray()[11], QStringLiteral("11 am"));
  defaults.setValue(QStringLiteral("filtering"), true);
  defaults.setValue(QStringLiteral("tagFilter"), QStringLiteral("none-of-them"));
  EXPECT_EQ(hours()->keysForIterationArray().size(), 10);
  defaults.setValue(QStringLiteral("filtering"), false);
  EXPECT_EQ(hours()->keysForIterationArray().size(), 13);
}

TEST_F(PercentStatisticsTest, HourOfDayTakesTheDateAndTagFilters) {
  ASSERT_TRUE(logs.add(berlin(2026, 3, 31, 6, 0), 3600, good, QStringLiteral("a,b")));
  ASSERT_TRUE(logs.add(berlin(2026, 3, 30, 6, 30), 3600, distracted, QStringLiteral("b")));
  defaults.setValue(QStringLiteral("filtering"), true);
  defaults.setValue(QStringLiteral("statsDateMode"), 1); // today
  auto today = hours();
  EXPECT_EQ(today->totalOf(6), 3600.0);
  EXPECT_EQ(today->percentOf(6, ConcentrationLevel::good), 100.0);
  defaults.setValue(QStringLiteral("statsDateMode"), 0);
  defaults.setValue(QStringLiteral("tagFilter"), QStringLiteral("b"));
  auto tagged = hours();
  EXPECT_EQ(tagged->totalOf(6), 7200.0);
  EXPECT_EQ(tagged->percentOf(6, ConcentrationLevel::distracted), 50.0);
  defaults.setValue(QStringLiteral("tagFilter"), QStringLiteral("a,b"));
  EXPECT_EQ(hours()->totalOf(6), 3600.0);
}

TEST_F(PercentStatisticsTest, PagesAreTheBarHeadTheValuesAndTheirTails) {
  ASSERT_TRUE(logs.add(berlin(2026, 3, 27, 9), 1200, distracted));
  ASSERT_TRUE(logs.add(berlin(2026, 3, 27, 10), 3600, flow));
  ASSERT_TRUE(logs.add(berlin(2026, 3, 24, 22, 5), 4000, good));
  const QString day = days()->render();
  const QString hour = hours()->render();
  EXPECT_EQ(day, golden("day-of-week.html"));
  EXPECT_EQ(hour, golden("hour-of-day.html"));

  // The head is the overview's without its two empty lines.
  QString overviewHead = ModernOverviewStatistic::pageHead();
  overviewHead.replace(QStringLiteral("chartist.css\">\n\n"), QStringLiteral("chartist.css\">\n"));
  overviewHead.replace(QStringLiteral("legend.js\"></script>\n\n"),
                       QStringLiteral("legend.js\"></script>\n"));
  EXPECT_EQ(percentbars::pageHead(), overviewHead);
  EXPECT_TRUE(day.startsWith(percentbars::pageHead() + QStringLiteral("var distracted = ")));
  EXPECT_TRUE(day.endsWith(QStringLiteral("var barWidth = '8%';") +
                           ModernDayOfTheWeekStatistic::pageTail()));
  EXPECT_TRUE(hour.endsWith(QStringLiteral("var barWidth = '2%';") +
                            ModernHourOfTheDayStatistic::pageTail()));
  // The tails differ only in the responsive rules.
  const QString dayTail = ModernDayOfTheWeekStatistic::pageTail();
  const QString hourTail = ModernHourOfTheDayStatistic::pageTail();
  EXPECT_EQ(dayTail.count(QStringLiteral("offset: 60")), 1);
  EXPECT_EQ(dayTail.count(QStringLiteral("offset: 20")), 2);
  EXPECT_EQ(hourTail.count(QStringLiteral("offset: 50")), 3);
  EXPECT_FALSE(hourTail.contains(QStringLiteral("labelInterpolationFnc: function (value) { ")));
  EXPECT_EQ(dayTail.left(dayTail.indexOf(QStringLiteral("var responsiveOptions"))),
            hourTail.left(hourTail.indexOf(QStringLiteral("var responsiveOptions"))));
  for (const QString& fixed : {percentbars::pageHead(), dayTail, hourTail}) {
    for (const QString& text : fixed.split(u'\n', Qt::SkipEmptyParts))
      EXPECT_TRUE(text.startsWith(QStringLiteral("        "))) << qPrintable(text);
  }
}
