#include "engine/BackingStoreDescriptor.h"
#include "engine/BackingStoreManager.h"
#include "engine/DataModel.h"
#include "engine/FullDataSet.h"
#include "engine/Logger.h"
#include "engine/SequenceNumberNamingStrategy.h"
#include "platform/richtext/RichText.h"
#include "platform/richtext/RtfWriter.h"
#include "platform/richtext/RtfdPackage.h"
#include "platform/services/FileBrowserAPI.h"
#include "platform/services/TestAlertPresenter.h"
#include "platform/services/TestTaskManagerBridge.h"
#include "platform/settings/UserDefaults.h"

#include "support/TestClock.h"
#include "support/TestEnvironment.h"
#include "support/ZoneScope.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace kr;

namespace {

const QString kMachine = QStringLiteral("a4836e8b9f2");

class LogWriterTest : public ::testing::Test {
protected:
  void SetUp() override {
    BackingStoreManager::sharedManager().setMachineIdentifierForTesting(kMachine);
    clock.setDate(QDateTime(QDate(2020, 3, 7), QTime(10, 0), Qt::LocalTime));
    defaults().setValue(QStringLiteral("dropboxSync"), true);
    defaults().setValue(QStringLiteral("dropboxLocation"), dir.path());
    defaults().setValue(QStringLiteral("durationInSeconds"), 1500);
    defaults().setValue(QStringLiteral("completed"), true);
    defaults().setValue(QStringLiteral("focusRating"), 2);
    defaults().setValue(QStringLiteral("tags"), QStringLiteral("a,b"));
    setObjective(objectiveWithLink(QStringLiteral("Write the report"),
                                   QStringLiteral("omnifocus:///task/kXy9")));
    AlertPresenterAPI::install(&alerts);
    FileBrowserAPI::install(&browser);
    logger = std::make_unique<Logger>(defaults(), model);
  }
  void TearDown() override {
    AlertPresenterAPI::install(nullptr);
    FileBrowserAPI::install(nullptr);
    for (const QString& key : defaults().storedKeys())
      defaults().remove(key);
    BackingStoreManager::sharedManager().setMachineIdentifierForTesting({});
  }

  static UserDefaults& defaults() { return UserDefaults::standard(); }
  static RichText objectiveWithLink(const QString& text, const QString& link) {
    RichText objective(text + QStringLiteral(" "));
    CharFormat linked;
    linked.link = link;
    objective.append(QStringLiteral("task"), linked);
    return objective;
  }
  static void setObjective(const RichText& objective) {
    defaults().setValue(QStringLiteral("objective"), RtfWriter::write(objective));
  }
  QString logFolder() const { return dir.path() + QStringLiteral("/Korvane-R/System Logs"); }
  QString dayPath(const QString& day = QStringLiteral("2020-03-07")) const {
    return logFolder() + QStringLiteral("/System Log Day %1 (%2).rtfd").arg(day, kMachine);
  }
  static QString plainTextAt(const QString& path) {
    const RtfdPackage::ReadResult read = RtfdPackage::read(path);
    EXPECT_EQ(read.status, RtfdPackage::Status::Ok) << read.error.toStdString();
    return read.text.plainText();
  }
  static QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }
  // An entry whose text says which one it is.
  static RichText numberedEntry(int n) {
    return RichText(QStringLiteral("#TimeSlice\nentry %1\n#objective\n%2\n")
                        .arg(n)
                        .arg(QString(200, QChar(u'x'))));
  }

  QTemporaryDir dir;
  test::TestClock clock;
  DataModel model;
  TestAlertPresenter alerts;
  TestFileBrowser browser;
  std::unique_ptr<Logger> logger;
};

