#include "engine/DayCache.h"
#include "engine/FullDataSet.h"
#include "engine/LogFileCache.h"

#include "support/RecordDescriptions.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace kr;

namespace {

void copyFolder(const QString& from, const QString& to) {
  QDir().mkpath(to);
  for (const QFileInfo& entry : QDir(from).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot)) {
    if (entry.isDir())
      copyFolder(entry.filePath(), to + u'/' + entry.fileName());
    else
      QFile::copy(entry.filePath(), to + u'/' + entry.fileName());
  }
}

bool writeFile(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).path());
  QFile file(path);
  return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A day with what the packed form keeps apart: colours, bold, links, text
// beyond Latin-1 and outside the basic plane, an identifier not in the
// writer's form, a negative worked time.
const QByteArray kRichDay =
    "{\\rtf1\\ansi\\ansicpg1252\n{\\fonttbl\\f0\\fswiss Helvetica;\\f1\\fswiss Helvetica-Bold;}\n"
    "{\\colortbl;\\red255\\green255\\blue255;\\red200\\green30\\blue30;}\n"
    "\\f1\\b\\fs28 \\cf0 #TimeSlice\\\n\\f0\\b0\\fs24 1A2B3C4D-1111-4222-8333-000000000001\\\n"
    "#objective\\\nWork on the \\b chapter 1\\b0  of the \\cf2 quarterly\\cf0  report "
    "\\u8364 ? \\uc0\\u55357\\u56832 \\\nsee {\\field{\\*\\fldinst{HYPERLINK "
    "\"korvaner2things://x\"}}"
    "{\\fldrslt the task}}\\\n#duration\\\n1500\\\n#actualDuration\\\n-1490\\\n"
    "#startDate\\\n2021-01-01 08:00:00\\\n#endDate\\\n2021-01-01 08:25:00\\\n"
    "#completed\\\nYES\\\n#focusRating\\\nhighly focused\\\n#tags\\\nwriting,client\\\n"
    "#TimeSlice\\\nnot-a-uuid\\\n#startDate\\\n2021-01-01 10:00:00\\\n#tags\\\nreading\\\n}\n";

class DayCacheTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    folder = dir.path() + QStringLiteral("/System Logs");
    copyFolder(QStringLiteral(KR_TEST_DATA_DIR "/rtfd-logs"), folder);
    copyFolder(QStringLiteral(KR_TEST_DATA_DIR "/logs"), folder);
    copyFolder(QStringLiteral(KR_TEST_DATA_DIR "/rtfd/Sample Log.rtfd"),
               folder + QStringLiteral("/System Log Day 2019-05-05 (a4836e8b9f2).rtfd"));
    ASSERT_TRUE(writeFile(rich(), kRichDay));
    cachePath = dir.path() + QStringLiteral("/cache/Log Days.cache");
  }

  QString rich() const {
    return folder + QStringLiteral("/System Log Day 2021-01-01 (a4836e8b9f2).rtfd/TXT.rtf");
  }

  // A read of the folder through a fresh cache of files, as at a start.
  QStringList startRead(bool withDayCache, int* fromDayCache = nullptr,
                        QStringList* tags = nullptr) {
    LogFileCache files;
    if (withDayCache)
      files.setDayCacheFile(cachePath);
    const LogFileCache::FolderRead read = files.readFolder(folder, style);
    if (fromDayCache)
      *fromDayCache = read.filesFromDayCache;
    if (tags)
      *tags = read.tagStringsParsed;
    if (withDayCache && files.dayCacheOutdated()) {
      EXPECT_TRUE(files.writeDayCache(noAbandon));
    }
    return test::describeFiles(read.files);
  }

  QTemporaryDir dir;
  QString folder;
  QString cachePath;
  PlainTextStyle style;
  std::atomic<bool> noAbandon{false};
  // The sample days hold damaged ones, reported at every parse.
  test::ExpectWarnings damaged{{QStringLiteral("log file")}};
};

