// Logging into a day another word processor wrote: a large day takes the
// entry on a worker and keeps every byte it held; a day that cannot take it
// safely stays as it is and the entry goes beside it; a quit while the day is
// copied leaves the day whole and the entry beside it.
#include "engine/BackingStoreDescriptor.h"
#include "engine/BackingStoreManager.h"
#include "engine/DailyNamingStrategy.h"
#include "engine/FullDataSet.h"
#include "engine/FullTimeSlice.h"
#include "engine/LogFile.h"
#include "engine/LogFileCache.h"
#include "platform/richtext/RichText.h"
#include "platform/richtext/RtfdPackage.h"
#include "platform/services/TestAlertPresenter.h"

#include "support/LogFormats.h"
#include "support/SplicedBytes.h"
#include "support/TestClock.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <future>
#include <map>

using namespace kr;

namespace {

const QString kMachine = QStringLiteral("a4836e8b9f2");

QByteArray bytesOf(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).path());
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  ASSERT_EQ(file.write(bytes), bytes.size());
}

// The day of two entries that LibreOffice saved with a picture in an objective.
QByteArray pictureDay() {
  return bytesOf(QStringLiteral(KR_TEST_DATA_DIR "/rtfd-logs-libreoffice/System Log Day "
                                                 "2020-03-07 (a4836e8b9f2).rtfd/TXT.rtf"));
}

QByteArray pictureGroupOf(const QByteArray& day) {
  const qsizetype start = day.indexOf("{\\*\\shppict");
  return day.mid(start, day.indexOf("}}", start) + 2 - start);
}

RichText entry(const QString& id) {
  return RichText(
      QStringLiteral("#TimeSlice\n%1\n#objective\nSplice the day\n#tags\nsplice\n").arg(id));
}

class LogSpliceTest : public ::testing::Test {
protected:
  void SetUp() override {
    manager().setMachineIdentifierForTesting(kMachine);
    clock.setDate(QDateTime(QDate(2020, 3, 7), QTime(10, 0), Qt::LocalTime));
    AlertPresenterAPI::install(&alerts);
    store.setFolderPath(dir.path());
    store.setRoot(QStringLiteral("System Log"));
    store.setNamingStrategy(std::make_unique<DailyNamingStrategy>());
    store.finishInitialization();
    day = store.getPathToCurrentFile();
    text = day + QStringLiteral("/TXT.rtf");
  }
  void TearDown() override {
    AlertPresenterAPI::install(nullptr);
    manager().setBackgroundBytesForTesting(BackingStoreManager::kBackgroundBytes);
    manager().setAppendHookForTesting({});
    manager().setMachineIdentifierForTesting({});
  }
  static BackingStoreManager& manager() { return BackingStoreManager::sharedManager(); }
  static QStringList idsIn(const QString& package) {
    QStringList ids;
    for (const FullTimeSlicePtr& slice : FullDataSet::loadRTFDFile(package).timeSlices)
      ids << slice->uuid();
    return ids;
  }
  static QStringList objectivesIn(const QString& package) {
    QStringList objectives;
    for (const FullTimeSlicePtr& slice : FullDataSet::loadRTFDFile(package).timeSlices)
      objectives << slice->objective();
    return objectives;
  }

  QTemporaryDir dir;
  test::TestClock clock;
  TestAlertPresenter alerts;
  BackingStoreDescriptor store;
  QString day;
  QString text;
};

TEST_F(LogSpliceTest, ALargeDayFromElsewhereTakesTheEntryOnAWorkerAndKeepsItsPicture) {
  const QByteArray old = pictureDay();
  ASSERT_FALSE(old.isEmpty());
  writeBytes(text, old);
  LogFileCache cache;
  ASSERT_EQ(cache.readFolder(dir.path()).filesParsed, 1);
  manager().setBackgroundBytesForTesting(0);

  QObject context;
  bool landed = false;
  std::optional<OwnAppend> added;
  ASSERT_TRUE(manager().appendLater(entry(QStringLiteral("U-NEW")), store, &context,
                                    [&](bool written, const std::optional<OwnAppend>& own) {
                                      landed = written;
                                      added = own;
                                    }));
  EXPECT_TRUE(manager().isAppending()) << "a second write would wait for this one";
  ASSERT_TRUE(QTest::qWaitFor([&] { return !manager().isAppending(); }, 20000));
  ASSERT_TRUE(landed);

  const QByteArray now = bytesOf(text);
  EXPECT_TRUE(now.contains(pictureGroupOf(old))) << "the picture stays in the day";
  EXPECT_TRUE(RtfdPackage::spliceCopiesIn(day).isEmpty());
  const QStringList ids = idsIn(day);
  ASSERT_EQ(ids.size(), 3);
  EXPECT_EQ(ids.last(), QStringLiteral("U-NEW"));

  // The reload takes the entry's records from the entry, not from the day.
  ASSERT_TRUE(added);
  const LogFileCache::FolderRead reread = cache.readFolder(dir.path(), {}, {*added});
  EXPECT_EQ(reread.filesParsed, 0);
  ASSERT_EQ(reread.files.size(), 1u);
  EXPECT_EQ(reread.files[0]->timeSlicesInFile().size(), 3u);
}

