#include "engine/LogFileManager.h"
#include "engine/BackingStoreDescriptor.h"
#include "engine/LogFileManagerListener.h"
#include "engine/Logger.h"
#include "engine/TagManager.h"
#include "platform/files/FolderContentMonitor.h"
#include "platform/richtext/RtfdPackage.h"
#include "platform/settings/UserDefaults.h"

#include "support/TestClock.h"
#include "support/TestEnvironment.h"

#include "platform/QnLog.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

using namespace kr;

namespace {

class RecordingListener : public LogFileManagerListener {
public:
  RecordingListener(QStringList* calls, QString name) : calls_(calls), name_(std::move(name)) {}
  void logFilesWereUpdated() override {
    calls_->append(name_);
    onGuiThread = onGuiThread && QThread::currentThread() == qApp->thread();
  }
  bool onGuiThread = true;

private:
  QStringList* calls_;
  QString name_;
};

QByteArray entry(const char* uuid, const char* start, const char* tags = "") {
  return QByteArray("#TimeSlice\n") + uuid + "\n#startDate\n" + start + "\n#tags\n" + tags + "\n";
}

bool appendTo(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return file.open(QIODevice::Append) && file.write(bytes) == bytes.size();
}

QStringList uuidsOf(const LogFileManager& manager) {
  QStringList result;
  for (const auto& slice : manager.currentFullDataSet()->timeSlices())
    result.append(slice->uuid());
  return result;
}

class LogFileManagerTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    folder = dir.path() + QStringLiteral("/System Logs");
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(appendTo(log(1), entry("A", "2008-01-01 09:00:00", "alpha")));
    ASSERT_TRUE(QDir(folder).mkdir(QStringLiteral("barrier")));
    manager = std::make_unique<LogFileManager>([this] { return folder; }, &tags);
    spy = std::make_unique<QSignalSpy>(manager.get(), &LogFileManager::reloadFinished);
  }

  QString log(int day) const {
    return folder +
           QStringLiteral("/System Log 2008-01-%1 (1-2-3-4).txt").arg(day, 2, 10, QChar(u'0'));
  }

  // Starts the folder monitor and waits until its watches stand.
  void startMonitor() {
    QSignalSpy setUp(&manager->monitor(), &FolderContentMonitor::setUpFinished);
    manager->monitor().start();
    ASSERT_TRUE(setUp.wait(10000));
  }

  // The events of one change can reach the manager in two reads of the
  // monitor's thread; with the clock moved at once, the second would start a
  // reload of its own, which the second of real time keeps from happening.
  // Removing a folder after the change and waiting for its event makes sure
  // every earlier event has arrived before the clock moves.
  void waitForEarlierEvents() {
    test::ConsoleCapture console;
    const bool logging = QnLog::isOn();
    QnLog::setOn(true); // the manager names each event's kind on the console
    const auto restore = qScopeGuard([logging] { QnLog::setOn(logging); });
    ASSERT_TRUE(QDir(folder).rmdir(QStringLiteral("barrier")));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
          for (const QString& line : console.lines()) {
            if (line.endsWith(QLatin1String("FileSystemFlag: isDir, removed")))
              return true;
          }
          return false;
        },
        10000));
  }

  // Fires the pending one-second timer and waits for the reload to come back.
  void runPendingReload() {
    const int finished = int(spy->count());
    clock.advance(1.0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return spy->count() > finished; }, 10000));
  }

  test::TestClock clock;
  QTemporaryDir dir;
  QString folder;
  TagManager tags;
  std::unique_ptr<LogFileManager> manager;
  std::unique_ptr<QSignalSpy> spy;
};

} // namespace

TEST_F(LogFileManagerTest, RequestsWithinOneSecondMakeOneReload) {
  QStringList calls;
  RecordingListener listener(&calls, QStringLiteral("l"));
  manager->addListener(&listener);
  EXPECT_TRUE(manager->currentFullDataSet()->timeSlices().empty());
  for (int i = 0; i < 10; ++i) {
    manager->update();
    clock.advance(0.03125);
  }
  EXPECT_EQ(manager->reloadsStarted(), 0);
  EXPECT_TRUE(manager->isReloadPending());
  clock.advance(0.6875); // one second after the first request
  EXPECT_EQ(manager->reloadsStarted(), 1);
  ASSERT_TRUE(QTest::qWaitFor([&] { return spy->count() == 1; }, 10000));
  EXPECT_EQ(uuidsOf(*manager), QStringList{QStringLiteral("A")});
  EXPECT_EQ(calls, QStringList{QStringLiteral("l")});
  EXPECT_TRUE(listener.onGuiThread);
  EXPECT_EQ(tags.allTags(), QStringList{QStringLiteral("alpha")});
  clock.advance(5.0);
  EXPECT_EQ(manager->reloadsStarted(), 1);

  // A request while a reload runs gives another reload after it.
  manager->update();
  clock.advance(1.0);
  manager->update();
  EXPECT_TRUE(manager->isReloadPending());
  runPendingReload();
  ASSERT_TRUE(QTest::qWaitFor([&] { return spy->count() == 3; }, 10000));
  EXPECT_EQ(manager->reloadsStarted(), 3);
}

