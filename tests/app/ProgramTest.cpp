// The program as main() builds it: confirmations are shown as message boxes
// and answered there, a failed "Log" tells the user and keeps the page, and
// every way out ends the event loop.
#include "StartedProgram.h"

#include "engine/BackingStoreDescriptor.h"
#include "engine/BackingStoreManager.h"
#include "engine/FullDataSet.h"
#include "engine/LogFile.h"
#include "engine/Logger.h"
#include "engine/SplicesUnderWay.h"
#include "engine/StateMachine.h"
#include "kit/PopUpButton.h"
#include "platform/files/SupportPaths.h"
#include "platform/richtext/RtfdPackage.h"
#include "platform/services/FilePanelPresenter.h"
#include "platform/services/UrlOpenerAPI.h"
#include "platform/settings/UserDefaults.h"
#include "shell/AppDelegate.h"
#include "shell/ApplicationShell.h"
#include "shell/MainController.h"
#include "states/DefineTimeSliceState.h"
#include "states/PausedState.h"
#include "states/PrepareTimedBreakState.h"
#include "states/RateTimeSliceState.h"
#include "states/StateLinkingHelper.h"
#include "states/TimeSliceRunningState.h"
#include "stats/FullFeaturedStatisticsManager.h"
#include "stats/LogBookTableViewController.h"
#include "stats/StatsViewController.h"
#include "support/StepTimer.h"
#include "support/TestEnvironment.h"
#include "window/CalendarView.h"
#include "window/EventView.h"
#include "window/MainMenu.h"
#include "window/MainWindow.h"
#include "window/MainWindowController.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QScopeGuard>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <csignal>
#include <optional>
#include <sys/stat.h>

using namespace kr;
using kr::test::AlertAnswerer;
using kr::test::StartedProgram;

namespace {

// Two-minute slices, no soft break, the window stays while a slice runs.
QVariantMap shortSlices() {
  return {{QStringLiteral("durationInSeconds"), 120},
          {QStringLiteral("shouldUseSoftBreak"), false},
          {QStringLiteral("shouldHideOnTimeSliceRunningActivation"), false}};
}

const StateBase* current(StartedProgram& p) {
  return p.program->shell().stateMachine().currentState();
}
StateLinkingHelper& states(StartedProgram& p) { return p.program->shell().stateLinkingHelper(); }

// Runs the event loop as main() does, with `action` performed from inside it;
// a loop still running after `limitMs` is ended with status 99.
int runLoopWith(StartedProgram& p, const std::function<void()>& action,
                long long limitMs = kr::test::timeLimit(3000)) {
  QTimer::singleShot(0, qApp, action);
  QTimer limit;
  limit.setSingleShot(true);
  QObject::connect(&limit, &QTimer::timeout, qApp, [] { QCoreApplication::exit(99); });
  limit.start(limitMs);
  return p.program->exec();
}

} // namespace

TEST(Program, AbortAndDoNotLogAskFirstInAMessageBox) {
  StartedProgram p(shortSlices());
  ASSERT_EQ(current(p), &states(p).defineTimeSliceState());
  p.click(QStringLiteral("Start Time Slice"));
  ASSERT_EQ(current(p), &states(p).timeSliceRunningState());
  p.clock.advance(65);
  p.click(QStringLiteral("Pause"));
  ASSERT_EQ(current(p), &states(p).pausedState());
  const qint64 worked = Logger::sharedLogger().actualSecondsWorked();
  EXPECT_GE(worked, 64);

  {
    AlertAnswerer cancel(QStringLiteral("Cancel"));
    p.click(QStringLiteral("Abort"));
    ASSERT_EQ(cancel.seen.size(), 1);
    EXPECT_TRUE(
        cancel.seen[0].startsWith(QStringLiteral("Are you sure you want to reset the clock")));
  }
  EXPECT_EQ(current(p), &states(p).pausedState()) << "Cancel keeps the slice";
  EXPECT_EQ(Logger::sharedLogger().actualSecondsWorked(), worked);
  {
    AlertAnswerer ok(QStringLiteral("OK"));
    p.click(QStringLiteral("Abort"));
    ASSERT_EQ(ok.seen.size(), 1);
  }
  EXPECT_EQ(current(p), &states(p).defineTimeSliceState());
  EXPECT_EQ(Logger::sharedLogger().actualSecondsWorked(), 0);

  // A slice that ran out: the rating page asks before dropping it.
  p.click(QStringLiteral("Start Time Slice"));
  p.clock.advance(121);
  ASSERT_EQ(current(p), &states(p).rateTimeSliceState());
  {
    AlertAnswerer cancel(QStringLiteral("Cancel"));
    p.click(QStringLiteral("Do Not Log This Time Slice"));
    ASSERT_EQ(cancel.seen.size(), 1);
    EXPECT_TRUE(cancel.seen[0].startsWith(
        QStringLiteral("Are you sure you do not want the time spent to be logged")));
  }
  EXPECT_EQ(current(p), &states(p).rateTimeSliceState());
  {
    AlertAnswerer ok(QStringLiteral("OK"));
    p.click(QStringLiteral("Do Not Log This Time Slice"));
    ASSERT_EQ(ok.seen.size(), 1);
  }
  EXPECT_NE(current(p), &states(p).rateTimeSliceState());
}

