// Odd things in the log folder: pipes named like logs, names Qt would take
// for something else, links, copies left by a killed write, cut-off text.
// None of them may hang the program, stop logging or lose what is there.
#include "engine/BackingStoreDescriptor.h"
#include "engine/BackingStoreManager.h"
#include "engine/DailyNamingStrategy.h"
#include "engine/FullDataSet.h"
#include "engine/LogFile.h"
#include "platform/richtext/RichText.h"
#include "platform/richtext/RtfdPackage.h"
#include "platform/services/AlertPresenterAPI.h"
#include "platform/services/FileBrowserAPI.h"
#include "platform/services/TestAlertPresenter.h"

#include "support/TestClock.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <future>
#include <sys/stat.h>
#include <unistd.h>

using namespace kr;

namespace {

const QString kMachine = QStringLiteral("abc123");

class HostileLogFilesTest : public ::testing::Test {
protected:
  void SetUp() override {
    BackingStoreManager::sharedManager().setMachineIdentifierForTesting(kMachine);
    clock.setDate(QDateTime(QDate(2026, 12, 7), QTime(10, 15, 2), Qt::LocalTime));
    AlertPresenterAPI::install(&alerts);
    FileBrowserAPI::install(&browser);
    folder = dir.path() + QStringLiteral("/System Logs");
  }
  void TearDown() override {
    AlertPresenterAPI::install(nullptr);
    FileBrowserAPI::install(nullptr);
    BackingStoreManager::sharedManager().setMachineIdentifierForTesting({});
  }

  std::unique_ptr<BackingStoreDescriptor> logStore() {
    auto store = std::make_unique<BackingStoreDescriptor>();
    store->setFolderPath(folder);
    store->setRoot(QStringLiteral("System Log"));
    store->setNamingStrategy(std::make_unique<DailyNamingStrategy>());
    store->finishInitialization();
    return store;
  }
  QString dayPath(const QString& machine = kMachine) const {
    return folder + QStringLiteral("/System Log Day 2026-12-07 (%1).rtfd").arg(machine);
  }
  static RichText entry(int n) {
    return RichText(
        QStringLiteral("#TimeSlice\nID-%1\n#duration\n1500\n#objective\nwork %1\n").arg(n));
  }
  static void makeFifo(const QString& path) {
    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0) << path.toStdString();
  }
  static void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes);
  }
  static QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }

  // Runs `work` on a thread and fails when it takes longer than five
  // seconds; a reader stuck on one of the pipes is then let go, so that the
  // test ends either way.
  template <typename Work> static void finishesInTime(const QStringList& pipes, Work work) {
    std::future<void> done = std::async(std::launch::async, work);
    if (done.wait_for(std::chrono::seconds(5)) == std::future_status::ready)
      return done.get();
    ADD_FAILURE() << "still blocked after 5 s";
    for (const QString& pipe : pipes) {
      const int fd = ::open(QFile::encodeName(pipe).constData(), O_WRONLY | O_NONBLOCK);
      if (fd >= 0)
        ::close(fd);
    }
    done.get();
  }

  QTemporaryDir dir;
  QString folder;
  test::TestClock clock;
  TestAlertPresenter alerts;
  TestFileBrowser browser;
};

TEST_F(HostileLogFilesTest, PipesNamedLikeLogsAreReportedUnreadableWithoutBlocking) {
  QDir().mkpath(dayPath());
  const QString textPipe = dayPath() + QStringLiteral("/TXT.rtf");
  makeFifo(textPipe);
  const QString plainPipe = folder + QStringLiteral("/System Log 2008-01-01 (1-2-3-4).txt");
  makeFifo(plainPipe);
  const QStringList pipes = {textPipe, plainPipe};

  finishesInTime(pipes, [&] {
    const FullDataSet::FileContents package = FullDataSet::loadRTFDFile(dayPath());
    EXPECT_TRUE(package.timeSlices.empty());
    EXPECT_TRUE(package.problem.contains(QStringLiteral("not a regular file")))
        << package.problem.toStdString();
    const FullDataSet::FileContents plain = FullDataSet::loadPlainTextFile(plainPipe);
    EXPECT_TRUE(plain.problem.contains(QStringLiteral("not a regular file")));
    EXPECT_EQ(RtfdPackage::read(dayPath()).status, RtfdPackage::Status::Unreadable);
  });
  // The reload thread's reader, on both names.
  test::ExpectWarnings expected({QStringLiteral("not a regular file")});
  finishesInTime(pipes, [&] {
    LogFile package(dayPath());
    EXPECT_TRUE(package.read());
    LogFile plain(plainPipe);
    EXPECT_TRUE(plain.read());
  });
  EXPECT_EQ(expected.seen(), 2);
}

