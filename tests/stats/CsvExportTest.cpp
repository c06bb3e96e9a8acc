// The log exported as comma-separated values.
#include "stats/CsvExport.h"
#include "engine/FullTimeSlice.h"
#include "engine/LogFileManager.h"
#include "engine/Logger.h"
#include "platform/LocalTimeZone.h"
#include "platform/QnLog.h"
#include "platform/services/TestAlertPresenter.h"
#include "platform/settings/UserDefaults.h"
#include "stats/FullFeaturedStatisticsManager.h"

#include "StatsFixture.h"
#include "support/TestClock.h"
#include "support/TestEnvironment.h"
#include "support/ZoneScope.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>
#include <limits>
#include <random>
#include <sys/resource.h>

using namespace kr;
using test::berlin;

namespace {

const QByteArray header = "uuid,start,end,actualDuration,success,completed,tags,objective\n";

QByteArray readAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

bool writeBytes(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// While alive, no file of this process may grow beyond a few bytes, which
// makes every export fail, for root too.
class FileSizeLimit {
public:
  FileSizeLimit() {
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved_;
    limit.rlim_cur = 16;
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &saved_); }

private:
  rlimit saved_{};
};

FullTimeSlice slice(const QString& objective, const QString& tags = QStringLiteral("a,b")) {
  FullTimeSlice s;
  s.setUuid(QStringLiteral("U-1"));
  s.setStartDate(berlin(2026, 3, 30, 9, 5, 7));
  s.setEndDate(berlin(2026, 3, 30, 9, 30));
  s.setActualDurationAsLogged(1499.9);
  s.setSuccess(true);
  s.setCompleted(false);
  s.setTagString(tags);
  s.setObjective(objective);
  return s;
}

} // namespace

TEST(CsvRecordTest, FieldsAreQuotedWhereTheyMustBeAndNothingIsLost) {
  ASSERT_TRUE(test::useBerlinTime());
  EXPECT_EQ(csvexport::record(slice(QStringLiteral("plain"))),
            QStringLiteral("U-1,\"2026-03-30 09:05:07\",\"2026-03-30 09:30:00\",1499,true,false,"
                           "\"a,b\",plain\n"));

  // The objective: trimmed, then quoted when it holds a comma, a quote, a
  // line feed or a carriage return.
  const std::pair<const char*, const char*> objectives[] = {
      {"  blanks around \t\n", "blanks around"},
      {"one, two", "\"one, two\""},
      {"say \"hi\"", "\"say \"\"hi\"\"\""},
      {"two\nlines", "\"two\nlines\""},
      {"old\rline end", "\"old\rline end\""},
      {"\r\n", ""},
      {"", ""},
      {"tab\tinside", "tab\tinside"},
      {"\u00a0Umlaut \u00fc\u2003", "Umlaut \u00fc"},
  };
  for (const auto& [objective, field] : objectives)
    EXPECT_EQ(csvexport::objectiveField(QString::fromUtf8(objective)), QString::fromUtf8(field))
        << objective;

  // An identifier from a damaged log cannot split its record.
  FullTimeSlice damaged = slice(QStringLiteral("x"));
  damaged.setUuid(QStringLiteral("U,1\n"));
  EXPECT_TRUE(csvexport::record(damaged).startsWith(QStringLiteral("\"U,1\n\",\"2026-03-30 ")));

  // A quote inside the tags is doubled so that it cannot end the field.
  EXPECT_TRUE(csvexport::record(slice(QStringLiteral("x"), QStringLiteral("say \"hi\",b")))
                  .endsWith(QStringLiteral(",\"say \"\"hi\"\",b\",x\n")));

  // Missing values are empty; the duration is truncated and held in 32 bits.
  FullTimeSlice bare;
  bare.setUuid(QString());
  bare.setEndDate(QDateTime());
  bare.setObjective(QString());
  EXPECT_EQ(csvexport::record(bare).section(u',', 0, 0), QString());
  EXPECT_EQ(csvexport::record(bare).section(u',', 2), QStringLiteral("\"\",0,false,false,\"\",\n"));
  EXPECT_FALSE(csvexport::record(bare).contains(QStringLiteral("null")));
  EXPECT_EQ(csvexport::wholeSeconds(1499.9), 1499);
  EXPECT_EQ(csvexport::wholeSeconds(-1499.9), -1499);
  EXPECT_EQ(csvexport::wholeSeconds(double(std::numeric_limits<float>::max())),
            std::numeric_limits<int>::max());
  EXPECT_EQ(csvexport::wholeSeconds(2147483647.5), std::numeric_limits<int>::max());
  EXPECT_EQ(csvexport::wholeSeconds(-1e30), std::numeric_limits<int>::min());
  EXPECT_EQ(csvexport::wholeSeconds(std::nan("")), 0);

  EXPECT_EQ(csvexport::text({}), QString::fromUtf8(header));
}