TEST(Program, AFailedLogShowsTheAlertAndKeepsTheRatingPage) {
  StartedProgram p(shortSlices());
  // Something that is not a folder stands where the log folder belongs.
  const QString logs = SupportPaths::supportFolder() + QStringLiteral("/System Logs");
  QDir().mkpath(SupportPaths::supportFolder());
  QDir(logs).removeRecursively();
  {
    QFile blocker(logs);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  }
  test::ExpectWarnings notAFolder(
      {QStringLiteral("it is not a folder"), QStringLiteral("could not write")});
  p.click(QStringLiteral("Start Time Slice"));
  p.clock.advance(121);
  ASSERT_EQ(current(p), &states(p).rateTimeSliceState());
  {
    AlertAnswerer ok(QStringLiteral("OK"));
    p.click(QStringLiteral("Log"));
    ASSERT_EQ(ok.seen.size(), 1);
    EXPECT_TRUE(ok.seen[0].startsWith(QStringLiteral("Could not write to log file folder!")));
    // Nothing here can open a file manager: the alert says where the folder is.
    EXPECT_TRUE(ok.seen[0].contains(logs)) << ok.seen[0].toStdString();
  }
  EXPECT_EQ(current(p), &states(p).rateTimeSliceState()) << "the slice is not lost";

  // With the folder back the same slice is logged.
  QFile::remove(logs);
  p.click(QStringLiteral("Log"));
  EXPECT_NE(current(p), &states(p).rateTimeSliceState());
  const QStringList days = QDir(logs).entryList({QStringLiteral("System Log Day *.rtfd")});
  EXPECT_EQ(days.size(), 1);
}

// Runs a slice to its rating page, from the define page or the break offer.
void runSliceToTheRatingPage(StartedProgram& p) {
  if (current(p) != &states(p).defineTimeSliceState())
    p.program->shell().mainController().tryToPerform(
        QStringLiteral("attemptToTriggerStartTimeSlice"));
  if (current(p) == &states(p).defineTimeSliceState())
    p.click(QStringLiteral("Start Time Slice"));
  ASSERT_EQ(current(p), &states(p).timeSliceRunningState());
  p.clock.advance(121);
  ASSERT_EQ(current(p), &states(p).rateTimeSliceState());
}

TEST(Program, ADamagedDayFileIsSetAsideAndTheEntryStartsAFreshOne) {
  StartedProgram p(shortSlices());
  const QString logs = SupportPaths::supportFolder() + QStringLiteral("/System Logs");
  p.click(QStringLiteral("Start Time Slice"));
  p.clock.advance(121);
  p.click(QStringLiteral("Log"));
  const QStringList days = QDir(logs).entryList({QStringLiteral("System Log Day *.rtfd")});
  ASSERT_EQ(days.size(), 1);
  // The day's text is cut off in the middle of its first entry.
  const QString text = logs + QLatin1Char('/') + days[0] + QStringLiteral("/TXT.rtf");
  QFile file(text);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray whole = file.readAll();
  file.close();
  const QByteArray damaged = whole.left(whole.size() / 2);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write(damaged);
  file.close();

  test::ExpectWarnings damage({QStringLiteral("damaged")});
  // The next slice, from the menu's command on the break offer.
  runSliceToTheRatingPage(p);
  ASSERT_EQ(current(p), &states(p).rateTimeSliceState());
  {
    AlertAnswerer ok(QStringLiteral("OK"));
    p.click(QStringLiteral("Log"));
    ASSERT_EQ(ok.seen.size(), 1);
    EXPECT_TRUE(ok.seen[0].startsWith(QStringLiteral("A damaged log file was set aside")));
  }
  EXPECT_NE(current(p), &states(p).rateTimeSliceState()) << "logging goes on";
  const QStringList aside = QDir(logs).entryList({QStringLiteral("* (damaged *).rtfd")});
  ASSERT_EQ(aside.size(), 1);
  QFile kept(logs + QLatin1Char('/') + aside[0] + QStringLiteral("/TXT.rtf"));
  ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
  EXPECT_EQ(kept.readAll(), damaged) << "set aside byte for byte";
  QFile fresh(text);
  ASSERT_TRUE(fresh.open(QIODevice::ReadOnly));
  EXPECT_TRUE(fresh.readAll().contains("#TimeSlice")) << "the entry is in a fresh package";
}

