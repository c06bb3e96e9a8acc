#include "engine/BackingStoreManager.h"
#include "engine/LogFileManager.h"
#include "platform/QnLog.h"
#include "platform/services/TestHtmlView.h"
#include "platform/settings/UserDefaults.h"
#include "stats/FullFeaturedStatisticsManager.h"
#include "stats/ModernOverviewStatistic.h"
#include "stats/StatisticPageFolder.h"

#include "StatsFixture.h"
#include "support/TestClock.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <dlfcn.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace kr;
using test::berlin;

namespace {
// When set, renameat2 with flags fails with this error, as it does on file
// systems that do not know the flags (network and FUSE mounts).
std::atomic<int> renameFlagsError{0};
} // namespace

// Interposed for the whole test program; without an error to give it calls
// the C library's.
extern "C" int renameat2(int oldFolder, const char* oldPath, int newFolder, const char* newPath,
                         unsigned int flags) noexcept {
  if (flags != 0 && renameFlagsError.load() != 0) {
    errno = renameFlagsError.load();
    return -1;
  }
  using Real = int (*)(int, const char*, int, const char*, unsigned int);
  static const Real real = reinterpret_cast<Real>(::dlsym(RTLD_NEXT, "renameat2"));
  return real(oldFolder, oldPath, newFolder, newPath, flags);
}

namespace {

QString readAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

bool writeText(const QString& path, const QByteArray& text) {
  QDir().mkpath(QFileInfo(path).path());
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

// While alive, no file of this process may grow beyond a few bytes, which
// makes every page write fail, for root too.
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

class StatisticsManagerTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(test::useBerlinTime());
    clock.setDate(berlin(2026, 3, 31, 15));
    QDir(support).removeRecursively();
    defaults.registerDefaults({{"currentlyDisplayedStatistic", 0}, {"filtering", false}});
    manager.setStatisticsWebView(&view);
  }
  void TearDown() override { QnLog::setOn(false); }

  QString page() const {
    return readAll(manager.outputDirectory() + QStringLiteral("/index.html"));
  }
  int loads() const { return int(view.loadedFiles().size()); }

  // Reads the log folder as a reload does and waits until it is handed over.
  void reloadLogs() {
    QSignalSpy finished(&logFiles, &LogFileManager::reloadFinished);
    logFiles.internalAyncUpdate();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !finished.isEmpty(); }, 10000));
  }

  test::TestClock clock;
  QTemporaryDir dir;
  UserDefaults defaults{dir.path() + QStringLiteral("/settings.conf")};
  test::LogFolderFixture logs;
  LogFileManager logFiles{[this] { return logs.folder(); }};
  TestHtmlView view;
  FullFeaturedStatisticsManager manager{&logFiles, &defaults};
  const QString support = BackingStoreManager::sharedManager().applicationSupportDirectory();
};

} // namespace

TEST_F(StatisticsManagerTest, FilterChangesWithinTheQuietPeriodMakeOneRefresh) {
  manager.awakeFromNib();
  for (const char* tags : {"a", "a,b", "a,b,c"}) {
    defaults.setValue(QStringLiteral("tagFilter"), QString::fromLatin1(tags));
    clock.advance(0.1);
  }
  EXPECT_EQ(loads(), 0);
  ASSERT_TRUE(manager.updateTimer());
  EXPECT_EQ(manager.updateTimer()->interval(), 0.5);
  EXPECT_EQ(manager.updateTimer()->tolerance(), 0.5);
  clock.advance(0.35);
  EXPECT_EQ(loads(), 0);
  clock.advance(0.1);
  EXPECT_EQ(loads(), 1);
  clock.advance(5.0);
  EXPECT_EQ(loads(), 1);
  EXPECT_EQ(manager.cachedTagArray(), (QStringList{"a", "b", "c"}));
}