TEST_F(LogSpliceTest, ADayThatCannotTakeTheEntrySafelyIsLeftAsItIs) {
  // Text after the day's end: the picture would be lost by a rewrite, and
  // the end of the day is not certain for a splice.
  const QByteArray old = pictureDay() + "#TimeSlice\\par half an entry";
  writeBytes(text, old);
  test::ExpectWarnings aside({QStringLiteral("written aside")});
  ASSERT_TRUE(manager().append(entry(QStringLiteral("U-1")), store));
  ASSERT_TRUE(manager().append(entry(QStringLiteral("U-2")), store));
  EXPECT_EQ(bytesOf(text), old) << "the day is left byte for byte";
  const QString beside = LogFile::writtenAsidePath(day, 1);
  EXPECT_EQ(LogFile::formatForName(QFileInfo(beside).fileName()), LogFile::Format::Rtfd)
      << "the log readers read the entries beside the day";
  EXPECT_EQ(idsIn(beside), (QStringList{QStringLiteral("U-1"), QStringLiteral("U-2")}));
  EXPECT_EQ(LogFile::formatForName(QStringLiteral("System Log Day 2020-03-07 (a4836e8b9f2) "
                                                  "(written aside 0).rtfd")),
            LogFile::Format::Unknown);

  // A day whose groups do not close is set aside as it is, as before.
  QDir(beside).removeRecursively();
  const QByteArray cut = pictureDay().left(pictureDay().size() / 2);
  writeBytes(text, cut);
  test::ExpectWarnings damaged({QStringLiteral("damaged")});
  ASSERT_TRUE(manager().append(entry(QStringLiteral("U-3")), store));
  const QStringList set = QDir(dir.path()).entryList({QStringLiteral("* (damaged *).rtfd")});
  ASSERT_EQ(set.size(), 1);
  EXPECT_EQ(bytesOf(dir.path() + QLatin1Char('/') + set[0] + QStringLiteral("/TXT.rtf")), cut);
  EXPECT_EQ(idsIn(day), QStringList{QStringLiteral("U-3")});
}