TEST_F(DayCacheTest, AStartFromTheCacheGivesExactlyWhatAFullParseGives) {
  QStringList parsedTags;
  const QStringList parsed = startRead(false, nullptr, &parsedTags);
  ASSERT_GT(parsed.size(), 20);
  int fromDayCache = -1;
  EXPECT_EQ(startRead(true, &fromDayCache), parsed) << "the start that makes the cache";
  EXPECT_EQ(fromDayCache, 0);
  ASSERT_TRUE(QFile::exists(cachePath));

  QStringList cachedTags;
  EXPECT_EQ(startRead(true, &fromDayCache, &cachedTags), parsed);
  EXPECT_EQ(cachedTags, parsedTags);
  // Every day but the damaged ones, which are parsed each time.
  EXPECT_EQ(fromDayCache, 5);
  const std::optional<DayCache> cache =
      DayCache::read(cachePath, DayCache::inputsOf(folder, style));
  ASSERT_TRUE(cache);
  EXPECT_EQ(cache->stamps().size(), fromDayCache);
  EXPECT_FALSE(
      cache->stamps().contains(QStringLiteral("System Log Day 2020-03-06 (a4836e8b9f2).rtfd")))
      << "a day read with a problem is not kept";
}

TEST_F(DayCacheTest, ChangedDaysAreParsedAgainAndRemovedOnesDropOut) {
  startRead(true);
  int kept = 0;
  startRead(true, &kept);
  // The same size, another time; another size; a day removed.
  QByteArray text = readFile(rich());
  text.replace("chapter 1", "chapter 2");
  ASSERT_TRUE(writeFile(rich(), text));
  const QString plain = folder + QStringLiteral("/System Log 2008-01-02 (a-b-c-d).txt");
  ASSERT_TRUE(
      writeFile(plain, readFile(plain) + "#TimeSlice\nX\n#startDate\n2008-01-02 12:00:00\n"));
  const QString removed = folder + QStringLiteral("/System Log 2008-01-01 (1-2-3-4).txt");
  ASSERT_TRUE(QFile::remove(removed));

  int fromDayCache = -1;
  const QStringList afterChange = startRead(true, &fromDayCache);
  EXPECT_EQ(afterChange, startRead(false));
  EXPECT_TRUE(afterChange.join(u'\n').contains(QStringLiteral("chapter 2")));
  EXPECT_EQ(fromDayCache, kept - 3);
  EXPECT_EQ(startRead(true, &fromDayCache), afterChange);
  EXPECT_EQ(fromDayCache, kept - 1) << "the changed days were kept again";
  const std::optional<DayCache> cache =
      DayCache::read(cachePath, DayCache::inputsOf(folder, style));
  ASSERT_TRUE(cache);
  EXPECT_FALSE(cache->stamps().contains(QFileInfo(removed).fileName()));
}

TEST_F(DayCacheTest, ADamagedCutForeignOrOutdatedCacheIsIgnoredAndMadeAgain) {
  const QStringList parsed = startRead(true);
  const QByteArray good = readFile(cachePath);
  QByteArray flipped = good;
  flipped[flipped.size() / 2] = char(flipped[flipped.size() / 2] ^ 0x10);
  QByteArray otherVersion = good;
  otherVersion[8] = char(otherVersion[8] + 1);
  const QList<QByteArray> bad = {good.left(good.size() / 2), flipped,
                                 DayCache::resealed(otherVersion), QByteArray("not a cache"),
                                 QByteArray()};
  for (const QByteArray& bytes : bad) {
    ASSERT_TRUE(writeFile(cachePath, bytes));
    int fromDayCache = -1;
    EXPECT_EQ(startRead(true, &fromDayCache), parsed);
    EXPECT_EQ(fromDayCache, 0);
    EXPECT_EQ(readFile(cachePath), good) << "made again as it was";
  }
  // Another plain-text style reads the old logs otherwise.
  style.pointSize = 14;
  int fromDayCache = -1;
  const QStringList restyled = startRead(true, &fromDayCache);
  EXPECT_EQ(fromDayCache, 0);
  EXPECT_EQ(restyled, startRead(false));
}

