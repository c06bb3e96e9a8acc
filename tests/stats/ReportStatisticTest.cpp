// The report statistic over hand-made logs.
#include "engine/LogFileManager.h"
#include "platform/settings/UserDefaults.h"
#include "stats/FullFeaturedStatisticsManager.h"
#include "stats/PercentBarPage.h"
#include "stats/ReportsStatistic.h"
#include "stats/ReportsStatisticHelper.h"

#include "StatsFixture.h"
#include "support/TestClock.h"

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <clocale>
#include <limits>

using namespace kr;
using test::berlin;

namespace {

class ReportStatisticTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(test::useBerlinTime());
    clock.setDate(berlin(2026, 3, 31, 15));
    defaults.registerDefaults({{"currentlyDisplayedStatistic", 4},
                               {"filtering", false},
                               {"statsRadioButtonChoice", 1},
                               {"statsFromDate", "2026-03-01"},
                               {"statsToDate", "2026-03-31"}});
  }

  std::unique_ptr<ReportsStatistic> report() { return report(logs); }
  std::unique_ptr<ReportsStatistic> report(const test::LogFolderFixture& folder) {
    std::unique_ptr<Statistic> statistic = manager.getCurrentStatistic();
    auto* kind = dynamic_cast<ReportsStatistic*>(statistic.get());
    EXPECT_NE(kind, nullptr);
    if (!kind)
      return nullptr;
    EXPECT_EQ(kind->statisticsManager, &manager);
    statistic.release();
    manager.configureFiltersPreFlight();
    data = folder.dataSet();
    kind->computeStatistic(data.get());
    return std::unique_ptr<ReportsStatistic>(kind);
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

TEST_F(ReportStatisticTest, NoSlicesGiveZerosAndLessThanOneMinute) {
  EXPECT_EQ(report()->renderScript(), QStringLiteral("var $time = \"Less than one minute\";\n"
                                                     "var $timeslice_value = 0;\n"
                                                     "var $days_value = 0;\n"
                                                     "var $distracted = 0.000000;\n"
                                                     "var $good = 0.000000;\n"
                                                     "var $flow = 0.000000;\n"
                                                     "var $highlyConcentrated = 0.000000;\n"
                                                     "var $labels = ['0%','0%','0%','0%'];\n"));
}

TEST_F(ReportStatisticTest, SharesAreFlooredPercentsListedFlowHighGoodDistracted) {
  ASSERT_TRUE(logs.add(berlin(2026, 3, 20, 9), 1800, QStringLiteral("distracted")));
  ASSERT_TRUE(logs.add(berlin(2026, 3, 21, 9), 5400, QStringLiteral("experienced flow")));
  auto split = report();
  EXPECT_EQ(split->timeslices(), 2);
  EXPECT_EQ(split->workedOnDays(), 2);
  EXPECT_EQ(split->renderScript(), QStringLiteral("var $time = \"2 hours\";\n"
                                                  "var $timeslice_value = 2;\n"
                                                  "var $days_value = 2;\n"
                                                  "var $distracted = 25.000000;\n"
                                                  "var $good = 0.000000;\n"
                                                  "var $flow = 75.000000;\n"
                                                  "var $highlyConcentrated = 0.000000;\n"
                                                  "var $labels = ['75%','0%','0%','25%'];\n"));

  // Three equal thirds floor to 33 each; an unknown rating counts as good;
  // one day counts once.
  test::LogFolderFixture oneDay;
  ASSERT_TRUE(oneDay.add(berlin(2026, 3, 20, 9), 600, QStringLiteral("Good!")));
  ASSERT_TRUE(oneDay.add(berlin(2026, 3, 20, 10), 600, QStringLiteral("distracted")));
  ASSERT_TRUE(oneDay.add(berlin(2026, 3, 20, 23, 59), 630, QStringLiteral("highly focused")));
  auto thirds = report(oneDay);
  EXPECT_EQ(thirds->goodTime(), 600.0);
  EXPECT_EQ(thirds->workedOnDays(), 1);
  EXPECT_EQ(thirds->totalTime(), 1830.0);
  const QString script = thirds->renderScript();
  EXPECT_TRUE(script.startsWith(QStringLiteral("var $time = \"30 minutes\";\n"
                                               "var $timeslice_value = 3;\n"
                                               "var $days_value = 1;\n")));
  EXPECT_TRUE(script.endsWith(QStringLiteral("var $labels = ['0%','34%','32%','32%'];\n")));

  test::LogFolderFixture equal;
  for (const char* rating : {"good", "distracted", "highly focused"})
    ASSERT_TRUE(equal.add(berlin(2026, 3, 20, 9), 600, QString::fromLatin1(rating)));
  const std::array<float, 4> third = report(equal)->percentages();
  EXPECT_EQ(third, (std::array<float, 4>{33, 33, 0, 33}));
  EXPECT_EQ(third[0] + third[1] + third[2] + third[3], 99.0f);
}

TEST_F(ReportStatisticTest, FiltersNarrowTheReportAndTheDecimalPointIgnoresTheLocale) {
  ASSERT_TRUE(logs.add(berlin(2026, 3, 30, 9), 3600, QStringLiteral("good"), "a"));
  ASSERT_TRUE(logs.add(berlin(2026, 3, 31, 9), 3600, QStringLiteral("distracted"), "a"));
  ASSERT_TRUE(logs.add(berlin(2026, 3, 29, 9), 1800, QStringLiteral("experienced flow"), "b"));
  defaults.setValue(QStringLiteral("filtering"), true);
  auto dated = report(); // the 31st is the end of the range, left out
  EXPECT_EQ(dated->timeslices(), 2);
  EXPECT_EQ(dated->totalTime(), 5400.0);
  defaults.setValue(QStringLiteral("tagFilter"), QStringLiteral("a"));
  auto tagged = report();
  EXPECT_EQ(tagged->timeslices(), 1);
  EXPECT_EQ(tagged->goodTime(), 3600.0);

  defaults.setValue(QStringLiteral("filtering"), false);
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  const char* saved = std::setlocale(LC_NUMERIC, nullptr);
  const std::string previous = saved ? saved : "C";
  std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
  const QString script = report()->renderScript();
  std::setlocale(LC_NUMERIC, previous.c_str());
  QLocale::setDefault(QLocale::c());
  EXPECT_TRUE(script.contains(QStringLiteral("var $good = 40.000000;\n"))) << qPrintable(script);
  EXPECT_TRUE(script.contains(QStringLiteral("var $flow = 20.000000;\n")));
  EXPECT_TRUE(script.contains(QStringLiteral("var $time = \"2 hours 30 minutes\";\n")));
}

TEST_F(ReportStatisticTest, WorkedTimesNoIntegerHoldsAreClampedAndSharesStayNumbers) {
  // The largest worked time a log can give, twice: beyond single precision.
  const double huge = double(std::numeric_limits<float>::max());
  ASSERT_TRUE(logs.add(berlin(2026, 3, 20, 9), huge, QStringLiteral("distracted")));
  ASSERT_TRUE(logs.add(berlin(2026, 3, 20, 10), huge, QStringLiteral("good")));
  ASSERT_TRUE(logs.add(berlin(2026, 3, 20, 11), 600, QStringLiteral("good")));
  auto report = this->report();
  EXPECT_EQ(report->totalTime(), 2 * huge + 600);
  EXPECT_EQ(ReportsStatistic::wholeSeconds(report->totalTime()),
            std::numeric_limits<qint64>::max());
  EXPECT_EQ(ReportsStatistic::wholeSeconds(1499.9), 1499);
  EXPECT_EQ(ReportsStatistic::wholeSeconds(-3.0), 0);
  const QString script = report->renderScript();
  EXPECT_TRUE(script.contains(QStringLiteral("var $distracted = 50.000000;\n")));
  EXPECT_TRUE(script.contains(QStringLiteral("var $good = 50.000000;\n")));
  EXPECT_TRUE(script.contains(QStringLiteral("var $labels = ['0%','0%','50%','50%'];\n")));
  EXPECT_FALSE(script.contains(QStringLiteral("nan"), Qt::CaseInsensitive));
  EXPECT_FALSE(script.contains(QStringLiteral("inf"), Qt::CaseInsensitive));
  EXPECT_TRUE(script.contains(QStringLiteral("var $time = \"2562047788015215 hours 30 minutes\";")))
      << qPrintable(script);
}

TEST_F(ReportStatisticTest, PageIsTheBarHeadTheValuesAndTheReportTail) {
  ASSERT_TRUE(logs.add(berlin(2026, 3, 20, 9), 1800, QStringLiteral("distracted")));
  ASSERT_TRUE(logs.add(berlin(2026, 3, 21, 9), 5400, QStringLiteral("experienced flow")));
  const QString page = report()->render();
  QFile golden(QStringLiteral(KR_TEST_DATA_DIR "/stats/report.html"));
  ASSERT_TRUE(golden.open(QIODevice::ReadOnly));
  EXPECT_EQ(page, QString::fromUtf8(golden.readAll()));
  EXPECT_EQ(page, percentbars::pageHead() + report()->renderScript() +
                      ReportsStatisticHelper::pageTail());
  EXPECT_EQ(ReportsStatisticHelper::renderOutputString(QStringLiteral("S")),
            percentbars::pageHead() + QStringLiteral("S") + ReportsStatisticHelper::pageTail());
  for (const QString& text : ReportsStatisticHelper::pageTail().split(u'\n', Qt::SkipEmptyParts))
    EXPECT_TRUE(text.startsWith(QStringLiteral("        "))) << qPrintable(text);
}