// A day of 40 MB (or `megabytes`) that LibreOffice saved with a picture in
// an objective: its own two entries, then paragraphs enough to make it large.
QByteArray largePictureDay(int megabytes = 40) {
  QFile sample(QStringLiteral(KR_TEST_DATA_DIR "/rtfd-logs-libreoffice/System Log Day "
                                               "2020-03-07 (a4836e8b9f2).rtfd/TXT.rtf"));
  if (!sample.open(QIODevice::ReadOnly))
    return {};
  QByteArray day = sample.readAll();
  QByteArray filler;
  while (filler.size() < megabytes * 1024 * 1024)
    filler += "\\par \\pard\\plain {\\loch notes kept with the day, line after line}\n";
  return day.insert(day.lastIndexOf('}'), filler);
}

QString todaysText() {
  return Logger::sharedLogger().systemLogBackingStoreDesc().getPathToCurrentFile() +
         QStringLiteral("/TXT.rtf");
}

void putDay(const QString& text, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(text).path());
  QFile file(text);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  ASSERT_EQ(file.write(bytes), bytes.size());
}

TEST(Program, ALargeDayFromElsewhereTakesTheEntryWhileThePageSaysItIsBeingWritten) {
  StartedProgram p(shortSlices());
  const QByteArray old = largePictureDay();
  ASSERT_FALSE(old.isEmpty());
  const QString text = todaysText();
  putDay(text, old);
  p.click(QStringLiteral("Start Time Slice"));
  p.clock.advance(121);
  RateTimeSliceState& rate = states(p).rateTimeSliceState();
  ASSERT_EQ(current(p), &rate);
  p.click(QStringLiteral("Log"));
  ASSERT_TRUE(rate.isWritingEntry());
  EXPECT_FALSE(rate.logButton()->isEnabled()) << "no second entry while the first is written";
  EXPECT_FALSE(rate.doNotLogButton()->isEnabled());
  EXPECT_EQ(rate.logButton()->text(), QStringLiteral("Writing the Entry…"));
  EXPECT_EQ(current(p), &rate) << "the page stays until the entry has landed";
  rate.logAndContinue(); // the action again, as a key might send it
  ASSERT_TRUE(QTest::qWaitFor([&] { return current(p) != &rate; }, test::timeLimit(30000)));
  EXPECT_TRUE(rate.logButton()->isEnabled());
  EXPECT_EQ(rate.logButton()->text(), QStringLiteral("Log"));

  QFile day(text);
  ASSERT_TRUE(day.open(QIODevice::ReadOnly));
  const QByteArray now = day.readAll();
  const qsizetype picture = old.indexOf("{\\*\\shppict");
  EXPECT_TRUE(now.contains(old.mid(picture, old.indexOf("}}", picture) - picture)));
  EXPECT_LT(now.size(), old.size() + 4096) << "the day is not written anew";
  EXPECT_EQ(FullDataSet::loadRTFDFile(QFileInfo(text).path()).timeSlices.size(), 3u)
      << "one entry added, once";
}

TEST(Program, TheNextStartRemovesTheCopyThatAKilledSpliceLeftAndKeepsTheDay) {
  QString text;
  QString copy;
  QByteArray old;
  {
    StartedProgram first;
    text = todaysText();
    old = "{\\rtf1\\ansi a day from elsewhere\\par }";
    putDay(text, old);
    // What a kill during a splice leaves: its copy, and the note naming the day.
    SplicesUnderWay::begin(QFileInfo(text).path());
    copy = QFileInfo(text).path() + QLatin1Char('/') + QLatin1String(RtfdPackage::kSplicePrefix) +
           QStringLiteral("TXT.rtf");
    putDay(copy, old.left(20));
  }
  StartedProgram next;
  EXPECT_FALSE(QFileInfo::exists(copy));
  EXPECT_FALSE(QFileInfo::exists(SplicesUnderWay::notePath()));
  QFile day(text);
  ASSERT_TRUE(day.open(QIODevice::ReadOnly));
  EXPECT_EQ(day.readAll(), old);
}

TEST(Program, ASignalWhileALargeDayTakesTheEntryLeavesTheDayWholeAndTheEntryBeside) {
  StartedProgram p(shortSlices());
  const QByteArray old = largePictureDay();
  const QString text = todaysText();
  putDay(text, old);
  p.click(QStringLiteral("Start Time Slice"));
  p.clock.advance(121);
  ASSERT_EQ(current(p), &states(p).rateTimeSliceState());
  p.click(QStringLiteral("Log"));
  ASSERT_TRUE(states(p).rateTimeSliceState().isWritingEntry());
  test::ExpectWarnings quit({QStringLiteral("the program quit")});
  kr::test::StepTimer elapsed;
  EXPECT_EQ(runLoopWith(p, [] { std::raise(SIGTERM); }), 0);
  EXPECT_LT(elapsed.elapsed(), elapsed.limit(2000)) << "the quit waits half a second at most";

  const QString package = QFileInfo(text).path();
  EXPECT_TRUE(QTest::qWaitFor([&] { return RtfdPackage::spliceCopiesIn(package).isEmpty(); },
                              test::timeLimit(30000)))
      << "the worker's copy is removed";
  QFile day(text);
  ASSERT_TRUE(day.open(QIODevice::ReadOnly));
  const QString beside = LogFile::writtenAsidePath(package, 1);
  if (day.readAll() == old) {
    EXPECT_EQ(FullDataSet::loadRTFDFile(beside).timeSlices.size(), 1u) << "the entry is kept";
  } else {
    // The copy had replaced the day before the signal came.
    EXPECT_EQ(FullDataSet::loadRTFDFile(package).timeSlices.size(), 3u);
    EXPECT_FALSE(QFileInfo::exists(beside));
  }
}