TEST(CsvRecordTest, DatesReadAsTheLogWritesThemInEveryZoneAndEveryForm) {
  // The records take their dates from their instants; what they write must be
  // what the log's own date writer makes of the dates themselves, in the local
  // zone, for dates kept in any form, around transitions, before 1970 (with
  // milliseconds), and at the ends of four-digit years.
  for (const char* name : {"Europe/Berlin", "America/St_Johns", "Australia/Lord_Howe",
                           "Asia/Kathmandu", "Pacific/Apia", "UTC"}) {
    SCOPED_TRACE(name);
    const test::ZoneScope scope(name);
    const QTimeZone zone(name);
    QList<qint64> instants = {
        -1,
        -999,
        0,
        QDateTime(QDate(1, 1, 1), QTime(0, 0), Qt::UTC).toMSecsSinceEpoch(),
        QDateTime(QDate(9999, 12, 31), QTime(23, 59, 59, 999), Qt::UTC).toMSecsSinceEpoch(),
        QDateTime(QDate(10000, 1, 2), QTime(0, 0), Qt::UTC).toMSecsSinceEpoch()};
    for (int year : {1969, 2026})
      for (const auto& transition :
           zone.transitions(QDateTime(QDate(year, 1, 1), QTime(0, 0), Qt::UTC),
                            QDateTime(QDate(year + 1, 1, 1), QTime(0, 0), Qt::UTC)))
        for (qint64 q = -8; q <= 8; ++q)
          instants.append(transition.atUtc.toMSecsSinceEpoch() + q * 900000 - (q % 3));
    std::mt19937 random(8122026);
    std::uniform_int_distribution<qint64> anywhere(
        QDateTime(QDate(1850, 1, 1), QTime(0, 0), Qt::UTC).toMSecsSinceEpoch(),
        QDateTime(QDate(2150, 1, 1), QTime(0, 0), Qt::UTC).toMSecsSinceEpoch());
    for (int i = 0; i < 500; ++i)
      instants.append(anywhere(random));

    LocalClockTimes clock;
    QStringList wrong;
    for (qint64 msecs : instants) {
      const QDateTime utc = QDateTime::fromMSecsSinceEpoch(msecs, Qt::UTC);
      for (const QDateTime& date :
           {utc, utc.toTimeZone(zone), utc.toLocalTime(), utc.toOffsetFromUtc(-34200)}) {
        FullTimeSlice s = slice(QStringLiteral("x"));
        s.setStartDate(date);
        s.setEndDate(date.addSecs(1501));
        const QString expected = u'"' + Logger::formatDateForSystemLog(s.startDate()) +
                                 QStringLiteral("\",\"") +
                                 Logger::formatDateForSystemLog(s.endDate()) + u'"';
        const QString field = csvexport::record(s, clock).section(u',', 1, 2);
        if (field != expected)
          wrong.append(date.toString(Qt::ISODateWithMs) + QStringLiteral(": ") + field +
                       QStringLiteral(" instead of ") + expected);
      }
    }
    EXPECT_EQ(wrong, QStringList());
  }
}

