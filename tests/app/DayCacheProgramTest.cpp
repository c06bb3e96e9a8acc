// The program started over a log folder whose parsed days were kept by an
// earlier run: it shows exactly the log a full parse gives.
#include "StartedProgram.h"

#include "engine/FullDataSet.h"
#include "engine/LogFileCache.h"
#include "engine/LogFileManager.h"
#include "engine/TagManager.h"
#include "platform/files/SupportPaths.h"
#include "support/RecordDescriptions.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace kr;

namespace {

QStringList describeDataSet(const FullDataSet& data) {
  QStringList lines;
  for (const FullTimeSlice* slice : data.timeSlices())
    lines.append(test::describeRecord(*slice));
  return lines;
}

TEST(DayCacheProgram, AStartFromKeptDaysShowsTheLogAFullParseShows) {
  const QString logs = SupportPaths::supportFolder() + QStringLiteral("/System Logs");
  ASSERT_TRUE(QDir().mkpath(logs));
  const QString source = QStringLiteral(KR_TEST_DATA_DIR "/rtfd-logs");
  const QStringList days = QDir(source).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
  ASSERT_EQ(days.size(), 3);
  for (const QString& day : days) {
    ASSERT_TRUE(QDir().mkpath(logs + u'/' + day));
    ASSERT_TRUE(QFile::copy(source + u'/' + day + QStringLiteral("/TXT.rtf"),
                            logs + u'/' + day + QStringLiteral("/TXT.rtf")));
  }
  ASSERT_TRUE(
      QDir().mkpath(logs + QStringLiteral("/System Log Day 2019-05-05 (a4836e8b9f2).rtfd")));
  ASSERT_TRUE(
      QFile::copy(QStringLiteral(KR_TEST_DATA_DIR "/rtfd/Sample Log.rtfd/TXT.rtf"),
                  logs + QStringLiteral("/System Log Day 2019-05-05 (a4836e8b9f2).rtfd/TXT.rtf")));
  test::ExpectWarnings damaged({QStringLiteral("log file")});

  // What a full parse gives, and the days an earlier run kept.
  FullDataSet parsed;
  LogFileCache plain;
  parsed.loadFromDisk(logs, plain);
  ASSERT_GT(parsed.timeSlices().size(), 3u);
  {
    LogFileCache earlier;
    earlier.setDayCacheFile(LogFileManager::defaultDayCacheFile());
    earlier.readFolder(logs);
    const std::atomic<bool> running{false};
    ASSERT_TRUE(earlier.writeDayCache(running));
  }

  test::StartedProgram p;
  LogFileManager& manager = LogFileManager::sharedInstance();
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        p.clock.advance(1);
        return manager.currentFullDataSet()->timeSlices().size() > 0;
      },
      test::timeLimit(10000)));
  EXPECT_GE(manager.daysFromCacheAtLastReload(), 2);
  EXPECT_EQ(describeDataSet(*manager.currentFullDataSet()), describeDataSet(parsed));
  TagManager tags;
  for (const QString& tagString : parsed.tagStringsParsed())
    tags.addTagsFromString(tagString);
  EXPECT_EQ(TagManager::sharedInstance().allTags(), tags.allTags());
}

} // namespace