// Another copy of the program writing today's day (DayWriterProgram.cpp):
// holds its lock until it is told to let go, or killed.
struct DayLockHolder : QProcess {
  explicit DayLockHolder(const QString& day) {
    start(QStringLiteral(KR_DAY_WRITER), {QStringLiteral("hold"), day});
  }
  ~DayLockHolder() override {
    kill();
    waitForFinished();
  }
  bool holds() {
    return waitForReadyRead(test::timeLimit(30000)) && readLine().trimmed() == "held";
  }
  void letGo() {
    write("\n");
    waitForBytesWritten();
    waitForFinished(test::timeLimit(30000));
  }
};

// The entries of the day, and those written beside it: the tests of this
// program share one home, and its days.
std::pair<size_t, size_t> entriesOfDay(const QString& day) {
  size_t beside = 0;
  for (int n = 1; n < 5; ++n)
    beside += FullDataSet::loadRTFDFile(LogFile::writtenAsidePath(day, n)).timeSlices.size();
  return {FullDataSet::loadRTFDFile(day).timeSlices.size(), beside};
}

void expectWritingTheEntry(RateTimeSliceState& rate) {
  EXPECT_TRUE(rate.isWritingEntry()) << "the window does not wait for the other writer";
  EXPECT_FALSE(rate.logButton()->isEnabled());
  EXPECT_FALSE(rate.doNotLogButton()->isEnabled());
  EXPECT_EQ(rate.logButton()->text(), QStringLiteral("Writing the Entry…"));
}

TEST(Program, ADayAnotherWriterHoldsIsWaitedForWhileTheWindowAnswers) {
  StartedProgram p(shortSlices());
  BackingStoreManager& manager = BackingStoreManager::sharedManager();
  const auto restore = qScopeGuard([&] { manager.setLockWaitForTesting(DayAppend::kLockWait); });
  const QString day = QFileInfo(todaysText()).path();
  RateTimeSliceState& rate = states(p).rateTimeSliceState();
  MainController& controller = p.program->shell().mainController();
  const auto [inDay, beside] = entriesOfDay(day);
  DayLockHolder holder(day);
  ASSERT_TRUE(holder.holds());
  runSliceToTheRatingPage(p);

  // A wait that runs out tells why, and the slice can be logged again.
  manager.setLockWaitForTesting(std::chrono::milliseconds(1500));
  {
    test::ExpectWarnings held({QStringLiteral("is held by another running program")});
    AlertAnswerer ok(QStringLiteral("OK"));
    p.click(QStringLiteral("Log"));
    expectWritingTheEntry(rate);
    // Meanwhile the window answers: the log book shows.
    controller.tryToPerform(QStringLiteral("toggleLogBook"));
    QCoreApplication::processEvents();
    MainWindow* window = p.program->shell().appDelegate().mainWindow();
    EXPECT_TRUE(window->controller().logBookTableViewController()->tableView()->isVisible());
    controller.tryToPerform(QStringLiteral("toggleLogBook"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !rate.isWritingEntry(); }, test::timeLimit(30000)));
    ASSERT_EQ(ok.seen.size(), 1);
    EXPECT_TRUE(ok.seen[0].startsWith(QStringLiteral("Could not write to the log file!")));
  }
  EXPECT_EQ(current(p), &rate);
  EXPECT_TRUE(rate.logButton()->isEnabled());
  EXPECT_EQ(rate.logButton()->text(), QStringLiteral("Log"));
  EXPECT_EQ(entriesOfDay(day), std::pair(inDay, beside));

  // Once the other writer is done, the entry lands, once.
  manager.setLockWaitForTesting(std::chrono::seconds(20));
  AlertAnswerer none(QStringLiteral("OK"));
  p.click(QStringLiteral("Log"));
  expectWritingTheEntry(rate);
  holder.letGo();
  ASSERT_TRUE(QTest::qWaitFor([&] { return current(p) != &rate; }, test::timeLimit(30000)));
  EXPECT_TRUE(none.seen.isEmpty());
  EXPECT_EQ(entriesOfDay(day), std::pair(inDay + 1, beside));
}

