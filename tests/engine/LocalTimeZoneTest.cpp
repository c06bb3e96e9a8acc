#include "platform/LocalTimeZone.h"

#include "engine/Clock.h"
#include "engine/DailyNamingStrategy.h"
#include "engine/DateHelper.h"
#include "engine/Logger.h"
#include "engine/TimedStateMachineModule.h"
#include "engine/TimedStateMachineViewModel.h"
#include "engine/TimedStateType.h"
#include "support/TestClock.h"
#include "support/ZoneScope.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

#include <gtest/gtest.h>

using namespace kr;

namespace {

// Only the zone's own readers see TZ change here, as after a change of the
// system's zone.
class ZoneScope : public kr::test::ZoneScope {
public:
  explicit ZoneScope(const char* zone) : kr::test::ZoneScope(zone, CLibrary::NotTold) {}
};

class CountingState final : public TimedStateType {
public:
  std::int64_t duration() override { return 1500; }
  void execute(Event) override {}
  bool acceptsEventsFrom(const TimedStateMachineModule&) const override { return true; }
};

} // namespace

TEST(LocalTimeZone, AChangeOfZoneDuringARunningSliceIsFollowedByReadOutsAndLogDates) {
  ZoneScope zone("Europe/Berlin");
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
  // Monday 2026-03-02 09:00:00 UTC: 10:00 in Berlin.
  test::TestClock clock(794134800.0);
  CountingState state;
  TimedStateMachineModule slice(state);
  clock.advance(60.0);
  slice.viewModel()->freezeTime();
  const QDateTime start = Clock::dateFromReferenceSeconds(794134800.0);
  EXPECT_EQ(DateHelper::sharedHelper().formattedTime(Clock::nowAsDate()),
            QStringLiteral("10:01:00"));
  EXPECT_EQ(Logger::formatDateForSystemLog(start), QStringLiteral("2026-03-02 10:00:00"));

  // Many conversions, one reading of the zone.
  const int readings = LocalTimeZone::readings();
  int hours = 0;
  for (int i = 0; i < 100; ++i)
    hours += Clock::nowAsDate().time().hour();
  EXPECT_EQ(hours, 1000);
  EXPECT_EQ(LocalTimeZone::readings(), readings);

  // The machine moves to Tokyo (UTC+9) in the middle of the slice.
  zone.set("Asia/Tokyo");
  clock.advance(60.0);
  EXPECT_EQ(DateHelper::sharedHelper().formattedTime(Clock::nowAsDate()),
            QStringLiteral("18:02:00"));
  EXPECT_EQ(Logger::formatDateForSystemLog(start), QStringLiteral("2026-03-02 18:00:00"));
  EXPECT_EQ(Logger::formatDateForSystemLog(slice.viewModel()->startDate()),
            QStringLiteral("2026-03-02 18:00:00"));
  EXPECT_EQ(LocalTimeZone::readings(), readings + 1);
  // The count-down itself does not care: two minutes of 25 went by.
  slice.viewModel()->freezeTime();
  EXPECT_EQ(int(slice.viewModel()->remainingSeconds()), 1500 - 120);
  QLocale::setDefault(QLocale::c());
}

TEST(LocalTimeZone, ALocalTimeFileReplacedIsNoticedAndTheZoneReadAgain) {
  QTemporaryDir dir;
  const QString file = dir.path() + QStringLiteral("/localtime");
  QFile first(file);
  ASSERT_TRUE(first.open(QIODevice::WriteOnly));
  first.close();
  LocalTimeZone::watch(file);
  LocalTimeZone::current();
  const int readings = LocalTimeZone::readings();
  LocalTimeZone::current();
  EXPECT_EQ(LocalTimeZone::readings(), readings);

  // Replaced as the system's tools do it: a new link renamed over the old.
  ASSERT_TRUE(QFile::link(QStringLiteral("/usr/share/zoneinfo/Asia/Tokyo"),
                          dir.path() + QStringLiteral("/localtime.new")));
  ASSERT_EQ(::rename(QFile::encodeName(dir.path() + QStringLiteral("/localtime.new")).constData(),
                     QFile::encodeName(file).constData()),
            0);
  EXPECT_TRUE(QTest::qWaitFor(
      [&] {
        LocalTimeZone::current();
        return LocalTimeZone::readings() > readings;
      },
      10000));
  LocalTimeZone::watch(LocalTimeZone::systemZoneFile());
}