TEST_F(LogWriterTest, EntryHoldsTheSliceValuesOneKeywordPerLine) {
  logger->incrementActualSecondsWorked();
  const QDateTime start = clock.nowAsDate().addSecs(-1);
  for (int i = 1; i < 1499; ++i) {
    clock.advance(1.0);
    logger->incrementActualSecondsWorked();
  }
  const QString uuid = BackingStoreManager::createUUID();
  const RichText entry = logger->prepareTimeSliceSystemLogEntryTextWithUUID(uuid);

  const QStringList expected = {QStringLiteral("#TimeSlice"),
                                uuid,
                                QStringLiteral("#objective"),
                                QStringLiteral("Write the report task"),
                                QStringLiteral("#duration"),
                                QStringLiteral("1500"),
                                QStringLiteral("#actualDuration"),
                                QStringLiteral("1499"),
                                QStringLiteral("#startDate"),
                                Logger::formatDateForSystemLog(start),
                                QStringLiteral("#endDate"),
                                Logger::formatDateForSystemLog(clock.nowAsDate()),
                                QStringLiteral("#completed"),
                                QStringLiteral("YES"),
                                QStringLiteral("#focusRating"),
                                QStringLiteral("highly focused"),
                                QStringLiteral("#tags"),
                                QStringLiteral("a,b"),
                                QString()};
  EXPECT_EQ(entry.plainText().split(u'\n'), expected);
  EXPECT_EQ(Logger::linksOfText(entry), QStringList{QStringLiteral("omnifocus:///task/kXy9")});
  EXPECT_EQ(Logger::formatDateForSystemLog(start), QStringLiteral("2020-03-07 09:59:59"));
}

TEST_F(LogWriterTest, PlannedMinutesUnknownRatingsAndOpenSlices) {
  defaults().setValue(QStringLiteral("durationInSeconds"), 899);
  defaults().setValue(QStringLiteral("focusRating"), 7);
  defaults().setValue(QStringLiteral("completed"), false);
  defaults().setValue(QStringLiteral("tags"), QStringLiteral("one\n#duration"));
  // Values never open a placeholder or a keyword line of their own.
  setObjective(RichText(QStringLiteral("Compare \u2039duration\u203a with \u2039tags\u203a\n\n")));
  const QStringList lines = logger->prepareTimeSliceSystemLogEntryTextWithUUID(QStringLiteral("U"))
                                .plainText()
                                .split(u'\n');
  EXPECT_EQ(lines.at(3), QStringLiteral("Compare \u2039duration\u203a with \u2039tags\u203a"));
  EXPECT_EQ(lines.at(4), QStringLiteral("#duration"));
  EXPECT_EQ(lines.at(5), QStringLiteral("840"));
  EXPECT_EQ(lines.at(13), QStringLiteral("NO"));
  EXPECT_EQ(lines.at(15), QStringLiteral("undefined"));
  EXPECT_EQ(lines.at(17), QStringLiteral("one #duration"));
  EXPECT_EQ(lines.size(), 19);
}

TEST_F(LogWriterTest, OnlyACompletedSliceMarksItsLinkedTasks) {
  auto bridge = std::make_unique<TestTaskManagerBridge>();
  TestTaskManagerBridge* journal = bridge.get();
  logger->setTaskManagerBridge(std::move(bridge));
  defaults().setValue(QStringLiteral("omnifocusIntegration"), true);

  defaults().setValue(QStringLiteral("completed"), false);
  ASSERT_TRUE(logger->writeToSystemLog(
      logger->prepareTimeSliceSystemLogEntryTextWithUUID(QStringLiteral("U1"))));
  EXPECT_TRUE(journal->journal.isEmpty());

  defaults().setValue(QStringLiteral("completed"), true);
  ASSERT_TRUE(logger->writeToSystemLog(
      logger->prepareTimeSliceSystemLogEntryTextWithUUID(QStringLiteral("U2"))));
  ASSERT_EQ(journal->journal.size(), 1);
  EXPECT_TRUE(journal->journal.first().contains(QStringLiteral("task id \"kXy9\"")));
}

