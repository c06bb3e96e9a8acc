#include "shell/LaunchManager.h"

#include "engine/Clock.h"
#include "platform/settings/DefaultsStorageAPI.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <cmath>
#include <limits>

using namespace kr;

namespace {

constexpr double kDay = 24 * 60 * 60;

// One launch: a fresh manager over the same stored settings, as a new process has.
QStringList launch(TestDefaultsStorage& storage, TestDateProvider& date,
                   std::vector<LaunchTrigger> triggers) {
  QStringList ran;
  std::vector<LaunchListItem> items;
  for (std::size_t i = 0; i < triggers.size(); ++i)
    items.push_back({triggers[i], [&ran, i] { ran.append(QString::number(i)); }});
  TestDefaultsStorage fresh;
  fresh.values = storage.values; // registrations do not survive a process
  LaunchManager manager(QStringLiteral("launchManager"), items, fresh, date);
  manager.doIt();
  storage.values = fresh.values;
  return ran;
}

} // namespace

TEST(LaunchManager, FirstLaunchRunsOnceAndCountsEveryLaunch) {
  TestDefaultsStorage storage;
  TestDateProvider date;
  date.testCurrentTimeIntervalFromReferenceDate = 800000000.0;
  const std::vector<LaunchTrigger> triggers = {LaunchTrigger::firstLaunch(),
                                               LaunchTrigger::everyTime()};
  EXPECT_EQ(launch(storage, date, triggers),
            (QStringList{QStringLiteral("0"), QStringLiteral("1")}));
  EXPECT_EQ(storage.getInteger(QStringLiteral("launchManagerLaunchCounter")), 1);
  EXPECT_EQ(storage.getInteger(QStringLiteral("launchManagerLastExecutedLaunchDay")), 0);
  EXPECT_DOUBLE_EQ(storage.getTimeInterval(QStringLiteral("launchManagerFirstLaunch")),
                   800000000.0);

  date.testCurrentTimeIntervalFromReferenceDate += 3600;
  EXPECT_EQ(launch(storage, date, triggers), QStringList{QStringLiteral("1")});
  EXPECT_EQ(storage.getInteger(QStringLiteral("launchManagerLaunchCounter")), 2);
  // An empty list still counts the launch.
  EXPECT_TRUE(launch(storage, date, {}).isEmpty());
  EXPECT_EQ(storage.getInteger(QStringLiteral("launchManagerLaunchCounter")), 3);
}

TEST(LaunchManager, RegistersItsKeysWithFallbacks) {
  TestDefaultsStorage storage;
  TestDateProvider date;
  date.testCurrentTimeIntervalFromReferenceDate = 1234.0;
  LaunchManager manager(QStringLiteral("root"), {}, storage, date);
  EXPECT_EQ(manager.launchCounter(), 0);
  EXPECT_EQ(storage.getInteger(QStringLiteral("rootLastExecutedLaunchDay")), -1);
  EXPECT_DOUBLE_EQ(storage.getTimeInterval(QStringLiteral("rootFirstLaunch")), 1234.0);
  EXPECT_TRUE(storage.values.isEmpty());
}

TEST(LaunchManager, AfterLaunchesFiresOnTheLaunchAfterThatCount) {
  TestDefaultsStorage storage;
  TestDateProvider date;
  std::vector<int> fired;
  for (int n = 1; n <= 5; ++n) {
    if (!launch(storage, date, {LaunchTrigger::afterLaunches(2)}).isEmpty())
      fired.push_back(n);
  }
  EXPECT_EQ(fired, std::vector<int>{3});
}

TEST(LaunchManager, UntilDefaultsKeyIsSetStopsOnceTheKeyExists) {
  TestDefaultsStorage storage;
  TestDateProvider date;
  const std::vector<LaunchTrigger> until = {
      LaunchTrigger::untilDefaultsKeyIsSet(QStringLiteral("x"))};
  EXPECT_EQ(launch(storage, date, until).size(), 1);
  EXPECT_TRUE(storage.getBoolean(QStringLiteral("x")));
  EXPECT_TRUE(launch(storage, date, until).isEmpty());
  storage.values.remove(QStringLiteral("x"));
  EXPECT_EQ(launch(storage, date, until).size(), 1);
  EXPECT_TRUE(launch(storage, date, until).isEmpty());
}

TEST(LaunchManager, AfterDaysCountsFromTheStoredFirstLaunchAndFiresOncePerDay) {
  TestDefaultsStorage storage;
  TestDateProvider date;
  date.testCurrentTimeIntervalFromReferenceDate = 700000000.0;
  const std::vector<LaunchTrigger> afterThree = {LaunchTrigger::afterDays(3)};
  EXPECT_TRUE(launch(storage, date, afterThree).isEmpty());
  date.testCurrentTimeIntervalFromReferenceDate += 2.9 * kDay;
  EXPECT_TRUE(launch(storage, date, afterThree).isEmpty());
  date.testCurrentTimeIntervalFromReferenceDate += 0.2 * kDay; // day 3
  EXPECT_EQ(launch(storage, date, afterThree).size(), 1);
  date.testCurrentTimeIntervalFromReferenceDate += 0.1 * kDay; // still day 3
  EXPECT_TRUE(launch(storage, date, afterThree).isEmpty());
  date.testCurrentTimeIntervalFromReferenceDate += kDay; // day 4
  EXPECT_TRUE(launch(storage, date, afterThree).isEmpty());
  EXPECT_EQ(storage.getInteger(QStringLiteral("launchManagerLastExecutedLaunchDay")), 4);
}

TEST(LaunchManager, StoredValuesBeyondAnyLaunchHistoryNeverStopTheProgram) {
  TestDefaultsStorage storage;
  TestDateProvider date;
  date.testCurrentTimeIntervalFromReferenceDate = 800000000.0;
  const std::vector<LaunchTrigger> triggers = {LaunchTrigger::firstLaunch(),
                                               LaunchTrigger::everyTime()};
  // A counter at its largest value stays there.
  storage.store(std::numeric_limits<qint64>::max(), QStringLiteral("launchManagerLaunchCounter"));
  EXPECT_EQ(launch(storage, date, triggers), QStringList{QStringLiteral("1")});
  EXPECT_EQ(storage.getInteger(QStringLiteral("launchManagerLaunchCounter")),
            std::numeric_limits<qint64>::max());

  // A first-launch time that gives no day count starts the count again now.
  for (double first : {std::numeric_limits<double>::quiet_NaN(), 1.0e308, -1.0e308,
                       std::numeric_limits<double>::infinity()}) {
    storage.storeTimeInterval(first, QStringLiteral("launchManagerFirstLaunch"));
    EXPECT_EQ(launch(storage, date, triggers), QStringList{QStringLiteral("1")});
    EXPECT_DOUBLE_EQ(storage.getTimeInterval(QStringLiteral("launchManagerFirstLaunch")),
                     800000000.0);
    EXPECT_EQ(storage.getInteger(QStringLiteral("launchManagerLastExecutedLaunchDay")), 0);
  }
}