TEST_F(LogFileManagerTest, ListenersAreToldInOrderAndOnlyWhileTheyLive) {
  QStringList calls;
  RecordingListener first(&calls, QStringLiteral("first"));
  auto gone = std::make_unique<RecordingListener>(&calls, QStringLiteral("gone"));
  RecordingListener last(&calls, QStringLiteral("last"));
  manager->addListener(&first);
  manager->addListener(gone.get());
  manager->addListener(&last);
  gone.reset();
  manager->update();
  runPendingReload();
  EXPECT_EQ(calls, (QStringList{QStringLiteral("first"), QStringLiteral("last")}));
}

TEST_F(LogFileManagerTest, AppendToALogGivesOneReloadAndOneListenerCall) {
  QStringList calls;
  RecordingListener listener(&calls, QStringLiteral("l"));
  manager->addListener(&listener);
  startMonitor();
  manager->update();
  runPendingReload();
  ASSERT_EQ(calls.size(), 1);

  ASSERT_TRUE(appendTo(log(1), entry("B", "2008-01-01 10:00:00")));
  waitForEarlierEvents();
  ASSERT_TRUE(manager->isReloadPending());
  runPendingReload();
  EXPECT_EQ(manager->reloadsStarted(), 2);
  EXPECT_EQ(calls.size(), 2);
  EXPECT_TRUE(listener.onGuiThread);
  EXPECT_EQ(uuidsOf(*manager), (QStringList{QStringLiteral("B"), QStringLiteral("A")}));
  EXPECT_FALSE(manager->isReloadPending());
}

TEST_F(LogFileManagerTest, BurstOfChangesGivesOneReload) {
  startMonitor();
  manager->update();
  runPendingReload();

  // A new file, several writes to it and to the old one, a renamed package.
  ASSERT_TRUE(appendTo(log(2), entry("C", "2008-01-02 09:00:00")));
  ASSERT_TRUE(appendTo(log(2), entry("D", "2008-01-02 10:00:00")));
  ASSERT_TRUE(appendTo(log(1), entry("E", "2008-01-01 11:00:00")));
  ASSERT_TRUE(QDir(folder).mkdir(QStringLiteral("package.tmp")));
  ASSERT_TRUE(QDir(folder).rename(QStringLiteral("package.tmp"),
                                  QStringLiteral("System Log Day 2008-01-03 (abc).rtfd")));
  waitForEarlierEvents();
  ASSERT_TRUE(manager->isReloadPending());
  test::ExpectWarnings packageWithoutText({QStringLiteral("(abc).rtfd")});
  runPendingReload();
  EXPECT_EQ(manager->reloadsStarted(), 2);
  EXPECT_EQ(uuidsOf(*manager), (QStringList{"D", "C", "E", "A"}));
}

TEST_F(LogFileManagerTest, RemovedFileDisappearsFromTheDataSet) {
  ASSERT_TRUE(appendTo(log(2), entry("C", "2008-01-02 09:00:00")));
  startMonitor();
  manager->update();
  runPendingReload();
  ASSERT_EQ(uuidsOf(*manager), (QStringList{"C", "A"}));

  ASSERT_TRUE(QFile::remove(log(2)));
  ASSERT_TRUE(QTest::qWaitFor([&] { return manager->isReloadPending(); }, 10000));
  runPendingReload();
  EXPECT_EQ(uuidsOf(*manager), QStringList{QStringLiteral("A")});
  EXPECT_EQ(manager->currentRawDataSet()->timeSlices().size(), 1u);
}