TEST_F(LogWriterTest, LinkedTasksAreMarkedOnceTheEntryIsWrittenNotOnEachTry) {
  auto bridge = std::make_unique<TestTaskManagerBridge>();
  TestTaskManagerBridge* journal = bridge.get();
  logger->setTaskManagerBridge(std::move(bridge));
  defaults().setValue(QStringLiteral("omnifocusIntegration"), true);
  // A file where the log folder should be: the append cannot make it.
  ASSERT_TRUE(QDir(dir.path() + QStringLiteral("/Korvane-R")).removeRecursively());
  QDir().mkpath(dir.path() + QStringLiteral("/Korvane-R"));
  QFile blocker(logFolder());
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();

  const RichText first = logger->prepareTimeSliceSystemLogEntryTextWithUUID(QStringLiteral("U"));
  EXPECT_TRUE(journal->journal.isEmpty()) << "nothing is marked while the entry is prepared";
  {
    test::ExpectWarnings expected({QStringLiteral("Could not create folder path at:")});
    EXPECT_FALSE(logger->writeToSystemLog(first));
  }
  EXPECT_TRUE(journal->journal.isEmpty()) << "the slice is not logged, so its task is not done";

  // The rating page tries again once the folder can be made.
  ASSERT_TRUE(QFile::remove(logFolder()));
  const RichText retry = logger->prepareTimeSliceSystemLogEntryTextWithUUID(QStringLiteral("U"));
  EXPECT_TRUE(journal->journal.isEmpty());
  ASSERT_TRUE(logger->writeToSystemLog(retry));
  ASSERT_EQ(journal->journal.size(), 1);
  EXPECT_TRUE(journal->journal.first().contains(QStringLiteral("task id \"kXy9\"")));

  // Neither the same entry again nor another entry marks anything more.
  ASSERT_TRUE(logger->writeToSystemLog(retry));
  ASSERT_TRUE(logger->writeToSystemLog(numberedEntry(1)));
  EXPECT_EQ(journal->journal.size(), 1);

  // An entry prepared but then not written for a slice no longer completed
  // leaves nothing pending.
  logger->prepareTimeSliceSystemLogEntryTextWithUUID(QStringLiteral("V"));
  defaults().setValue(QStringLiteral("completed"), false);
  ASSERT_TRUE(logger->writeToSystemLog(
      logger->prepareTimeSliceSystemLogEntryTextWithUUID(QStringLiteral("V"))));
  EXPECT_EQ(journal->journal.size(), 1);
  EXPECT_EQ(plainTextAt(dayPath()).count(QStringLiteral("#TimeSlice")), 4);
}

TEST_F(LogWriterTest, AppendsCreateTheDaysPackageAndKeepEntriesInOrder) {
  QSignalSpy written(logger.get(), &Logger::systemLogWritten);
  EXPECT_FALSE(QFileInfo::exists(dayPath()));
  ASSERT_TRUE(logger->writeToSystemLog(numberedEntry(1)));
  EXPECT_TRUE(QFileInfo(dayPath()).isDir());
  EXPECT_EQ(plainTextAt(dayPath()), numberedEntry(1).plainText());

  ASSERT_TRUE(logger->writeToSystemLog(numberedEntry(2)));
  EXPECT_EQ(plainTextAt(dayPath()), numberedEntry(1).plainText() + numberedEntry(2).plainText());
  EXPECT_EQ(written.count(), 2);

  // Just after midnight the entry opens the next day's file.
  clock.setDate(QDateTime(QDate(2020, 3, 8), QTime(0, 0, 5), Qt::LocalTime));
  ASSERT_TRUE(logger->writeToSystemLog(numberedEntry(3)));
  EXPECT_EQ(plainTextAt(dayPath(QStringLiteral("2020-03-08"))), numberedEntry(3).plainText());
  EXPECT_TRUE(alerts.shown.isEmpty());
}

