#include "engine/LogFileManager.h"
#include "engine/RawTimeSlice.h"
#include "platform/QnLog.h"
#include "platform/settings/UserDefaults.h"
#include "platform/settings/ValueTransformer.h"
#include "stats/FullFeaturedStatisticsManager.h"
#include "stats/Statistic.h"

#include "StatsFixture.h"
#include "support/TestClock.h"
#include "support/TestEnvironment.h"

#include <QLocale>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kr;
using test::berlin;

namespace {

// A statistic that takes both filters, as the day-of-week, hour-of-day and
// report statistics do.
class DatedStatisticsManager : public FullFeaturedStatisticsManager {
public:
  using FullFeaturedStatisticsManager::FullFeaturedStatisticsManager;
  std::unique_ptr<Statistic> getCurrentStatistic() override {
    if (defaults().integer(currentlyDisplayedStatisticKey()) != 1)
      return FullFeaturedStatisticsManager::getCurrentStatistic();
    auto statistic = std::make_unique<Statistic>();
    statistic->supportsTagBasedFiltering = true;
    statistic->supportsTimeBasedFiltering = true;
    statistic->statisticsManager = this;
    return statistic;
  }
};

RawTimeSlice slice(const QDateTime& start, const QString& tags = {}) {
  RawTimeSlice s;
  s.setStartDate(start);
  s.setTagString(tags);
  return s;
}

class StatisticFiltersTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(test::useBerlinTime());
    transformers::registerNamedTransformers();
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom)); // Monday first
    defaults.registerDefaults({{"currentlyDisplayedStatistic", 1},
                               {"statsRadioButtonChoice", 0},
                               {"statsDateMode", 0},
                               {"statsFromDate", "2000-01-01"},
                               {"statsToDate", "2014-01-01"},
                               {"filtering", true}});
    clock.setDate(berlin(2026, 4, 1, 15)); // a Wednesday, the first of the month
  }
  void TearDown() override { QLocale::setDefault(QLocale::c()); }

  // Caches the filters of the settings and tells which slices pass.
  bool passes(const RawTimeSlice& s) { return manager.timeSliceMatchesFilterCriteria(s); }
  void cache() { manager.configureFiltersPreFlight(); }
  void preset(int mode) {
    defaults.setValue(QStringLiteral("statsDateMode"), mode);
    cache();
  }

  test::TestClock clock;
  QTemporaryDir dir;
  UserDefaults defaults{dir.path() + QStringLiteral("/settings.conf")};
  test::LogFolderFixture logs;
  LogFileManager logFiles{[this] { return logs.folder(); }};
  DatedStatisticsManager manager{&logFiles, &defaults};
};

} // namespace

TEST_F(StatisticFiltersTest, TagFilterTokensMustAllBeAmongTheSliceTagsExactly) {
  defaults.setValue(QStringLiteral("tagFilter"), QStringLiteral("a,b"));
  QnLog::setOn(true);
  test::ConsoleCapture console;
  cache();
  QnLog::setOn(false);
  EXPECT_EQ(console.lines(),
            (QStringList{"kr.qnlog: -- Filter Options --", "kr.qnlog: tags: a,b",
                         "kr.qnlog: from: Monday, 1 January 0001 00:00:00 UTC",
                         "kr.qnlog: to: Wednesday, 1 April 2026 15:00:00 CEST", "kr.qnlog: ----"}));
  EXPECT_EQ(manager.cachedTagArray(), (QStringList{"a", "b"}));
  const QDateTime noon = berlin(2026, 3, 31, 12);
  EXPECT_TRUE(passes(slice(noon, QStringLiteral("b,a,c"))));
  EXPECT_FALSE(passes(slice(noon, QStringLiteral("a"))));
  EXPECT_FALSE(passes(slice(noon)));

  // A blank after the comma is part of the second token.
  defaults.setValue(QStringLiteral("tagFilter"), QStringLiteral("a, b"));
  cache();
  EXPECT_EQ(manager.cachedTagArray(), (QStringList{"a", " b"}));
  EXPECT_FALSE(passes(slice(noon, QStringLiteral("a,b"))));
  EXPECT_TRUE(passes(slice(noon, QStringLiteral("a, b"))));

  // Empty pieces are kept as tokens; an empty filter text filters nothing.
  defaults.setValue(QStringLiteral("tagFilter"), QStringLiteral("a,"));
  cache();
  EXPECT_EQ(manager.cachedTagArray(), (QStringList{"a", ""}));
  defaults.setValue(QStringLiteral("tagFilter"), QString());
  cache();
  EXPECT_FALSE(manager.cachedTagArray());
  EXPECT_TRUE(passes(slice(noon)));

  // "filtering" off lets everything through, whatever the filters say.
  defaults.setValue(QStringLiteral("tagFilter"), QStringLiteral("zzz"));
  defaults.setValue(QStringLiteral("statsDateMode"), 1);
  defaults.setValue(QStringLiteral("filtering"), false);
  cache();
  EXPECT_TRUE(passes(slice(berlin(1999, 1, 1))));
}