TEST_F(StatisticsManagerTest, AChangeOfStatisticShowsAtOnceAndAPendingRefreshStillRuns) {
  manager.awakeFromNib();
  defaults.setValue(QStringLiteral("filtering"), true);
  clock.advance(0.2);
  QnLog::setOn(true);
  test::ConsoleCapture console;
  defaults.setValue(QStringLiteral("currentlyDisplayedStatistic"), 5);
  EXPECT_EQ(loads(), 1);
  EXPECT_TRUE(console.contains(
      QStringLiteral("StatsManager observeValueForKeyPath: currentlyDisplayedStatistic")));
  EXPECT_TRUE(page().contains(QStringLiteral("var barWidth = '4.0%';")));
  clock.advance(0.3);
  EXPECT_EQ(loads(), 2);

  // A reload of the log files refreshes after the quiet period too.
  ASSERT_TRUE(logs.add(berlin(2026, 3, 31, 9), 1800, QStringLiteral("good")));
  reloadLogs();
  EXPECT_EQ(loads(), 2);
  clock.advance(0.5);
  EXPECT_EQ(loads(), 3);
  EXPECT_EQ(manager.fullData(), logFiles.currentFullDataSet());
  EXPECT_TRUE(page().contains(QStringLiteral("var good = [ 0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,"
                                             "0.0,0.0,0.0,0.0,30.0 ];")));
}

TEST_F(StatisticsManagerTest, APageReplacesTheWholeFolderAndIsWhatTheStatisticRenders) {
  manager.awakeFromNib();
  const QString stats = manager.outputDirectory();
  EXPECT_EQ(stats, support + QStringLiteral("/stats"));
  ASSERT_TRUE(writeText(stats + QStringLiteral("/stale.txt"), "old"));
  ASSERT_TRUE(writeText(stats + QStringLiteral("/index.html"), "old page"));

  QnLog::setOn(true);
  test::ConsoleCapture console;
  manager.load(); // no slices at all: the empty page is still written
  EXPECT_EQ(view.loadedFiles(), QStringList{stats + QStringLiteral("/index.html")});
  EXPECT_FALSE(QFile::exists(stats + QStringLiteral("/stale.txt")));
  ModernOverviewStatistic expected;
  expected.computeStatistic(nullptr);
  EXPECT_EQ(page(), expected.render());
  EXPECT_TRUE(console.contains(QStringLiteral("index.html written successfully.")));
  // The chart files the page loads sit beside it.
  EXPECT_TRUE(
      readAll(stats + QStringLiteral("/chartist.min.js")).contains(QStringLiteral("Chartist")));
  EXPECT_TRUE(readAll(stats + QStringLiteral("/vt/chartist.css"))
                  .contains(QStringLiteral(".ct-legend .ct-series-3")));
  EXPECT_TRUE(readAll(stats + QStringLiteral("/vt/chartist.css"))
                  .contains(QStringLiteral(".ct-golden-section")));
  EXPECT_TRUE(readAll(stats + QStringLiteral("/vt/plugins/chartist-plugin-legend.js"))
                  .contains(QStringLiteral("Chartist.plugins.legend")));
  for (const char* line :
       {"performCalculations [start]", "select statistic", "compute statistic", "render",
        "load frame", "performCalculations [end]", "stats processing took: "})
    EXPECT_TRUE(console.contains(QString::fromLatin1(line))) << line;
  // Nothing is left beside the folder.
  EXPECT_EQ(QDir(support).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList{"stats"});
}

TEST_F(StatisticsManagerTest, WithoutRenameFlagsThePageIsStillSwappedIn) {
  manager.awakeFromNib();
  const QString stats = manager.outputDirectory();
  ASSERT_TRUE(writeText(stats + QStringLiteral("/index.html"), "old page"));
  test::ConsoleCapture console;
  for (const int error : {EINVAL, ENOSYS, EXDEV}) {
    renameFlagsError = error;
    manager.load();
    renameFlagsError = 0;
    EXPECT_TRUE(page().contains(QStringLiteral("<html")) && page() != QStringLiteral("old page"))
        << error;
    EXPECT_EQ(view.loadedFiles().last(), stats + QStringLiteral("/index.html")) << error;
    EXPECT_EQ(QDir(support).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{"stats"})
        << error;
    ASSERT_TRUE(writeText(stats + QStringLiteral("/index.html"), "old page"));
  }
  // The first page, with no folder there yet.
  QDir(stats).removeRecursively();
  renameFlagsError = EINVAL;
  manager.load();
  renameFlagsError = 0;
  EXPECT_TRUE(page().contains(QStringLiteral("<html")));
  EXPECT_FALSE(console.contains(QStringLiteral("Error Writing")));
}