TEST_F(LogWriterTest, WrittenEntriesReadBackWithTheSameValues) {
  for (int i = 0; i < 25; ++i) {
    clock.advance(1.0);
    logger->incrementActualSecondsWorked();
  }
  const QString first = BackingStoreManager::createUUID();
  ASSERT_TRUE(logger->writeToSystemLog(logger->prepareTimeSliceSystemLogEntryTextWithUUID(first)));
  logger->resetActualSecondsWorked();
  defaults().setValue(QStringLiteral("completed"), false);
  defaults().setValue(QStringLiteral("focusRating"), 0);
  defaults().setValue(QStringLiteral("tags"), QString());
  setObjective(RichText(QStringLiteral("line one\n#objective\nline three")));
  clock.advance(60.0);
  logger->incrementActualSecondsWorked();
  const QString second = BackingStoreManager::createUUID();
  ASSERT_TRUE(logger->writeToSystemLog(logger->prepareTimeSliceSystemLogEntryTextWithUUID(second)));

  const FullDataSet::FileContents read = FullDataSet::loadRTFDFile(dayPath());
  ASSERT_EQ(read.timeSlices.size(), 2u) << read.problem.toStdString();
  const FullTimeSlice& a = *read.timeSlices[0];
  EXPECT_EQ(a.uuid(), first);
  EXPECT_EQ(a.objective(), QStringLiteral("Write the report task"));
  EXPECT_EQ(a.duration(), 1500.0);
  EXPECT_EQ(a.actualDuration(), 25.0);
  EXPECT_EQ(a.startDate(), QDateTime(QDate(2020, 3, 7), QTime(10, 0), Qt::LocalTime));
  EXPECT_EQ(a.endDate(), QDateTime(QDate(2020, 3, 7), QTime(10, 0, 25), Qt::LocalTime));
  EXPECT_TRUE(a.completed());
  EXPECT_EQ(a.focusRating(), QStringLiteral("highly focused"));
  EXPECT_EQ(a.tagString(), QStringLiteral("a,b"));
  // The objective keeps its task link.
  const std::optional<RichText> objective = RtfdPackage::fromData(a.objectiveAsRTFD());
  ASSERT_TRUE(objective.has_value());
  EXPECT_EQ(Logger::linksOfText(*objective), QStringList{QStringLiteral("omnifocus:///task/kXy9")});
  const FullTimeSlice& b = *read.timeSlices[1];
  EXPECT_EQ(b.uuid(), second);
  EXPECT_EQ(b.actualDuration(), 1.0);
  EXPECT_FALSE(b.completed());
  EXPECT_EQ(b.focusRating(), QStringLiteral("distracted"));
  EXPECT_EQ(b.tagString(), QString());
}

