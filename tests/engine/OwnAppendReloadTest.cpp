// A reload after this program appended an entry in place takes the entry's
// records without reading the day again, and ends where a full read of the
// folder ends; a day that anyone else touched is read again.
#include "engine/BackingStoreDescriptor.h"
#include "engine/BackingStoreManager.h"
#include "engine/DailyNamingStrategy.h"
#include "engine/LogFileManager.h"
#include "engine/TagManager.h"
#include "platform/QnLog.h"
#include "platform/services/AlertPresenterAPI.h"
#include "platform/services/FileBrowserAPI.h"
#include "platform/services/TestAlertPresenter.h"

#include "support/LogFormats.h"
#include "support/TestClock.h"
#include "support/TestEnvironment.h"
#include "support/TodaysLogFixture.h"

#include <QFile>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>

#include <fcntl.h>
#include <sys/stat.h>

using namespace kr;
using kr::test::helvetica;

namespace {

// An entry in the template's order, with a formatted objective holding a link.
RichText entry(int n, const QString& tags, bool objectiveLast = false) {
  RichText text;
  auto line = [&text](const QString& keyword, const QString& value) {
    text.append(keyword + u'\n', helvetica(true));
    text.append(value + u'\n', helvetica());
  };
  line(QStringLiteral("#TimeSlice"), QStringLiteral("UUID-%1").arg(n));
  auto objective = [&] {
    text.append(QStringLiteral("#objective\n"), helvetica(true));
    text.append(QStringLiteral("Draft part %1 ").arg(n), helvetica(true));
    CharFormat link = helvetica();
    link.link = QStringLiteral("korvaner2things://show?id=%1").arg(n);
    link.foreground = RgbColor{200, 30, 30};
    text.append(QStringLiteral("the task"), link);
    text.append(QStringLiteral("\nsecond line\n"), helvetica());
  };
  if (!objectiveLast)
    objective();
  line(QStringLiteral("#duration"), QStringLiteral("1500"));
  line(QStringLiteral("#actualDuration"), QStringLiteral("-1490"));
  line(QStringLiteral("#startDate"), QStringLiteral("2026-12-07 %1:00:00").arg(10 + n));
  line(QStringLiteral("#endDate"), QStringLiteral("2026-12-07 %1:25:00").arg(10 + n));
  line(QStringLiteral("#focusRating"), QStringLiteral("experienced flow"));
  line(QStringLiteral("#tags"), tags);
  if (objectiveLast)
    objective();
  return text;
}

// Every field of every record of both data sets, in order.
QStringList describe(const LogFileManager& manager) {
  QStringList lines;
  for (const FullTimeSlice* s : manager.currentFullDataSet()->timeSlices()) {
    const std::optional<RichText> rich = s->objectiveRichText();
    QString runs;
    for (const RichText::Run& run : rich ? rich->runs() : std::vector<RichText::Run>())
      runs += QStringLiteral("[%1+%2 %3 %4 %5]")
                  .arg(run.start)
                  .arg(run.length)
                  .arg(run.format.fontFamily, run.format.bold ? "b" : "-", run.format.link);
    lines << QStringList{s->uuid(),
                         s->objective(),
                         runs,
                         s->startDate().toString(Qt::ISODate),
                         s->endDate().toString(Qt::ISODate),
                         *s->dayString(),
                         QString::number(s->duration()),
                         QString::number(s->actualDuration()),
                         s->focusRating(),
                         s->tagString(),
                         s->extractedLinks().join(u' '),
                         QString::fromLatin1(s->objectiveAsRTFD().toBase64())}
                 .join(u'|');
    EXPECT_EQ(manager.currentFullDataSet()->timeSliceWithUuid(s->uuid()), s);
  }
  for (const RawTimeSlice* s : manager.currentRawDataSet()->timeSlices())
    lines << QStringLiteral("raw %1 %2 %3")
                 .arg(s->actualDuration())
                 .arg(s->tagString(), *s->dayString());
  return lines;
}

class OwnAppendReloadTest : public test::TodaysLogFixture {
protected:
  void SetUp() override {
    TodaysLogFixture::SetUp();
    manager = makeManager(&tags);
    QnLog::setOn(true); // the readers say on the console what they read
  }
  void TearDown() override {
    QnLog::setOn(false);
    TodaysLogFixture::TearDown();
  }

  std::unique_ptr<LogFileManager> makeManager(TagManager* tagManager) {
    return std::make_unique<LogFileManager>([this] { return store.folderPath(); }, tagManager);
  }
  // Appends as the log writer does and tells the manager, as the writer's
  // signals do; true when the entry went in place.
  bool append(const RichText& added) {
    std::optional<OwnAppend> own;
    EXPECT_TRUE(BackingStoreManager::sharedManager().append(added, store, nullptr, &own));
    if (own)
      manager->noteOwnAppend(*own);
    manager->update();
    return own.has_value();
  }
  // Runs the pending reload; returns what it said on the console.
  QStringList reload(LogFileManager& m) {
    test::ConsoleCapture console;
    QSignalSpy spy(&m, &LogFileManager::reloadFinished);
    if (!m.isReloadPending())
      m.update();
    clock.advance(1.0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return spy.count() == 1; }, test::timeLimit(10000)));
    return console.lines();
  }
  // The data sets and tags of a manager that reads the folder from scratch.
  std::pair<QStringList, QStringList> fullRead() {
    TagManager freshTags;
    std::unique_ptr<LogFileManager> fresh = makeManager(&freshTags);
    reload(*fresh);
    return {describe(*fresh), freshTags.allTags()};
  }

  TagManager tags;
  std::unique_ptr<LogFileManager> manager;
};