TEST_F(StatisticFiltersTest, PresetsStartAndEndWhereTheTableSays) {
  preset(4); // last 7 days: from last Wednesday, today left out
  EXPECT_EQ(manager.cachedStartDate(), berlin(2026, 3, 25));
  EXPECT_EQ(manager.cachedEndDate(), berlin(2026, 4, 1));
  EXPECT_TRUE(passes(slice(berlin(2026, 3, 25))));
  EXPECT_TRUE(passes(slice(berlin(2026, 3, 31, 23, 59, 59))));
  EXPECT_FALSE(passes(slice(berlin(2026, 4, 1))));
  EXPECT_FALSE(passes(slice(berlin(2026, 3, 24, 23, 59, 59))));

  preset(3); // week to date, Monday first
  EXPECT_EQ(manager.cachedStartDate(), berlin(2026, 3, 30));
  EXPECT_EQ(manager.cachedEndDate(), berlin(2026, 4, 1, 15));
  preset(5); // last week: a DST change inside it
  EXPECT_EQ(manager.cachedStartDate(), berlin(2026, 3, 23));
  EXPECT_EQ(manager.cachedEndDate(), berlin(2026, 3, 30));
  EXPECT_FALSE(passes(slice(berlin(2026, 3, 30))));

  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); // Sunday first
  preset(3);
  EXPECT_EQ(manager.cachedStartDate(), berlin(2026, 3, 29));
  preset(5);
  EXPECT_EQ(manager.cachedStartDate(), berlin(2026, 3, 22));
  EXPECT_EQ(manager.cachedEndDate(), berlin(2026, 3, 29));

  preset(6); // month to date on the first
  EXPECT_EQ(manager.cachedStartDate(), berlin(2026, 4, 1));
  EXPECT_EQ(manager.cachedEndDate(), berlin(2026, 4, 1, 15));
  EXPECT_FALSE(passes(slice(berlin(2026, 3, 31, 23))));
  EXPECT_TRUE(passes(slice(berlin(2026, 4, 1, 9))));

  preset(2);
  EXPECT_EQ(manager.cachedStartDate(), berlin(2026, 3, 31));
  EXPECT_EQ(manager.cachedEndDate(), berlin(2026, 4, 1));
  preset(0);
  EXPECT_TRUE(passes(slice(berlin(1990, 1, 1))));
  EXPECT_FALSE(passes(slice(berlin(2026, 4, 1, 16)))); // after now

  for (int mode : {8, -1}) {
    preset(mode);
    EXPECT_FALSE(manager.cachedStartDate());
    EXPECT_FALSE(manager.cachedEndDate());
    EXPECT_TRUE(passes(slice(berlin(2030, 1, 1))));
  }
}

TEST_F(StatisticFiltersTest, CustomRangeExcludesItsEndDayAndAnUnreadableDayLeavesThatSideOpen) {
  defaults.setValue(QStringLiteral("statsRadioButtonChoice"), 1);
  defaults.setValue(QStringLiteral("statsFromDate"), QStringLiteral("2026-03-01"));
  defaults.setValue(QStringLiteral("statsToDate"), QStringLiteral("2026-03-31"));
  cache();
  EXPECT_TRUE(manager.cachedShouldFilterDates());
  EXPECT_TRUE(passes(slice(berlin(2026, 3, 1))));
  EXPECT_TRUE(passes(slice(berlin(2026, 3, 30, 23, 59))));
  EXPECT_FALSE(passes(slice(berlin(2026, 3, 31, 10))));
  EXPECT_FALSE(passes(slice(berlin(2026, 2, 28, 23, 59))));

  defaults.setValue(QStringLiteral("statsFromDate"), QStringLiteral("2026-02-30"));
  defaults.setValue(QStringLiteral("statsToDate"), QStringLiteral("soon"));
  cache();
  EXPECT_FALSE(manager.cachedStartDate());
  EXPECT_FALSE(manager.cachedEndDate());
  EXPECT_TRUE(passes(slice(berlin(1990, 1, 1))));
}

TEST_F(StatisticFiltersTest, OverviewsIgnoreTheDateFilterButTakeTheTagFilter) {
  defaults.setValue(QStringLiteral("statsDateMode"), 1); // today only
  defaults.setValue(QStringLiteral("tagFilter"), QStringLiteral("a"));
  for (int number : {0, 5, 6}) {
    defaults.setValue(QStringLiteral("currentlyDisplayedStatistic"), number);
    cache();
    EXPECT_FALSE(manager.cachedShouldFilterDates());
    EXPECT_TRUE(manager.cachedShouldFilterTags());
    EXPECT_TRUE(passes(slice(berlin(2020, 1, 1), QStringLiteral("a"))));
    EXPECT_FALSE(passes(slice(berlin(2026, 4, 1, 9), QStringLiteral("b"))));
  }
  // Numbers without a statistic take no filter.
  for (int number : {2, 7, -1}) {
    defaults.setValue(QStringLiteral("currentlyDisplayedStatistic"), number);
    EXPECT_FALSE(manager.getCurrentStatistic());
    cache();
    EXPECT_FALSE(manager.cachedShouldFilterTags());
    EXPECT_TRUE(passes(slice(berlin(2026, 4, 1, 9), QStringLiteral("b"))));
  }
}