TEST_F(LogSpliceTest, EverySampleLoggedIntoKeepsItsBytesBeforeTheEntryOrStaysAsItIs) {
  // What logging into each sample does: the entry spliced in after its text,
  // or the sample left as it is and the entry written aside; and the words
  // deleted under change tracking, which stay so. A sample added to either
  // folder needs its line here.
  enum Logged { Spliced, Aside };
  const std::map<QString, Logged> logged = {
      {"cocoa-log-entry.rtf", Spliced},
      {"cocoa-pad-page.rtf", Spliced},
      {"font-charsets.rtf", Spliced},
      {"libreoffice-footnote.rtf", Spliced},
      {"libreoffice-nested-table.rtf", Spliced},
      {"libreoffice-picture.rtf", Spliced},
      {"libreoffice-plain-unicode.rtf", Spliced},
      {"libreoffice-resaved-sheet.rtf", Spliced},
      {"libreoffice-table.rtf", Spliced},
      {"libreoffice-alignment.rtf", Spliced},
      {"libreoffice-background.rtf", Spliced},
      {"libreoffice-bookmark.rtf", Spliced},
      {"libreoffice-capitals.rtf", Spliced},
      {"libreoffice-comment.rtf", Spliced},
      {"libreoffice-double-strike.rtf", Spliced},
      {"libreoffice-indents.rtf", Spliced},
      {"libreoffice-letter-spacing.rtf", Spliced},
      {"libreoffice-page-break.rtf", Spliced},
      {"libreoffice-right-to-left.rtf", Spliced},
      {"libreoffice-spacing.rtf", Spliced},
      {"libreoffice-tab-stops.rtf", Spliced},
      {"libreoffice-tracked-changes.rtf", Spliced},
      {"pandoc-block-quote.rtf", Spliced},
      {"pandoc-small-capitals.rtf", Spliced},
      {"pandoc-footnote.rtf", Spliced},
      {"pandoc-nested-table.rtf", Spliced},
      {"pandoc-picture.rtf", Spliced},
      {"pandoc-table.rtf", Spliced},
      {"picture-bin.rtf", Spliced},
      {"shift-jis.rtf", Spliced},
      {"windows-1251.rtf", Spliced},
      {"windows-936.rtf", Spliced},
      {"windows-949.rtf", Spliced},
      {"windows-950.rtf", Spliced},
      {"System Log Day 2020-03-07 (a4836e8b9f2).rtfd", Spliced},
      {"System Log Day 2020-03-08 (a4836e8b9f2).rtfd", Spliced}};
  const std::map<QString, QByteArray> deleted = {
      {QStringLiteral("System Log Day 2020-03-08 (a4836e8b9f2).rtfd"), "quarterly"}};

  QMap<QString, QString> samples;
  const QDir sheets(QStringLiteral(KR_TEST_DATA_DIR "/rtf"));
  for (const QString& name : sheets.entryList({QStringLiteral("*.rtf")}, QDir::Files))
    samples[name] = sheets.filePath(name);
  const QDir days(QStringLiteral(KR_TEST_DATA_DIR "/rtfd-logs-libreoffice"));
  for (const QString& name : days.entryList({QStringLiteral("*.rtfd")}, QDir::Dirs))
    samples[name] = days.filePath(name) + QStringLiteral("/TXT.rtf");
  ASSERT_GE(samples.size(), 21);
  // An entry as the log template writes it.
  RichText added;
  for (const char* line :
       {"#TimeSlice", "U-SAMPLE", "#objective", "Log into a sample", "#tags", "x"})
    added.append(QString::fromLatin1(line) + u'\n', test::helvetica(line[0] == '#'));
  const QString beside = LogFile::writtenAsidePath(day, 1);
  for (auto it = samples.cbegin(); it != samples.cend(); ++it) {
    SCOPED_TRACE(it.key().toStdString());
    ASSERT_TRUE(logged.count(it.key())) << "no expectation for " << it.key().toStdString();
    QDir(day).removeRecursively();
    QDir(beside).removeRecursively();
    const QByteArray old = bytesOf(it.value());
    writeBytes(text, old);
    QStringList objectives = objectivesIn(day);
    {
      test::ExpectWarnings aside({QStringLiteral("written aside")});
      ASSERT_TRUE(manager().append(added, store));
      EXPECT_EQ(aside.seen(), logged.at(it.key()) == Aside ? 1 : 0);
    }
    const QByteArray now = bytesOf(text);
    if (logged.at(it.key()) == Spliced) {
      EXPECT_TRUE(test::splicedAfter(old, now));
      objectives << QStringLiteral("Log into a sample");
    } else {
      EXPECT_EQ(now, old);
      EXPECT_EQ(idsIn(beside), QStringList{QStringLiteral("U-SAMPLE")});
    }
    // The entry once, the day's own records as before, and a word deleted
    // under change tracking still marked deleted, in a group of its own.
    EXPECT_EQ(objectivesIn(day).join(u'|').toStdString(), objectives.join(u'|').toStdString());
    if (deleted.count(it.key())) {
      const qsizetype word = now.indexOf(deleted.at(it.key()));
      EXPECT_EQ(now.lastIndexOf('{', word), now.lastIndexOf("{\\deleted", word));
    }
  }
}