// Berlin's clocks go forward from 02:00 to 03:00 on 2026-03-29 and back from
// 03:00 to 02:00 on 2026-10-25. A slice is written as the program counts it,
// then read by the log reader and by the writer's own date reading.
TEST_F(LogWriterTest, SlicesAcrossAChangeOfTheClocksReadBackAtTheirInstants) {
  test::ZoneScope berlin("Europe/Berlin");
  const auto utc = [](int month, int day, int hour, int minute) {
    return QDateTime(QDate(2026, month, day), QTime(hour, minute), Qt::UTC);
  };
  struct Slice {
    QDateTime start, end; // the instants worked
    QString written;      // the start and end as the log holds them
    QDateTime readStart, readEnd;
  };
  const Slice slices[] = {
      {utc(3, 29, 0, 50), utc(3, 29, 1, 10), "2026-03-29 01:50:00 2026-03-29 03:10:00",
       utc(3, 29, 0, 50), utc(3, 29, 1, 10)},
      {utc(3, 29, 0, 30), utc(3, 29, 1, 30), "2026-03-29 01:30:00 2026-03-29 03:30:00",
       utc(3, 29, 0, 30), utc(3, 29, 1, 30)},
      {utc(10, 25, 0, 50), utc(10, 25, 1, 10), "2026-10-25 02:50:00 2026-10-25 02:10:00",
       utc(10, 25, 0, 50), utc(10, 25, 1, 10)},
      {utc(10, 25, 0, 30), utc(10, 25, 1, 30), "2026-10-25 02:30:00 2026-10-25 02:30:00",
       utc(10, 25, 0, 30), utc(10, 25, 1, 30)},
      // Wholly inside the hour shown twice, which the text cannot tell: the
      // first occurrence.
      {utc(10, 25, 1, 20), utc(10, 25, 1, 40), "2026-10-25 02:20:00 2026-10-25 02:40:00",
       utc(10, 25, 0, 20), utc(10, 25, 0, 40)},
  };
  QStringList expected, read;
  const auto line = [](const QString& written, const QDateTime& start, const QDateTime& end,
                       const QString& reader) {
    return written + u' ' + reader + u' ' + start.toUTC().toString(Qt::ISODate) + u' ' +
           end.toUTC().toString(Qt::ISODate);
  };
  for (const Slice& slice : slices) {
    const qint64 seconds = slice.start.secsTo(slice.end);
    defaults().setValue(QStringLiteral("durationInSeconds"), seconds);
    clock.setDate(slice.start.addSecs(1));
    logger->incrementActualSecondsWorked();
    for (qint64 s = 1; s < seconds; ++s) {
      clock.advance(1.0);
      logger->incrementActualSecondsWorked();
    }
    const QString uuid = BackingStoreManager::createUUID();
    ASSERT_TRUE(logger->writeToSystemLog(logger->prepareTimeSliceSystemLogEntryTextWithUUID(uuid)));
    logger->resetActualSecondsWorked();
    const QString day =
        dayPath(slice.end.toTimeZone(QTimeZone("Europe/Berlin")).date().toString(Qt::ISODate));

    const FullDataSet::FileContents contents = FullDataSet::loadRTFDFile(day);
    const QStringList lines = plainTextAt(day).split(u'\n');
    const qsizetype at = lines.indexOf(uuid);
    ASSERT_GE(at, 0);
    const auto value = [&lines, at](const char* keyword) {
      return lines.value(lines.indexOf(QString::fromLatin1(keyword), at) + 1);
    };
    const QString written = value("#startDate") + u' ' + value("#endDate");
    for (const auto& record : contents.timeSlices) {
      if (record->uuid() == uuid)
        read << line(written, record->startDate(), record->endDate(), "log");
    }
    const QDateTime start = Logger::dateFromSystemLogString(value("#startDate"));
    const WallClockTime::SliceLengths lengths{value("#duration").toDouble(),
                                              value("#actualDuration").toDouble()};
    read << line(written, start, Logger::dateFromSystemLogString(value("#endDate"), start, lengths),
                 "writer");
    for (const char* reader : {"log", "writer"})
      expected << line(slice.written, slice.readStart, slice.readEnd, reader);
  }
  EXPECT_EQ(read.join(u'\n').toStdString(), expected.join(u'\n').toStdString());
}

TEST_F(LogWriterTest, TagsThatReadLikeKeywordsReadBackAsTags) {
  const QStringList tags = {QStringLiteral("#TimeSlice"), QStringLiteral("#duration"),
                            QStringLiteral("#objective"), QStringLiteral("#tags")};
  for (const QString& tag : tags) {
    defaults().setValue(QStringLiteral("tags"), tag);
    logger->incrementActualSecondsWorked();
    ASSERT_TRUE(logger->writeToSystemLog(
        logger->prepareTimeSliceSystemLogEntryTextWithUUID(BackingStoreManager::createUUID())));
  }
  const FullDataSet::FileContents read = FullDataSet::loadRTFDFile(dayPath());
  EXPECT_TRUE(read.problem.isEmpty()) << read.problem.toStdString();
  ASSERT_EQ(read.timeSlices.size(), std::size_t(tags.size()));
  for (qsizetype i = 0; i < tags.size(); ++i) {
    EXPECT_EQ(read.timeSlices[std::size_t(i)]->tagString(), tags[i]);
    EXPECT_EQ(read.timeSlices[std::size_t(i)]->duration(), 1500.0);
    EXPECT_EQ(read.timeSlices[std::size_t(i)]->objective(),
              QStringLiteral("Write the report task"));
  }
}