TEST_F(HostileLogFilesTest, NamesBeginningWithAColonInAPackageAreKeptAndDoNotStopAppends) {
  auto store = logStore();
  ASSERT_TRUE(BackingStoreManager::sharedManager().append(entry(1), *store));
  writeFile(dayPath() + QStringLiteral("/:x"), "the user's own file");
  QDir().mkpath(dayPath() + QStringLiteral("/:folder"));
  writeFile(dayPath() + QStringLiteral("/:folder/:y"), "nested");

  ASSERT_TRUE(BackingStoreManager::sharedManager().append(entry(2), *store));
  ASSERT_TRUE(BackingStoreManager::sharedManager().append(entry(3), *store));
  EXPECT_EQ(bytesOf(dayPath() + QStringLiteral("/:x")), "the user's own file");
  EXPECT_EQ(bytesOf(dayPath() + QStringLiteral("/:folder/:y")), "nested");
  EXPECT_EQ(FullDataSet::loadRTFDFile(dayPath()).timeSlices.size(), 3u);
  EXPECT_TRUE(alerts.shown.isEmpty());
}

TEST_F(HostileLogFilesTest, LinkedDayPackageIsWrittenThroughAndStaysALink) {
  auto store = logStore();
  const QString real = folder + QStringLiteral("/elsewhere/real.rtfd");
  QDir().mkpath(QFileInfo(real).path());
  ASSERT_TRUE(RtfdPackage::write(real, entry(1)));
  ASSERT_TRUE(QFile::link(real, dayPath()));

  ASSERT_TRUE(BackingStoreManager::sharedManager().append(entry(2), *store));
  EXPECT_TRUE(QFileInfo(dayPath()).isSymLink());
  EXPECT_EQ(RtfdPackage::read(real).text.plainText(), entry(1).plainText() + entry(2).plainText());
  EXPECT_TRUE(alerts.shown.isEmpty());

  // A link that leads nowhere is refused with the alert and left alone.
  ASSERT_TRUE(QFile::remove(dayPath()));
  ASSERT_TRUE(QFile::link(folder + QStringLiteral("/missing.rtfd"), dayPath()));
  test::ExpectWarnings expected({QStringLiteral("not a package folder")});
  EXPECT_FALSE(BackingStoreManager::sharedManager().append(entry(3), *store));
  EXPECT_TRUE(QFileInfo(dayPath()).isSymLink());
  EXPECT_FALSE(QFileInfo::exists(folder + QStringLiteral("/missing.rtfd")));
  ASSERT_EQ(alerts.shown.size(), 1);
  EXPECT_TRUE(alerts.shown.first().informativeText.contains(dayPath()));
}

TEST_F(HostileLogFilesTest, CopiesLeftByAKilledWriteArePutRightAtStartUp) {
  QDir().mkpath(folder);
  const QString today = QFileInfo(dayPath()).fileName();
  // An unfinished new package of today's file, and yesterday's package set
  // aside just before the kill with nothing in its place.
  const QString unfinished =
      folder + QStringLiteral("/.kr-new-") + today + QStringLiteral("-a1B2c3");
  QDir().mkpath(unfinished);
  writeFile(unfinished + QStringLiteral("/TXT.rtf"), "{\\rtf1 half");
  const QString yesterday = QStringLiteral("System Log Day 2026-12-06 (%1).rtfd").arg(kMachine);
  const QString setAside =
      folder + QStringLiteral("/.kr-old-") + yesterday + QStringLiteral("-Zz9Yy8");
  ASSERT_TRUE(RtfdPackage::write(folder + QStringLiteral("/scratch.rtfd"), entry(1)));
  ASSERT_TRUE(QDir().rename(folder + QStringLiteral("/scratch.rtfd"), setAside));
  // Another machine's write in the shared folder is not this program's to touch.
  const QString othersCopy = folder + QStringLiteral("/.kr-new-") +
                             QFileInfo(dayPath(QStringLiteral("def456"))).fileName() +
                             QStringLiteral("-q1w2e3");
  QDir().mkpath(othersCopy);

  auto store = logStore();
  EXPECT_FALSE(QFileInfo::exists(unfinished));
  EXPECT_FALSE(QFileInfo::exists(setAside));
  EXPECT_EQ(RtfdPackage::read(folder + u'/' + yesterday).text.plainText(), entry(1).plainText());
  EXPECT_TRUE(QFileInfo::exists(othersCopy));
}

TEST_F(HostileLogFilesTest, CutOffDayFileIsReportedAsDamagedAndItsReadablePartKept) {
  QDir().mkpath(dayPath());
  writeFile(dayPath() + QStringLiteral("/TXT.rtf"),
            "{\\rtf1\\ansi #TimeSlice\\par 0E4A-1\\par #duration\\par 1500\\par #objective\\par "
            "Write\\par #TimeSlice\\par 0E4A-2\\par #objective\\par half an entr");
  const FullDataSet::FileContents read = FullDataSet::loadRTFDFile(dayPath());
  ASSERT_EQ(read.timeSlices.size(), 2u);
  EXPECT_EQ(read.timeSlices[1]->uuid(), QStringLiteral("0E4A-2"));
  EXPECT_EQ(read.timeSlices[1]->objective(), QStringLiteral("half an entr"));
  EXPECT_TRUE(read.problem.contains(QStringLiteral("damaged"))) << read.problem.toStdString();

  // The reload names the file once, and keeps its entries.
  test::ExpectWarnings expected({QStringLiteral("is damaged")});
  LogFile file(dayPath());
  ASSERT_TRUE(file.read());
  EXPECT_EQ(expected.seen(), 1);
  EXPECT_EQ(file.records()->timeSlices.size(), 2u);
}

} // namespace