TEST(Program, AQuitWhileAnotherWriterHoldsTheDayPutsTheEntryBesideItAtOnce) {
  StartedProgram p(shortSlices());
  const QString day = QFileInfo(todaysText()).path();
  const auto bytes = [](const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  };
  const QByteArray before = bytes(todaysText());
  const auto [inDay, beside] = entriesOfDay(day);
  DayLockHolder holder(day);
  ASSERT_TRUE(holder.holds());
  runSliceToTheRatingPage(p);
  AlertAnswerer none(QStringLiteral("OK"));
  p.click(QStringLiteral("Log"));
  ASSERT_TRUE(states(p).rateTimeSliceState().isWritingEntry());
  test::ExpectWarnings quit({QStringLiteral("the program quit")});
  QElapsedTimer elapsed;
  elapsed.start();
  EXPECT_EQ(runLoopWith(p, [] { std::raise(SIGTERM); }), 0);
  EXPECT_LT(elapsed.elapsed(), test::timeLimit(2000)) << "the quit waits half a second at most";
  EXPECT_TRUE(none.seen.isEmpty());
  EXPECT_EQ(bytes(todaysText()), before) << "the other writer's day is left to it";
  EXPECT_EQ(entriesOfDay(day), std::pair(inDay, beside + 1));
}

// Runs a slice and logs it, from the define page or the break offer.
void logOneSlice(StartedProgram& p) {
  runSliceToTheRatingPage(p);
  p.click(QStringLiteral("Log"));
  EXPECT_NE(current(p), &states(p).rateTimeSliceState());
}

TEST(Program, ALoggedDayKeepsItsModeAndOwnerAndAReadOnlyOneIsLeftAsItIs) {
  // A day another program wrote (spliced) or this one wrote (in place).
  const std::pair<mode_t, bool> days[] = {
      {0600, false}, {0640, false}, {0444, false}, {0444, true}};
  for (const auto& [mode, ours] : days) {
    SCOPED_TRACE(QStringLiteral("%1 %2").arg(mode, 0, 8).arg(ours).toStdString());
    QDir(SupportPaths::supportFolder() + QStringLiteral("/System Logs")).removeRecursively();
    StartedProgram p(shortSlices());
    const QString text = todaysText();
    if (ours)
      logOneSlice(p);
    else
      putDay(text, largePictureDay(0));
    const QByteArray encoded = QFile::encodeName(text);
    ASSERT_EQ(::chmod(encoded.constData(), mode), 0);
    // Another user's, where the program may keep that (as root).
    const bool given = ::chown(encoded.constData(), 65534, 65534) == 0;
    QFile file(text);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    const bool readOnly = (mode & S_IWUSR) == 0;
    AlertAnswerer ok(QStringLiteral("OK"));
    test::ExpectWarnings told({QStringLiteral("is read-only")});
    logOneSlice(p);
    logOneSlice(p);
    struct stat info {};
    ASSERT_EQ(::stat(encoded.constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, mode);
    EXPECT_TRUE(!given || info.st_uid == 65534u) << "the day's owner is kept";
    const QString package = QFileInfo(text).path();
    const QString aside = LogFile::writtenAsidePath(package, 1);
    EXPECT_EQ(FullDataSet::loadRTFDFile(readOnly ? aside : package).timeSlices.size(),
              readOnly ? 2u : 4u);
    EXPECT_EQ(told.seen(), readOnly ? 1 : 0) << "a read-only day is told once";
    ASSERT_EQ(ok.seen.size(), readOnly ? 1 : 0);
    if (readOnly) {
      EXPECT_TRUE(ok.seen[0].startsWith(QStringLiteral("Today's log file is read-only.")));
      QFile now(text);
      ASSERT_TRUE(now.open(QIODevice::ReadOnly));
      EXPECT_EQ(now.readAll(), before) << "left byte for byte";
    }
  }
}

TEST(Program, TheDaysSecondEntryGoesIntoItsTextInPlace) {
  const QString logs = SupportPaths::supportFolder() + QStringLiteral("/System Logs");
  QDir(logs).removeRecursively(); // what tests before this one logged
  StartedProgram p(shortSlices());
  auto logOneSlice = [&p] { ::logOneSlice(p); };
  auto inode = [](const QString& path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
  };
  logOneSlice();
  const QStringList days = QDir(logs).entryList({QStringLiteral("System Log Day *.rtfd")});
  ASSERT_EQ(days.size(), 1);
  const QString text = logs + QLatin1Char('/') + days[0] + QStringLiteral("/TXT.rtf");
  const ino_t first = inode(text);
  ASSERT_NE(first, 0u);

  logOneSlice();
  EXPECT_EQ(inode(text), first) << "the day was written anew";
  const FullDataSet::FileContents read =
      FullDataSet::loadRTFDFile(logs + QLatin1Char('/') + days[0]);
  EXPECT_TRUE(read.problem.isEmpty()) << read.problem.toStdString();
  EXPECT_EQ(read.timeSlices.size(), 2u);
  EXPECT_EQ(QDir(logs).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), days);
}

namespace {
// What the program logs, kept while a test runs.
QStringList* loggedLines = nullptr;
void keepLogLine(QtMsgType, const QMessageLogContext&, const QString& line) {
  if (loggedLines)
    loggedLines->append(line);
}
} // namespace