TEST_F(LogWriterTest, DamagedDayFileIsSetAsideByteForByteAndTheEntryStartsAFreshOne) {
  struct Damage {
    const char* what;
    std::function<void(const QString&)> make;
  };
  static const char garbageBytes[] = "\x00\xff\x13 this is not rich text {\\";
  const QByteArray garbage(garbageBytes, sizeof garbageBytes - 1);
  const QList<Damage> damages = {
      {"garbage text file",
       [&](const QString& p) {
         QDir().mkpath(p);
         QFile f(p + QStringLiteral("/TXT.rtf"));
         ASSERT_TRUE(f.open(QIODevice::WriteOnly));
         f.write(garbage);
       }},
      {"truncated RTF",
       [&](const QString& p) {
         QDir().mkpath(p);
         QFile f(p + QStringLiteral("/TXT.rtf"));
         ASSERT_TRUE(f.open(QIODevice::WriteOnly));
         f.write("{\\rtf1\\ansi #TimeSlice\\par first entry\\par {\\b unfinished");
       }},
      {"plain file instead of a package",
       [&](const QString& p) {
         QFile f(p);
         ASSERT_TRUE(f.open(QIODevice::WriteOnly));
         f.write(garbage);
       }},
      {"pipe instead of the text",
       [&](const QString& p) {
         QDir().mkpath(p);
         ASSERT_EQ(::mkfifo(QFile::encodeName(p + QStringLiteral("/TXT.rtf")).constData(), 0600),
                   0);
       }},
  };
  const QString aside = logFolder() + QStringLiteral("/System Log Day 2020-03-07 (%1) (damaged "
                                                     "2020-03-07 10.00.00).rtfd")
                                          .arg(kMachine);
  for (const Damage& damage : damages) {
    SCOPED_TRACE(damage.what);
    QDir(logFolder()).removeRecursively();
    QDir().mkpath(logFolder());
    damage.make(dayPath());
    const bool isPackage = QFileInfo(dayPath()).isDir();
    const QString file = isPackage ? QStringLiteral("/TXT.rtf") : QString();
    const bool isPipe = !QFileInfo(dayPath() + file).isFile();
    const QByteArray before = isPipe ? QByteArray() : bytesOf(dayPath() + file);
    alerts.shown.clear();

    test::ExpectWarnings expected({QStringLiteral("it was moved unchanged to")});
    QString error;
    ASSERT_TRUE(logger->writeToSystemLog(numberedEntry(1), &error)) << error.toStdString();
    EXPECT_EQ(expected.seen(), 1);
    // The damaged file is beside the new one, under a name no reader takes
    // for a log, exactly as it was.
    EXPECT_EQ(QFileInfo(aside).isDir(), isPackage);
    if (isPipe)
      EXPECT_FALSE(QFileInfo(aside + file).isFile());
    else
      EXPECT_EQ(bytesOf(aside + file), before);
    EXPECT_EQ(plainTextAt(dayPath()), numberedEntry(1).plainText());
    ASSERT_EQ(alerts.shown.size(), 1);
    EXPECT_EQ(alerts.shown.first().messageText, QStringLiteral("A damaged log file was set aside"));
    EXPECT_TRUE(alerts.shown.first().informativeText.contains(dayPath()));
    EXPECT_TRUE(alerts.shown.first().informativeText.contains(aside));

    // Logging goes on without another alert.
    ASSERT_TRUE(logger->writeToSystemLog(numberedEntry(2)));
    EXPECT_EQ(plainTextAt(dayPath()), numberedEntry(1).plainText() + numberedEntry(2).plainText());
    EXPECT_EQ(alerts.shown.size(), 1);
    const FullDataSet::FileContents read = FullDataSet::loadRTFDFile(dayPath());
    EXPECT_EQ(read.timeSlices.size(), 2u);
  }
}

