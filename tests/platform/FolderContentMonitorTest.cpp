#include "platform/files/FolderContentMonitor.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using kr::FileSystemEvent;
using kr::FolderContentMonitor;

namespace {

bool appendTo(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return file.open(QIODevice::Append) && file.write(bytes) == bytes.size();
}

} // namespace

TEST(FileSystemEventTest, FlagsNameThemselvesAndOnlyContentChangesCount) {
  FileSystemEvent event{7, QStringLiteral("/logs/a"),
                        FileSystemEvent::IsDir | FileSystemEvent::Modified};
  EXPECT_EQ(FileSystemEvent::flagNames(event.eventFlags), QStringLiteral("isDir, modified"));
  EXPECT_EQ(event.description(), QStringLiteral("7 - 135168 - /logs/a"));
  EXPECT_TRUE(event.isContentChange());
  event.eventFlags = FileSystemEvent::IsFile | FileSystemEvent::InodeMetaModified;
  EXPECT_FALSE(event.isContentChange());
  event.eventFlags = FileSystemEvent::IsFile | FileSystemEvent::Removed;
  EXPECT_TRUE(event.isContentChange());
}

// Collects the paths of the content changes the monitor reports.
class ChangeRecorder {
public:
  FolderContentMonitor::Callback callback() {
    return [this](const FileSystemEvent& event) {
      if (event.isContentChange())
        paths.append(event.eventPath);
      flags[event.eventPath] |= event.eventFlags;
    };
  }
  bool waitFor(const QString& path) {
    return QTest::qWaitFor([&] { return paths.contains(path); }, 10000);
  }
  QStringList paths;
  QHash<QString, quint32> flags;
};

QString package(const QTemporaryDir& dir, int i) {
  return dir.path() +
         QStringLiteral("/System Log Day 2020-01-%1 (ab).rtfd").arg(i, 3, 10, QChar('0'));
}

TEST(FolderContentMonitorTest, SetsUpOffTheOwnersThreadAndSeesAChangeInAnyPackage) {
  QTemporaryDir dir;
  constexpr int kPackages = 300;
  for (int i = 0; i < kPackages; ++i) {
    ASSERT_TRUE(QDir().mkpath(package(dir, i)));
    ASSERT_TRUE(appendTo(package(dir, i) + QStringLiteral("/TXT.rtf"), "{\\rtf1 a}"));
  }
  ASSERT_TRUE(appendTo(dir.path() + QStringLiteral("/System Log 2008-01-01 (1-2-3-4).txt"), "a"));
  ChangeRecorder recorder;
  FolderContentMonitor monitor({dir.path()}, recorder.callback());
  QSignalSpy setUp(&monitor, &FolderContentMonitor::setUpFinished);
  monitor.start();
  monitor.start(); // a second start changes nothing
  // start() returned before any watch was set up: the set-up runs elsewhere.
  EXPECT_TRUE(monitor.isSettingUp());
  EXPECT_FALSE(monitor.isWatchingEverything());
  ASSERT_TRUE(setUp.wait(10000));
  EXPECT_TRUE(monitor.isWatchingEverything());
  EXPECT_EQ(setUp.count(), 1);

  // Written in place, in the first, a middle and the last package: neither
  // folder's listing changes.
  for (int i : {0, kPackages / 2, kPackages - 1}) {
    const QString text = package(dir, i) + QStringLiteral("/TXT.rtf");
    ASSERT_TRUE(appendTo(text, " more"));
    ASSERT_TRUE(recorder.waitFor(text)) << i;
    EXPECT_TRUE(recorder.flags[text] & FileSystemEvent::IsFile);
  }
  // A plain-text log of the folder itself.
  const QString plain = dir.path() + QStringLiteral("/System Log 2008-01-01 (1-2-3-4).txt");
  ASSERT_TRUE(appendTo(plain, "b"));
  ASSERT_TRUE(recorder.waitFor(plain));

  // A package removed.
  ASSERT_TRUE(QDir(package(dir, 7)).removeRecursively());
  ASSERT_TRUE(recorder.waitFor(package(dir, 7)));
  EXPECT_TRUE(recorder.flags[package(dir, 7)] & FileSystemEvent::Removed);
  EXPECT_TRUE(recorder.flags[package(dir, 7)] & FileSystemEvent::IsDir);
  EXPECT_GT(monitor.lastEventId(), 0u);
}