TEST_F(LogFileManagerTest, MonitorFollowsTheLogStoreToItsNewFolder) {
  startMonitor();
  manager->update();
  runPendingReload();

  const QString moved = dir.path() + QStringLiteral("/Dropbox/Korvane-R/System Logs");
  ASSERT_TRUE(QDir().mkpath(moved));
  folder = moved;
  manager->update();
  EXPECT_EQ(manager->monitor().pathsToWatch(), QStringList{moved});
  runPendingReload();
  EXPECT_TRUE(uuidsOf(*manager).isEmpty());
  ASSERT_TRUE(QTest::qWaitFor([&] { return manager->monitor().isWatchingEverything(); }, 10000));

  ASSERT_TRUE(appendTo(log(5), entry("M", "2008-01-05 09:00:00")));
  ASSERT_TRUE(QTest::qWaitFor([&] { return manager->isReloadPending(); }, 10000));
  runPendingReload();
  EXPECT_EQ(uuidsOf(*manager), QStringList{QStringLiteral("M")});
}

TEST_F(LogFileManagerTest, MissingFolderIsReportedAndWatchedOnceItExists) {
  folder = dir.path() + QStringLiteral("/Later/System Logs");
  {
    test::ExpectWarnings expected({QStringLiteral("cannot watch")});
    manager->monitor().start();
    manager->update();
    EXPECT_GE(expected.seen(), 1);
  }
  runPendingReload();
  EXPECT_TRUE(uuidsOf(*manager).isEmpty());
  ASSERT_TRUE(QDir().mkpath(folder));
  manager->update(); // as the writer does after an append
  EXPECT_TRUE(QTest::qWaitFor([&] { return manager->monitor().isWatchingEverything(); }, 10000));
  runPendingReload();
}

TEST(SharedLogFileManagerTest, WatchesTheLogStoreFolderAndFollowsItsRebuilds) {
  LogFileManager& shared = LogFileManager::sharedInstance();
  EXPECT_EQ(&shared, &LogFileManager::sharedInstance());
  Logger& logger = Logger::sharedLogger();
  EXPECT_EQ(shared.monitor().pathsToWatch(),
            QStringList{logger.systemLogBackingStoreDesc().folderPath()});

  // Old plain-text logs take the note pads' font and colour.
  UserDefaults::standard().setValue(QStringLiteral("defaultFont"),
                                    QStringLiteral("DejaVu Sans,14,-1,5,400,0,0,0,0,0"));
  UserDefaults::standard().setValue(QStringLiteral("textColor"), QStringLiteral("#102030"));
  const QString folder = logger.systemLogBackingStoreDesc().folderPath();
  ASSERT_TRUE(appendTo(folder + QStringLiteral("/System Log 2008-01-01 (1-2-3-4).txt"),
                       "#TimeSlice\nP\n#objective\nold\n"));
  test::TestClock clock;
  QSignalSpy spy(&shared, &LogFileManager::reloadFinished);
  shared.update();
  clock.advance(1.0);
  ASSERT_TRUE(QTest::qWaitFor([&] { return spy.count() == 1; }, 10000));
  ASSERT_EQ(shared.currentFullDataSet()->timeSlices().size(), 1u);
  const auto objective =
      RtfdPackage::fromData(shared.currentFullDataSet()->timeSlices()[0]->objectiveAsRTFD());
  ASSERT_TRUE(objective.has_value());
  EXPECT_EQ(objective->formatAt(0).fontFamily, QStringLiteral("DejaVu Sans"));
  EXPECT_EQ(objective->formatAt(0).fontSize, 14.0);
  EXPECT_EQ(objective->formatAt(0).foreground, (RgbColor{0x10, 0x20, 0x30}));

  // Each append of the writer asks for a reload.
  EXPECT_FALSE(shared.isReloadPending());
  Q_EMIT logger.systemLogWritten();
  EXPECT_TRUE(shared.isReloadPending());
  clock.advance(1.0);
  ASSERT_TRUE(QTest::qWaitFor([&] { return spy.count() == 2; }, 10000));

  shared.monitor().start();
  const QString dropbox = test::temporaryHome() + QStringLiteral("/Dropbox");
  UserDefaults::standard().setValue(QStringLiteral("dropboxLocation"), dropbox);
  UserDefaults::standard().setValue(QStringLiteral("dropboxSync"), true);
  logger.updateLogFileDescriptors();
  const QString moved = dropbox + QStringLiteral("/Korvane-R/System Logs");
  EXPECT_EQ(logger.systemLogBackingStoreDesc().folderPath(), moved);
  EXPECT_EQ(shared.monitor().pathsToWatch(), QStringList{moved});
  EXPECT_TRUE(QTest::qWaitFor([&] { return shared.monitor().isWatchingEverything(); }, 10000));
  UserDefaults::standard().setValue(QStringLiteral("dropboxSync"), false);
  logger.updateLogFileDescriptors();
}