TEST(Program, TheQuitActionEndsTheEventLoopAndAsksOnlyDuringASlice) {
  StartedProgram p(shortSlices());
  MainController& controller = p.program->shell().mainController();
  QStringList logged;
  loggedLines = &logged;
  const QtMessageHandler previous = qInstallMessageHandler(keepLogLine);
  const auto restore = qScopeGuard([&] {
    qInstallMessageHandler(previous);
    loggedLines = nullptr;
  });
  const auto quitsLogged = [&] {
    return logged.filter(QStringLiteral("Korvane-R quits on the user's request")).size();
  };
  kr::test::StepTimer elapsed;
  EXPECT_EQ(runLoopWith(p, [&] { controller.tryToPerform(QStringLiteral("terminate")); }), 0);
  EXPECT_LT(elapsed.elapsed(), elapsed.limit(5000)) << "the loop ended, not a time-out";
  EXPECT_EQ(quitsLogged(), 1) << "the log tells why the program ended";

  p.click(QStringLiteral("Start Time Slice"));
  ASSERT_EQ(current(p), &states(p).timeSliceRunningState());
  AlertAnswerer cancel(QStringLiteral("Cancel"));
  EXPECT_EQ(runLoopWith(
                p, [&] { controller.tryToPerform(QStringLiteral("terminate")); }, 500),
            99)
      << "Cancel keeps the program running";
  EXPECT_EQ(quitsLogged(), 1) << "a cancelled quit is not logged as one";
  ASSERT_EQ(cancel.seen.size(), 1);
  EXPECT_TRUE(
      cancel.seen[0].startsWith(QStringLiteral("Are you sure you want to quit Korvane-R?")));

  AlertAnswerer ok(QStringLiteral("OK"));
  EXPECT_EQ(runLoopWith(p, [&] { controller.tryToPerform(QStringLiteral("terminate")); }), 0);
  EXPECT_EQ(ok.seen.size(), 1);
  EXPECT_EQ(quitsLogged(), 2);
}

TEST(Program, AMenuOfThePageClosesWhenThePageChangesUnderIt) {
  StartedProgram p(shortSlices());
  MainWindow* window = p.program->shell().appDelegate().mainWindow();
  window->show();
  PopUpButton* gear = nullptr;
  for (auto* button : window->findChildren<PopUpButton*>()) {
    if (button->isVisible() && !button->itemMenu()->actions().isEmpty())
      gear = button;
  }
  ASSERT_NE(gear, nullptr) << "the define page has a menu";
  QMenu* menu = gear->itemMenu();
  menu->popup(gear->mapToGlobal(QPoint(0, gear->height())));
  QCoreApplication::processEvents();
  ASSERT_EQ(QApplication::activePopupWidget(), menu);

  // The slice starts from outside the window (a global shortcut, the tray):
  // the running page replaces the define page, and its menu goes with it.
  p.program->shell().mainController().tryToPerform(QStringLiteral("startTimeSlice"));
  QCoreApplication::processEvents();
  ASSERT_EQ(current(p), &states(p).timeSliceRunningState());
  EXPECT_FALSE(menu->isVisible());
  EXPECT_EQ(QApplication::activePopupWidget(), nullptr);

  // The window's own menu is not the page's: a page change leaves it open.
  QMenu* main = window->controller().mainMenuButton()->menu();
  ASSERT_NE(main, nullptr);
  main->popup(window->mapToGlobal(QPoint(10, 10)));
  QCoreApplication::processEvents();
  p.program->shell().mainController().tryToPerform(QStringLiteral("pauseOrResumeTimeSlice"));
  QCoreApplication::processEvents();
  EXPECT_EQ(QApplication::activePopupWidget(), main);
  main->close();
}

TEST(Program, TheLogBookAndTheStatisticsShownFromTheMenuTakeTheKeyboard) {
  StartedProgram p(shortSlices());
  MainWindow* window = p.program->shell().appDelegate().mainWindow();
  window->show();
  QApplication::setActiveWindow(window);
  MainController& controller = p.program->shell().mainController();
  MainWindowController& windowController = window->controller();
  const auto show = [&](const char* action) {
    controller.tryToPerform(QString::fromLatin1(action));
    QCoreApplication::processEvents();
  };

  show("toggleStatisticsWindow");
  QWidget* chooser = windowController.statsController()->statisticPopUp();
  ASSERT_TRUE(chooser->isVisible());
  EXPECT_EQ(QApplication::focusWidget(), chooser);

  show("toggleLogBook");
  QWidget* list = windowController.logBookTableViewController()->tableView();
  ASSERT_TRUE(list->isVisible());
  EXPECT_EQ(QApplication::focusWidget(), list);

  // Hidden again, the pad leaves the keyboard to the page.
  show("toggleLogBook");
  EXPECT_FALSE(list->isVisible());
  EXPECT_NE(QApplication::focusWidget(), list);
}