TEST(FolderContentMonitorTest, SeesPackagesAddedAfterStartAndWhatIsWrittenInThem) {
  QTemporaryDir dir;
  ChangeRecorder recorder;
  FolderContentMonitor monitor({dir.path()}, recorder.callback());
  QSignalSpy setUp(&monitor, &FolderContentMonitor::setUpFinished);
  monitor.start();
  ASSERT_TRUE(setUp.wait(10000));

  // A new package, then its text written in place, twice.
  const QString added = package(dir, 1);
  ASSERT_TRUE(QDir().mkpath(added));
  ASSERT_TRUE(recorder.waitFor(added));
  EXPECT_TRUE(recorder.flags[added] & FileSystemEvent::Created);
  const QString text = added + QStringLiteral("/TXT.rtf");
  ASSERT_TRUE(appendTo(text, "{\\rtf1 b}"));
  ASSERT_TRUE(recorder.waitFor(text));
  recorder.paths.clear();
  ASSERT_TRUE(appendTo(text, " more"));
  ASSERT_TRUE(recorder.waitFor(text));

  // A package written beside and renamed into place, then changed.
  const QString beside = dir.path() + QStringLiteral("/package.tmp");
  ASSERT_TRUE(QDir().mkpath(beside));
  ASSERT_TRUE(appendTo(beside + QStringLiteral("/TXT.rtf"), "{\\rtf1 c}"));
  const QString renamed = package(dir, 2);
  ASSERT_TRUE(QDir().rename(beside, renamed));
  ASSERT_TRUE(recorder.waitFor(renamed));
  EXPECT_TRUE(recorder.flags[renamed] & FileSystemEvent::Renamed);
  ASSERT_TRUE(appendTo(renamed + QStringLiteral("/TXT.rtf"), " more"));
  ASSERT_TRUE(recorder.waitFor(renamed + QStringLiteral("/TXT.rtf")));
}

TEST(FolderContentMonitorTest, MissingFolderIsReportedAndWatchedOnceAskedAgain) {
  QTemporaryDir dir;
  const QString folder = dir.path() + QStringLiteral("/later");
  ChangeRecorder recorder;
  FolderContentMonitor monitor({folder}, recorder.callback());
  QSignalSpy setUp(&monitor, &FolderContentMonitor::setUpFinished);
  {
    kr::test::ExpectWarnings expected({QStringLiteral("cannot watch")});
    monitor.start();
    EXPECT_EQ(expected.seen(), 1); // said at once, on the owner's thread
  }
  ASSERT_TRUE(setUp.wait(10000));
  EXPECT_FALSE(monitor.isWatchingEverything());

  ASSERT_TRUE(QDir().mkpath(folder));
  monitor.setPathsToWatch({folder}); // the same folder: tried again
  ASSERT_TRUE(setUp.wait(10000));
  EXPECT_TRUE(monitor.isWatchingEverything());
  monitor.setPathsToWatch({folder}); // watched: nothing to do
  EXPECT_FALSE(monitor.isSettingUp());

  ASSERT_TRUE(appendTo(folder + QStringLiteral("/x.txt"), "x"));
  ASSERT_TRUE(recorder.waitFor(folder + QStringLiteral("/x.txt")));

  // The folder itself removed: no longer watching everything.
  ASSERT_TRUE(QDir(folder).removeRecursively());
  ASSERT_TRUE(QTest::qWaitFor([&] { return !monitor.isWatchingEverything(); }, 10000));
}

TEST(FolderContentMonitorTest, FolderGivenRelativelyIsWatchedAndTheWorkingFolderStays) {
  QTemporaryDir dir;
  const QString folder = dir.path() + QStringLiteral("/logs");
  ASSERT_TRUE(QDir().mkpath(folder + QStringLiteral("/a.rtfd")));
  // A package whose name is not valid UTF-8 is watched by its bytes.
  const QByteArray oddName = QFile::encodeName(folder) + "/b\xff.rtfd";
  ASSERT_EQ(::mkdir(oddName.constData(), 0700), 0);
  const QString before = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(dir.path()));
  ChangeRecorder recorder;
  FolderContentMonitor monitor({QStringLiteral("logs")}, recorder.callback());
  QSignalSpy setUp(&monitor, &FolderContentMonitor::setUpFinished);
  monitor.start();
  ASSERT_TRUE(setUp.wait(10000));
  EXPECT_TRUE(monitor.isWatchingEverything());
  // The process's working folder is the one it was.
  EXPECT_EQ(QDir(QDir::currentPath()).canonicalPath(), QDir(dir.path()).canonicalPath());

  // Changes are named under the folder as it was given.
  ASSERT_TRUE(appendTo(folder + QStringLiteral("/a.rtfd/TXT.rtf"), "{\\rtf1 a}"));
  EXPECT_TRUE(recorder.waitFor(QStringLiteral("logs/a.rtfd/TXT.rtf")))
      << recorder.paths.join(u' ').toStdString();
  const QByteArray oddText = oddName + "/TXT.rtf";
  const int fd = ::open(oddText.constData(), O_CREAT | O_WRONLY, 0600);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::write(fd, "x", 1), 1);
  ::close(fd);
  EXPECT_TRUE(QTest::qWaitFor(
      [&] {
        return std::any_of(recorder.paths.cbegin(), recorder.paths.cend(), [](const QString& p) {
          return p.startsWith(QStringLiteral("logs/b")) && p.endsWith(QStringLiteral("/TXT.rtf"));
        });
      },
      10000))
      << recorder.paths.join(u' ').toStdString();
  ASSERT_TRUE(QDir::setCurrent(before));
  // Which the temporary folder cannot name.
  ::unlink(oddText.constData());
  ::rmdir(oddName.constData());
}
