#include "platform/FolderContentMonitor.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

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

TEST(FolderContentMonitorTest, SeesChangesInsidePackagesAndNewPackages) {
  QTemporaryDir dir;
  const QString package = dir.path() + QStringLiteral("/old.rtfd");
  ASSERT_TRUE(QDir().mkpath(package));
  ASSERT_TRUE(appendTo(package + QStringLiteral("/TXT.rtf"), "{\\rtf1 a}"));
  QStringList paths;
  FolderContentMonitor monitor({dir.path()}, [&](const FileSystemEvent& event) {
    if (event.isContentChange())
      paths.append(event.eventPath);
  });
  monitor.start();
  monitor.start(); // a second start changes nothing
  EXPECT_TRUE(monitor.isWatchingEverything());

  // Written in place: neither folder's listing changes.
  ASSERT_TRUE(appendTo(package + QStringLiteral("/TXT.rtf"), " more"));
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return paths.contains(package + QStringLiteral("/TXT.rtf")); }));

  // A new package, then its text written in place.
  const QString added = dir.path() + QStringLiteral("/new.rtfd");
  ASSERT_TRUE(QDir().mkpath(added));
  ASSERT_TRUE(QTest::qWaitFor([&] { return paths.contains(dir.path()); }));
  ASSERT_TRUE(appendTo(added + QStringLiteral("/TXT.rtf"), "{\\rtf1 b}"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return paths.contains(added); }));
  paths.clear();
  ASSERT_TRUE(appendTo(added + QStringLiteral("/TXT.rtf"), " more"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return paths.contains(added + QStringLiteral("/TXT.rtf")); }));
  EXPECT_GT(monitor.lastEventId(), 0u);
}