TEST(Program, ASignalEndsTheProgramWithoutAsking) {
  StartedProgram p(shortSlices());
  p.click(QStringLiteral("Start Time Slice"));
  ASSERT_EQ(current(p), &states(p).timeSliceRunningState());
  AlertAnswerer none(QStringLiteral("OK"));
  kr::test::StepTimer elapsed;
  EXPECT_EQ(runLoopWith(p, [] { std::raise(SIGTERM); }), 0);
  EXPECT_LT(elapsed.elapsed(), elapsed.limit(2000));
  EXPECT_TRUE(none.seen.isEmpty()) << "a signal never waits for an answer";
}

// A quit while a start-up dialog is up (the mailing-list offer, before the
// event loop runs) is not lost: the dialog closes as "Not Now" would, and the
// loop ends as soon as it starts. A signal and the end of the session alike.
TEST(Program, AQuitDuringTheStartUpOfferIsNotLost) {
  for (const bool bySignal : {true, false}) {
    QStringList offers;
    QTimer watch;
    watch.setInterval(5);
    QObject::connect(&watch, &QTimer::timeout, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box || !box->isVisible() || !offers.isEmpty())
        return;
      offers << box->text();
      if (bySignal)
        std::raise(SIGTERM);
      else
        QCoreApplication::postEvent(qApp, new QEvent(QEvent::Quit));
    });
    watch.start();
    StartedProgram p({{QStringLiteral("mailing_list_launchCounter"), 5}});
    watch.stop();
    ASSERT_EQ(offers, QStringList{QStringLiteral("Would you like to join our mailing list?")});
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "the offer closed";
    UserDefaults& defaults = UserDefaults::standard();
    EXPECT_EQ(defaults.integer(QStringLiteral("mailing_list_launchCounter")), 6);
    EXPECT_FALSE(defaults.boolValue(QStringLiteral("mailing_list_haveShownJoinMailingListDialog")));
    kr::test::StepTimer elapsed;
    EXPECT_EQ(runLoopWith(p, [] {}), 0) << (bySignal ? "signal" : "end of the session");
    EXPECT_LT(elapsed.elapsed(), elapsed.limit(1000));
  }
}

TEST(Program, TheDefinePageShowsTheEventsOfTheCalendarFilesChosen) {
  // The test clock starts at 09:00 UTC; the meeting begins ten minutes later.
  QTemporaryDir folder;
  QFile file(folder.filePath(QStringLiteral("work.ics")));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//EN\r\n"
             "BEGIN:VEVENT\r\nUID:r\r\nDTSTAMP:20260101T000000Z\r\nSUMMARY:Review\r\n"
             "DTSTART:20260302T091000Z\r\nDTEND:20260302T094000Z\r\nEND:VEVENT\r\n"
             "END:VCALENDAR\r\n");
  file.close();
  StartedProgram p({{QStringLiteral("calendarFiles"), QStringList{folder.path()}}});
  ASSERT_EQ(current(p), &states(p).defineTimeSliceState());
  auto* strip = states(p).defineTimeSliceState().infoWall()->findChild<CalendarView*>();
  ASSERT_NE(strip, nullptr);
  // The file is read in the background; the next refreshes show its event.
  EXPECT_TRUE(QTest::qWaitFor(
      [&] {
        p.clock.advance(1);
        return !strip->calendarEvents().isEmpty();
      },
      5000));
  ASSERT_EQ(strip->calendarEvents().size(), 1);
  EXPECT_EQ(strip->calendarEvents()[0].title, QStringLiteral("Review"));
  EXPECT_TRUE(strip->bottomEventView()->isVisibleTo(strip));
  EXPECT_FALSE(strip->topEventView()->isVisibleTo(strip));
  // The page's section flags read a registered false.
  EXPECT_EQ(UserDefaults::standard().registeredValue(QStringLiteral("hideTagEditor")),
            QVariant(false));
  EXPECT_EQ(UserDefaults::standard().registeredValue(QStringLiteral("hideCalendarEvents")),
            QVariant(false));
}

// Start-up creates the user's own continuous sound: the "Sounds" menu lists
// the continuous sounds and switches it on and off.
TEST(Program, TheSoundsMenuHasTheStandAloneContinuousSound) {
  StartedProgram p;
  MainMenu& menu = p.program->shell().mainMenu();
  menu.validate();
  QStringList sounds;
  for (QAction* item : menu.continuousSoundsMenu()->actions())
    sounds.append(item->text());
  EXPECT_TRUE(sounds.contains(QStringLiteral("Pink Noise"))) << sounds.join(u',').toStdString();
  QAction* play = menu.itemSending(QStringLiteral("toggleStandaloneSound"));
  ASSERT_NE(play, nullptr);
  EXPECT_TRUE(play->isEnabled());
  EXPECT_FALSE(play->isChecked());
  play->trigger();
  EXPECT_TRUE(UserDefaults::standard().boolValue(QStringLiteral("standaloneSoundOn")));
  play->trigger();
  EXPECT_FALSE(UserDefaults::standard().boolValue(QStringLiteral("standaloneSoundOn")));
  for (const char* action : {"nextSound", "previousSound"})
    EXPECT_TRUE(menu.itemSending(QString::fromLatin1(action))->isEnabled()) << action;
}