namespace {

class CsvExportTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(test::useBerlinTime());
    clock.setDate(berlin(2026, 3, 31, 15));
    defaults.registerDefaults({{"currentlyDisplayedStatistic", 4}, {"filtering", false}});
  }
  void TearDown() override { QnLog::setOn(false); }

  void reloadLogs() {
    QSignalSpy finished(&logFiles, &LogFileManager::reloadFinished);
    logFiles.internalAyncUpdate();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !finished.isEmpty(); }, 10000));
    manager.prepareDataSet();
  }
  // A log entry with every field the export writes.
  bool addEntry(const QString& day, const QByteArray& entry) {
    QFile file(logs.folder() +
               QStringLiteral("/System Log %1 (1-2-3-%2).txt").arg(day).arg(++files));
    return file.open(QIODevice::WriteOnly) && file.write(entry) == entry.size();
  }
  QString target(const QString& name = QStringLiteral("Korvane-R Log.csv")) const {
    return out.path() + u'/' + name;
  }

  test::TestClock clock;
  QTemporaryDir dir;
  QTemporaryDir out;
  UserDefaults defaults{dir.path() + QStringLiteral("/settings.conf")};
  test::LogFolderFixture logs;
  LogFileManager logFiles{[this] { return logs.folder(); }};
  FullFeaturedStatisticsManager manager{&logFiles, &defaults};
  TestAlertPresenter alerts;
  ScopedAlertPresenter scopedAlerts{alerts};
  int files = 0;
};

} // namespace

TEST_F(CsvExportTest, EveryLoggedSliceNewestFirstWhateverTheFiltersSay) {
  // Nothing logged: the header alone, replacing what was there.
  ASSERT_TRUE(writeBytes(target(), "an older, longer export\nwith two lines\n"));
  QnLog::setOn(true);
  test::ConsoleCapture console;
  EXPECT_TRUE(manager.exportCSVTo(target()));
  EXPECT_EQ(readAll(target()), header);
  EXPECT_TRUE(console.contains(QStringLiteral("exportCSVTo [start]")));
  EXPECT_TRUE(console.contains(QStringLiteral("exportCSVTo [end]")));

  ASSERT_TRUE(addEntry("2026-03-30", "#TimeSlice\nAAA-1\n#objective\n  Write, then \"send\"\nthe "
                                     "report  \n#actualDuration\n1499.9\n#startDate\n2026-03-30 "
                                     "09:00:00\n#endDate\n2026-03-30 09:25:00\n#completed\nYES\n"
                                     "#success\nNO\n#focusRating\ngood\n#tags\nwriting,x\"y\n"));
  ASSERT_TRUE(addEntry("2026-03-31",
                       "#TimeSlice\nBBB-2\n#objective\n\u00dcbung\n#actualDuration\n"
                       "60\n#startDate\n2026-03-31 14:00:00\n#endDate\n2026-03-31 "
                       "14:01:00\n#success\nYES\n#focusRating\ndistracted\n#tags\n\n"));
  // Filters that let nothing through change nothing in the export.
  defaults.setValue(QStringLiteral("filtering"), true);
  defaults.setValue(QStringLiteral("tagFilter"), QStringLiteral("nothing-has-this"));
  reloadLogs();
  ASSERT_TRUE(manager.cachedFiltering());
  ASSERT_EQ(manager.fullData()->timeSlices().size(), 2u);
  EXPECT_TRUE(manager.exportCSVTo(target()));
  EXPECT_EQ(readAll(target()),
            header + "BBB-2,\"2026-03-31 14:00:00\",\"2026-03-31 14:01:00\",60,true,false,\"\","
                     "\xc3\x9c"
                     "bung\n"
                     "AAA-1,\"2026-03-30 09:00:00\",\"2026-03-30 09:25:00\",1499,false,true,"
                     "\"writing,x\"\"y\",\"Write, then \"\"send\"\"\nthe report\"\n");
  EXPECT_TRUE(alerts.shown.isEmpty());
}