// A reload writes its trace lines together, several to a console message.
bool said(const QStringList& console, QLatin1StringView line) {
  return std::any_of(console.begin(), console.end(), [line](const QString& message) {
    const QStringList lines = message.split(u'\n');
    return std::any_of(lines.begin(), lines.end(),
                       [line](const QString& said) { return said.endsWith(line); });
  });
}
bool parsedTheDay(const QStringList& console) {
  return said(console, QLatin1StringView("LogFile - load as rtfd"));
}
bool tookOwnEntries(const QStringList& console) {
  return said(console, QLatin1StringView("LogFile - took the entries appended by this program"));
}

} // namespace

TEST_F(OwnAppendReloadTest, OwnAppendsGiveWhatAFullReadGivesWithoutReadingTheDay) {
  EXPECT_FALSE(append(entry(0, QStringLiteral("writing")))); // a new day is written whole
  EXPECT_TRUE(parsedTheDay(reload(*manager)));
  ASSERT_EQ(manager->currentFullDataSet()->timeSlices().size(), 1u);

  // Two appends before one reload, one with tags never seen before.
  EXPECT_TRUE(append(entry(1, QStringLiteral("writing,client-b"))));
  EXPECT_TRUE(append(entry(2, QStringLiteral("alpha"))));
  const QStringList console = reload(*manager);
  EXPECT_FALSE(parsedTheDay(console));
  EXPECT_TRUE(tookOwnEntries(console));
  const auto [expected, expectedTags] = fullRead();
  EXPECT_EQ(describe(*manager), expected);
  EXPECT_EQ(tags.allTags(), expectedTags);
  EXPECT_EQ(tags.allTags(), (QStringList{"alpha", "client-b", "writing"}));
  EXPECT_EQ(expected.size(), 6); // three full records and three raw ones

  // Nothing changed since: the next reload reads nothing at all.
  const QStringList quiet = reload(*manager);
  EXPECT_FALSE(parsedTheDay(quiet));
  EXPECT_FALSE(tookOwnEntries(quiet));
  EXPECT_EQ(describe(*manager), expected);
}

TEST_F(OwnAppendReloadTest, DayWhoseLastObjectiveStillRunsIsReadAgain) {
  // The day's last objective ends with the day's text: the entry appended
  // after it ends that objective, which only a new read sees.
  append(entry(0, QStringLiteral("writing"), true));
  reload(*manager);
  EXPECT_TRUE(append(entry(1, QStringLiteral("writing"))));
  const QStringList console = reload(*manager);
  EXPECT_TRUE(parsedTheDay(console));
  EXPECT_FALSE(tookOwnEntries(console));
  EXPECT_EQ(describe(*manager), fullRead().first);
}

TEST_F(OwnAppendReloadTest, DayChangedByAnotherWriterAfterOurAppendIsReadAgain) {
  append(entry(0, QStringLiteral("writing")));
  reload(*manager);

  // Right after our append, another writer changes the entry's tags in place
  // (same size) and sets the modification time back, as copying tools do.
  ASSERT_TRUE(append(entry(1, QStringLiteral("mine"))));
  struct stat before {};
  ASSERT_EQ(::stat(QFile::encodeName(text).constData(), &before), 0);
  {
    QFile file(text);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    QByteArray bytes = file.readAll();
    const qsizetype at = bytes.lastIndexOf("mine");
    ASSERT_GT(at, 0);
    bytes.replace(at, 4, "ours");
    ASSERT_TRUE(file.seek(0));
    ASSERT_EQ(file.write(bytes), bytes.size());
  }
  const timespec times[2] = {before.st_atim, before.st_mtim};
  ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(text).constData(), times, 0), 0);
  EXPECT_TRUE(parsedTheDay(reload(*manager)));
  EXPECT_EQ(manager->currentFullDataSet()->timeSlices()[0]->tagString(), QStringLiteral("ours"));
  EXPECT_EQ(tags.allTags(), (QStringList{"ours", "writing"}));

  // Replaced whole by a sync after our append: read again too.
  ASSERT_TRUE(append(entry(2, QStringLiteral("mine"))));
  {
    QFile file(text);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QByteArray bytes = file.readAll();
    bytes.replace("UUID-2", "UUID-9");
    QFile replacement(text + QStringLiteral(".sync"));
    ASSERT_TRUE(replacement.open(QIODevice::WriteOnly));
    replacement.write(bytes);
  }
  ASSERT_EQ(::rename(QFile::encodeName(text + QStringLiteral(".sync")).constData(),
                     QFile::encodeName(text).constData()),
            0);
  EXPECT_TRUE(parsedTheDay(reload(*manager)));
  EXPECT_EQ(manager->currentFullDataSet()->timeSlices()[0]->uuid(), QStringLiteral("UUID-9"));
  EXPECT_EQ(describe(*manager), fullRead().first);
}