TEST(Program, TheWindowHasTheStatisticsAndTheLogBookAndTaskLinksComeBackHome) {
  StartedProgram p({{QStringLiteral("loggerIsOn"), true}});
  const QStringList& steps = p.program->shell().steps();
  EXPECT_LT(steps.indexOf(QStringLiteral("AppDelegate awakeFromNib: statistics manager shared")),
            steps.indexOf(QStringLiteral("MainController will finish: statistics data set")));
  MainWindowController& window = p.program->shell().appDelegate().mainWindow()->controller();
  ASSERT_NE(window.statsController(), nullptr);
  ASSERT_NE(window.logBookTableViewController(), nullptr);
  EXPECT_EQ(&FullFeaturedStatisticsManager::sharedInstance(),
            window.statsController()->fullFeaturedStatsManager.get());
  // The File menu's export writes the log where the save panel says.
  MainMenu& menu = p.program->shell().mainMenu();
  menu.validate();
  QAction* exportItem = menu.itemSending(QStringLiteral("exportAsCSV"));
  ASSERT_NE(exportItem, nullptr);
  EXPECT_EQ(exportItem->text(), QStringLiteral("Export Logs in CSV Format\u2026"));
  ASSERT_TRUE(exportItem->isEnabled());
  {
    TestFilePanelPresenter panels;
    FilePanelPresenter::install(&panels);
    QTemporaryDir folder;
    panels.answer = folder.filePath(QStringLiteral("log.csv"));
    exportItem->trigger();
    FilePanelPresenter::install(nullptr);
    ASSERT_EQ(panels.saveRequests.size(), 1);
    // Written off the window's thread; the item waits meanwhile.
    menu.validate();
    EXPECT_FALSE(exportItem->isEnabled());
    ASSERT_TRUE(QTest::qWaitFor(
        [] { return !FullFeaturedStatisticsManager::sharedInstance().isExportingCSV(); }, 10000));
    QFile written(folder.filePath(QStringLiteral("log.csv")));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_TRUE(written.readLine().startsWith("uuid,start,end,"));
  }
  // A task link chosen in the log book reaches the program's own link handler.
  test::ConsoleCapture console;
  EXPECT_TRUE(UrlOpenerAPI::shared().open(QUrl(QStringLiteral("korvaner2things://show?id=7"))));
  EXPECT_TRUE(console.contains(QStringLiteral("getUrl [started]")));
  // Any other goes to the desktop's opener: in the tests, its stand-in, which
  // writes down the call in the home folder and opens nothing.
  EXPECT_TRUE(UrlOpenerAPI::shared().open(QUrl(QStringLiteral("https://example.org/t?id=7"))));
  QFile calls(test::temporaryHome() + QStringLiteral("/desktop-calls"));
  EXPECT_TRUE(QTest::qWaitFor(
      [&] {
        if (!calls.open(QIODevice::ReadOnly))
          return false;
        const QList<QByteArray> lines = calls.readAll().split('\n');
        calls.close();
        return lines.contains("xdg-open\thttps://example.org/t?id=7");
      },
      10000));
}

TEST(Program, PreferencesOpenFromTheMenuAndTheDistractionsRouteStaysChosen) {
  StartedProgram p;
  // Reads the open window's pane and closes it with Escape, from inside its run.
  const auto openAndRead = [&](const std::function<void()>& open) {
    QString shown;
    QTimer::singleShot(0, qApp, [&] {
      QWidget* dialog = QApplication::activeModalWidget();
      ASSERT_TRUE(dialog);
      EXPECT_EQ(dialog->objectName(), QStringLiteral("PreferencesPane"));
      if (auto* panes = dialog->findChild<QStackedWidget*>(QStringLiteral("preferencePanes")))
        shown = panes->currentWidget()->objectName();
      QTest::keyClick(dialog, Qt::Key_Escape);
    });
    open();
    EXPECT_FALSE(QApplication::activeModalWidget());
    return shown;
  };
  QAction* item =
      p.program->shell().mainMenu().itemSending(QStringLiteral("showPreferencesDialog"));
  ASSERT_TRUE(item);
  EXPECT_EQ(openAndRead([&] { item->trigger(); }), QStringLiteral("Notifications"));
  EXPECT_EQ(openAndRead([] {
              MainController::sharedInstance().tryToPerform(
                  QStringLiteral("showPreferencesDialogWithDistractionPanePreselected"));
            }),
            QStringLiteral("Distractions"));
  EXPECT_EQ(openAndRead([&] { item->trigger(); }), QStringLiteral("Distractions"));
  EXPECT_EQ(UserDefaults::standard().string(QStringLiteral("preferencesTabViewItemIdentifier")),
            QStringLiteral("Distractions"));
}