// A quit at each step of an append on its worker, run at exactly that step
// through the worker's hook: the entry is written once, in the day or beside
// it, as the statistics read the log folder.
TEST_F(LogSpliceTest, AQuitAtEachStepOfAnAppendOnItsWorkerLeavesTheEntryOnce) {
  using Step = AppendHandover::Step;
  enum Day { Ours, Elsewhere, TextAfterItsEnd, Damaged };
  // The day, the step the quit comes at, whether the worker then holds the
  // claim of that step, and whether the entry ends in the day (or beside it).
  struct Case {
    Day day;
    Step step;
    bool claimed;
    bool inDay;
  };
  const Case cases[] = {{Ours, Step::InPlace, false, false},
                        {Ours, Step::InPlace, true, true},
                        {Elsewhere, Step::Copy, false, false},
                        {Elsewhere, Step::Replace, false, false},
                        {Elsewhere, Step::Replace, true, true},
                        {TextAfterItsEnd, Step::Read, false, false},
                        {TextAfterItsEnd, Step::WriteAside, false, false},
                        {TextAfterItsEnd, Step::WriteAside, true, false},
                        {Damaged, Step::NewDay, false, false},
                        {Damaged, Step::NewDay, true, true}};
  manager().setBackgroundBytesForTesting(0);
  test::ExpectWarnings expected({QStringLiteral("the program quit"), QStringLiteral("is damaged")});
  const QByteArray elsewhere = pictureDay();
  int n = 0;
  for (const Case& c : cases) {
    const QString id = QStringLiteral("U-QUIT-%1").arg(++n);
    SCOPED_TRACE(id.toStdString());
    for (const QString& name : QDir(dir.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
      QDir(dir.filePath(name)).removeRecursively();
    if (c.day == Ours)
      ASSERT_TRUE(manager().append(entry(QStringLiteral("U-OURS")), store));
    else
      writeBytes(text, c.day == Elsewhere         ? elsewhere
                       : c.day == TextAfterItsEnd ? elsewhere + "#TimeSlice\\par half"
                                                  : elsewhere.left(elsewhere.size() / 2));
    // The promises live with the hook, for as long as the worker holds it.
    struct Signals {
      std::promise<void> atStep, goOn, finished;
      bool seen = false;
    };
    const auto signals = std::make_shared<Signals>();
    std::future<void> atStep = signals->atStep.get_future();
    std::future<void> finished = signals->finished.get_future();
    const std::shared_future<void> goOn = signals->goOn.get_future().share();
    manager().setAppendHookForTesting([signals, goOn, c](Step step, bool claimed) {
      if (step == Step::QuitWaits)
        signals->goOn.set_value(); // the quit, on this thread, waits for the worker's step
      else if (step == Step::Finished)
        signals->finished.set_value();
      else if (step == c.step && claimed == c.claimed && !std::exchange(signals->seen, true)) {
        signals->atStep.set_value();
        goOn.wait();
      }
    });
    QObject context;
    ASSERT_TRUE(manager().appendLater(entry(id), store, &context,
                                      [](bool, const std::optional<OwnAppend>&) {}));
    ASSERT_EQ(atStep.wait_for(std::chrono::seconds(60)), std::future_status::ready);
    manager().finishAppendsAtQuit(0);
    if (!c.claimed)
      signals->goOn.set_value();
    ASSERT_EQ(finished.wait_for(std::chrono::seconds(60)), std::future_status::ready);
    manager().setAppendHookForTesting({});

    int inDay = 0, beside = 0;
    LogFileCache cache;
    for (const auto& file : cache.readFolder(dir.path()).files) {
      for (const FullTimeSlicePtr& slice : file->timeSlicesInFile())
        (file->fullPath() == day ? inDay : beside) += slice->uuid() == id ? 1 : 0;
    }
    EXPECT_EQ(inDay + beside, 1);
    EXPECT_EQ(inDay, c.inDay ? 1 : 0);
    EXPECT_TRUE(RtfdPackage::spliceCopiesIn(day).isEmpty());
  }
}

TEST_F(LogSpliceTest, AQuitWhileTheDayIsCopiedLeavesItWholeAndKeepsTheEntryBeside) {
  // A day of 40 MB, as long as a copy that a quit cuts short.
  QByteArray old = pictureDay();
  const qsizetype end = old.lastIndexOf('}');
  QByteArray filler;
  while (filler.size() < 40 * 1024 * 1024)
    filler += "\\par \\pard\\plain {\\loch more of the same objective, and more}\n";
  old.insert(end, filler);
  writeBytes(text, old);
  manager().setBackgroundBytesForTesting(0);

  QObject context;
  test::ExpectWarnings quit({QStringLiteral("the program quit")});
  ASSERT_TRUE(manager().appendLater(entry(QStringLiteral("U-QUIT")), store, &context,
                                    [](bool, const std::optional<OwnAppend>&) {}));
  manager().finishAppendsAtQuit(500);
  EXPECT_FALSE(manager().isAppending());

  // The worker removes its copy once it sees the quit.
  EXPECT_TRUE(QTest::qWaitFor([&] { return RtfdPackage::spliceCopiesIn(day).isEmpty(); }, 20000));
  const QByteArray now = bytesOf(text);
  const QString beside = LogFile::writtenAsidePath(day, 1);
  if (now == old) {
    EXPECT_EQ(idsIn(beside), QStringList{QStringLiteral("U-QUIT")}) << "the entry is not lost";
  } else {
    // The copy had replaced the day before the quit came: the entry is in
    // the day, once.
    EXPECT_TRUE(now.startsWith(old.left(100)));
    EXPECT_TRUE(idsIn(day).contains(QStringLiteral("U-QUIT")));
    EXPECT_FALSE(QFileInfo::exists(beside));
  }
}

} // namespace