TEST_F(LogWriterTest, RemovedLogFolderIsCreatedAgainOnAppend) {
  ASSERT_TRUE(QDir(dir.path() + QStringLiteral("/Korvane-R")).removeRecursively());
  ASSERT_TRUE(logger->writeToSystemLog(numberedEntry(1)));
  EXPECT_EQ(plainTextAt(dayPath()), numberedEntry(1).plainText());
}

TEST_F(LogWriterTest, FolderThatCannotBeWrittenShowsTheFolderAndTheAlert) {
  ASSERT_TRUE(QDir(dir.path() + QStringLiteral("/Korvane-R")).removeRecursively());
  QDir().mkpath(dir.path() + QStringLiteral("/Korvane-R"));
  QFile blocker(logFolder()); // a file where the folder should be
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();

  test::ExpectWarnings expected({QStringLiteral("Could not create folder path at:")});
  QString error;
  EXPECT_FALSE(logger->writeToSystemLog(numberedEntry(1), &error));
  EXPECT_FALSE(error.isEmpty());
  ASSERT_EQ(alerts.shown.size(), 1);
  EXPECT_EQ(alerts.shown.first().messageText,
            QStringLiteral("Could not write to log file folder!"));
  EXPECT_EQ(alerts.shown.first().buttons, QStringList{QStringLiteral("OK")});
  EXPECT_EQ(browser.requests,
            QStringList{QStringLiteral("open ") + dir.path() + QStringLiteral("/Korvane-R")});
}

TEST_F(LogWriterTest, ResetRevealAndCounter) {
  model.setCurrentTimeSliceExtensionDuration(120);
  logger->incrementActualSecondsWorked();
  const QDateTime start = logger->startDate();
  logger->resetActualSecondsWorked();
  EXPECT_EQ(logger->actualSecondsWorked(), 0);
  EXPECT_EQ(model.currentTimeSliceExtensionDurationInSeconds(), 0);
  EXPECT_EQ(logger->startDate(), start);

  logger->revealLogFolder();
  EXPECT_EQ(browser.requests, QStringList{QStringLiteral("reveal ") + logFolder()});

  // An entry logged before any second of the next slice was counted carries
  // the moment it is logged, not the previous slice's dates.
  clock.advance(3600.0);
  const QStringList lines = logger->prepareTimeSliceSystemLogEntryTextWithUUID(QStringLiteral("U"))
                                .plainText()
                                .split(u'\n');
  const QString now = Logger::formatDateForSystemLog(clock.nowAsDate());
  EXPECT_EQ(lines.at(7), QStringLiteral("0"));
  EXPECT_EQ(lines.at(9), now);
  EXPECT_EQ(lines.at(11), now);
}

TEST_F(LogWriterTest, PagesAreCreatedFromTheirTemplateAndRewritten) {
  BackingStoreDescriptor pads;
  pads.setFolderPath(dir.path() + QStringLiteral("/Pads/Now Pad"));
  pads.setRoot(QStringLiteral("Now Pads"));
  pads.setTemplateName(QString::fromLatin1(Logger::kEntryTemplateName));
  pads.setNamingStrategy(std::make_unique<SequenceNumberNamingStrategy>());
  pads.finishInitialization();

  BackingStoreManager& manager = BackingStoreManager::sharedManager();
  const QByteArray content = manager.contentOfSelectedFile(pads);
  const QString page = dir.path() + QStringLiteral("/Pads/Now Pad/Now Pads 000000.rtfd");
  EXPECT_TRUE(plainTextAt(page).startsWith(QStringLiteral("#TimeSlice\n\u2039uuid\u203a\n")));
  ASSERT_TRUE(RtfdPackage::fromData(content).has_value());
  EXPECT_EQ(RtfdPackage::fromData(content)->plainText(), plainTextAt(page));

  ASSERT_TRUE(manager.write(RichText(QStringLiteral("my notes\n")), pads));
  EXPECT_EQ(plainTextAt(page), QStringLiteral("my notes\n"));
}

} // namespace