TEST_F(StatisticsManagerTest, AFailedWriteShowsABlankPageWithItsLineAndKeepsTheOldFolder) {
  manager.awakeFromNib();
  manager.load();
  const QString before = page();
  ASSERT_FALSE(before.isEmpty());

  defaults.setValue(QStringLiteral("filtering"), true); // pending
  QnLog::setOn(true);
  test::ConsoleCapture console;
  {
    FileSizeLimit limit;
    defaults.setValue(QStringLiteral("currentlyDisplayedStatistic"), 6);
  }
  EXPECT_EQ(view.blankPages(), 1);
  EXPECT_EQ(view.blankPageLine(), StatisticsManager::pageNotWrittenLine());
  EXPECT_EQ(view.url(), QUrl(QStringLiteral("about:blank")));
  EXPECT_EQ(console.lines().filter(QStringLiteral("Error Writing: ")).size(), 1);
  EXPECT_TRUE(console.contains(QStringLiteral("Error Writing: ") + manager.outputDirectory() +
                               QStringLiteral("/index.html!")));
  EXPECT_EQ(page(), before);
  EXPECT_EQ(QDir(support).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList{"stats"});

  // A support folder that cannot be written to fails the same way (only
  // without root's rights).
  if (::geteuid() != 0) {
    QFile::setPermissions(support, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    manager.load();
    QFile::setPermissions(support,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(view.blankPages(), 2);
    EXPECT_EQ(console.lines().filter(QStringLiteral("Error Writing: ")).size(), 2);
    EXPECT_EQ(page(), before);
  }

  // The next refresh writes again.
  clock.advance(1.0);
  EXPECT_TRUE(page().contains(QStringLiteral("var barWidth = '2.0%';")));
  EXPECT_EQ(view.url(),
            QUrl::fromLocalFile(manager.outputDirectory() + QStringLiteral("/index.html")));
}

TEST_F(StatisticsManagerTest, ANumberWithoutAStatisticWritesNothingAndShowsABlankPage) {
  manager.awakeFromNib();
  manager.load();
  const QString before = page();
  QnLog::setOn(true);
  test::ConsoleCapture console;
  defaults.setValue(QStringLiteral("currentlyDisplayedStatistic"), 2);
  EXPECT_EQ(loads(), 1);
  EXPECT_EQ(view.blankPages(), 1);
  EXPECT_EQ(page(), before);
  EXPECT_EQ(console.lines().filter(QStringLiteral("No statistic is numbered 2")).size(), 1);
  EXPECT_FALSE(console.contains(QStringLiteral("Error Writing")));
}

TEST_F(StatisticsManagerTest, OnlyTheSupportFoldersOwnStatsIsRemovedNeverWhatALinkPointsTo) {
  QTemporaryDir elsewhere;
  ASSERT_TRUE(writeText(elsewhere.path() + QStringLiteral("/keep.txt"), "mine"));
  ASSERT_TRUE(QDir().mkpath(support));
  ASSERT_TRUE(QFile::link(elsewhere.path(), manager.outputDirectory()));
  // Left behind by an interrupted write.
  ASSERT_TRUE(writeText(support + u'/' + StatisticPageFolder::temporaryPrefix() +
                            QStringLiteral("abc123/index.html"),
                        "half"));
  manager.awakeFromNib();
  EXPECT_FALSE(QFileInfo::exists(support + u'/' + StatisticPageFolder::temporaryPrefix() +
                                 QStringLiteral("abc123")));
  manager.load();
  EXPECT_TRUE(QFile::exists(elsewhere.path() + QStringLiteral("/keep.txt")));
  EXPECT_FALSE(QFileInfo(manager.outputDirectory()).isSymLink());
  EXPECT_FALSE(page().isEmpty());
}

TEST(StatisticsManagerDeathTest, TheBaseStatisticAndAnEarlySharedInstanceStopTheProgram) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(StatisticsManager().getCurrentStatistic(),
               "getCurrentStatistic of BaseClass called!.*StatisticsManager");
  EXPECT_DEATH(FullFeaturedStatisticsManager::sharedInstance(),
               "Statistics manager shared instance called before initialized.*"
               "FullFeaturedStatisticsManager");
}

TEST_F(StatisticsManagerTest, TheManagerThatWokeLastIsShared) {
  manager.awakeFromNib();
  EXPECT_EQ(&FullFeaturedStatisticsManager::sharedInstance(), &manager);
  {
    FullFeaturedStatisticsManager second(&logFiles, &defaults);
    second.awakeFromNib();
    EXPECT_EQ(&FullFeaturedStatisticsManager::sharedInstance(), &second);
  }
  EXPECT_DEATH(FullFeaturedStatisticsManager::sharedInstance(), "called before initialized");
}