TEST_F(DayCacheTest, AHostileCacheIsRefusedOrReadWithinItsBytes) {
  startRead(true);
  const QByteArray good = readFile(cachePath);
  const QByteArray inputs = DayCache::inputsOf(folder, style);
  const std::optional<DayCache> valid = DayCache::fromBytes(good, inputs);
  ASSERT_TRUE(valid);
  const QHash<QString, FileStamp> stamps = valid->stamps();
  int refused = 0;
  // Each position in turn holds a count or length far too large, or zero.
  for (qsizetype at = 16; at + 4 <= good.size(); ++at) {
    for (quint32 value : {0xffffffffu, 0u}) {
      QByteArray bytes = good;
      std::memcpy(bytes.data() + at, &value, sizeof value);
      const std::optional<DayCache> cache = DayCache::fromBytes(DayCache::resealed(bytes), inputs);
      if (!cache) {
        ++refused;
        continue;
      }
      for (auto it = stamps.cbegin(); it != stamps.cend(); ++it) {
        if (const auto records = cache->records(it.key(), it.value())) {
          for (const FullTimeSlicePtr& slice : records->timeSlices)
            test::describeRecord(*slice); // every value reads within its bytes
        }
      }
    }
  }
  // The header, the inputs and every count and length are checked.
  EXPECT_GT(refused, 100);
}

TEST_F(DayCacheTest, AFailedOrAbandonedWriteCostsOnlyTheCache) {
  const QByteArray day = readFile(rich());
  struct stat before {};
  ASSERT_EQ(::stat(QFile::encodeName(rich()).constData(), &before), 0);
  ASSERT_TRUE(writeFile(dir.path() + QStringLiteral("/blocker"), "a file, not a folder"));
  {
    LogFileCache files;
    files.setDayCacheFile(dir.path() + QStringLiteral("/blocker/Log Days.cache"));
    files.readFolder(folder, style);
    test::ExpectWarnings notWritten({QStringLiteral("log day cache not written")});
    EXPECT_FALSE(files.writeDayCache(noAbandon));
    EXPECT_EQ(notWritten.seen(), 1);
    EXPECT_FALSE(files.dayCacheOutdated()) << "tried again once the days change";
  }
  {
    LogFileCache files;
    files.setDayCacheFile(cachePath);
    files.readFolder(folder, style);
    const std::atomic<bool> quitting{true};
    EXPECT_FALSE(files.writeDayCache(quitting));
    EXPECT_TRUE(files.dayCacheOutdated());
    EXPECT_TRUE(QDir(QFileInfo(cachePath).path()).isEmpty()) << "no file left behind";
  }
  struct stat after {};
  ASSERT_EQ(::stat(QFile::encodeName(rich()).constData(), &after), 0);
  EXPECT_EQ(readFile(rich()), day);
  EXPECT_EQ(FileStamp::of(after), FileStamp::of(before)) << "the logs are never written";
}

TEST_F(DayCacheTest, ACacheWrittenInPartsReadsBackWhateverLengthItsHeadHas) {
  // The head before the days grows with the inputs: each length a word can
  // end at is written and read back, and the file holds the cache's bytes.
  FullDataSet::FileContents contents = FullDataSet::createTimeSlicesFromRtf(kRichDay);
  ASSERT_EQ(contents.timeSlices.size(), 2u);
  auto records = std::make_shared<LogFile::Records>();
  records->add(std::move(contents.timeSlices));
  QStringList described;
  for (const FullTimeSlicePtr& slice : records->timeSlices)
    described.append(test::describeRecord(*slice));
  const QString name = QStringLiteral("System Log Day 2021-01-01 (a4836e8b9f2).rtfd");
  FileStamp stamp;
  stamp.size = 1234;
  stamp.inode = 99;
  const std::vector<DayCache::Day> days = {{name, stamp, records}};
  for (int extra = 0; extra < 16; ++extra) {
    const QByteArray inputs = QByteArray("inputs") + QByteArray(extra, 'x');
    QString why;
    ASSERT_TRUE(DayCache::write(cachePath, inputs, days, noAbandon, &why)) << why.toStdString();
    // Writing reads the records without changing them: the same bytes again.
    EXPECT_EQ(readFile(cachePath), DayCache::toBytes(inputs, days, noAbandon).value_or("none"));
    const std::optional<DayCache> cache = DayCache::read(cachePath, inputs, &why);
    ASSERT_TRUE(cache) << extra << " " << why.toStdString();
    const std::shared_ptr<LogFile::Records> read = cache->records(name, stamp);
    ASSERT_TRUE(read);
    QStringList readBack;
    for (const FullTimeSlicePtr& slice : read->timeSlices)
      readBack.append(test::describeRecord(*slice));
    EXPECT_EQ(readBack, described);
    EXPECT_EQ(read->timeSlices.front()->uuid(), records->timeSlices.front()->uuid());
  }
}

} // namespace