TEST_F(CsvExportTest, ATargetThatCannotBeWrittenIsReportedOnceAndLeavesTheOldFile) {
  ASSERT_TRUE(logs.add(berlin(2026, 3, 30, 9), 600, QStringLiteral("good")));
  reloadLogs();

  // A plain file where the folder should be: fails for root too.
  ASSERT_TRUE(writeBytes(target(QStringLiteral("not-a-folder")), "x"));
  const QString inside = target(QStringLiteral("not-a-folder/log.csv"));
  EXPECT_FALSE(manager.exportCSVTo(inside));
  ASSERT_EQ(alerts.shown.size(), 1);
  EXPECT_EQ(alerts.shown[0].messageText, QStringLiteral("The log could not be exported."));
  EXPECT_TRUE(alerts.shown[0].informativeText.contains(inside));
  EXPECT_TRUE(alerts.shown[0].informativeText.contains(QStringLiteral("could not be written: ")));
  EXPECT_GT(alerts.shown[0].informativeText.size(), inside.size() + 30)
      << qPrintable(alerts.shown[0].informativeText);
  EXPECT_EQ(readAll(target(QStringLiteral("not-a-folder"))), QByteArray("x"));

  // A folder at the path is an error and stays as it was.
  ASSERT_TRUE(QDir(out.path()).mkpath(QStringLiteral("folder.csv/inner")));
  EXPECT_FALSE(manager.exportCSVTo(target(QStringLiteral("folder.csv"))));
  ASSERT_EQ(alerts.shown.size(), 2);
  EXPECT_TRUE(alerts.shown[1].informativeText.contains(QStringLiteral("it is a folder")));
  EXPECT_TRUE(QFileInfo(target(QStringLiteral("folder.csv/inner"))).isDir());

  // A write that fails half-way leaves the old export byte for byte.
  const QByteArray old = "uuid,start\r\nold export, kept\n";
  ASSERT_TRUE(writeBytes(target(), old));
  {
    FileSizeLimit limit;
    EXPECT_FALSE(manager.exportCSVTo(target()));
  }
  EXPECT_EQ(alerts.shown.size(), 3);
  EXPECT_EQ(readAll(target()), old);
  EXPECT_EQ(QDir(out.path()).entryList(QDir::Files | QDir::Hidden),
            (QStringList{"Korvane-R Log.csv", "not-a-folder"}));

  // The next export that can be written succeeds.
  EXPECT_TRUE(manager.exportCSVTo(target()));
  EXPECT_TRUE(readAll(target()).startsWith(header + "1,\"2026-03-30 09:00:00\","));
  EXPECT_EQ(alerts.shown.size(), 3);
}

TEST_F(CsvExportTest,
       TheExportOffTheWindowsThreadWritesTheSameBytesAndAStoppedOneLeavesTheOldFile) {
  for (int i = 0; i < 3; ++i)
    ASSERT_TRUE(logs.add(berlin(2026, 3, 28 + i, 9), 600, QStringLiteral("good")));
  reloadLogs();
  ASSERT_TRUE(manager.exportCSVTo(target(QStringLiteral("at-once.csv"))));

  QSignalSpy finished(&manager, &StatisticsManager::csvExportFinished);
  EXPECT_TRUE(manager.exportCSVInBackground(target()));
  EXPECT_TRUE(manager.isExportingCSV());
  EXPECT_FALSE(manager.exportCSVInBackground(target(QStringLiteral("second.csv"))))
      << "one at a time";
  ASSERT_TRUE(QTest::qWaitFor([&] { return !finished.isEmpty(); }, 10000));
  EXPECT_TRUE(finished.first().first().toBool());
  EXPECT_FALSE(manager.isExportingCSV());
  EXPECT_EQ(readAll(target()), readAll(target(QStringLiteral("at-once.csv"))));
  EXPECT_FALSE(QFileInfo::exists(target(QStringLiteral("second.csv"))));
  EXPECT_TRUE(alerts.shown.isEmpty());

  // Stopped before it is put in place (the program quits): the old file stays,
  // and nothing is left beside it.
  const QByteArray old = "an older export\n";
  ASSERT_TRUE(writeBytes(target(), old));
  const std::atomic<bool> stopped{true};
  QString error;
  EXPECT_FALSE(csvexport::writeFile(target(), QStringLiteral("new\n"), &error, &stopped));
  EXPECT_EQ(readAll(target()), old);
  EXPECT_EQ(QDir(out.path()).entryList(QDir::Files | QDir::Hidden),
            (QStringList{"at-once.csv", "Korvane-R Log.csv"}));
}
