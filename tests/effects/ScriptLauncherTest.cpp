#include "effects/ScriptLauncher.h"
#include "platform/files/SupportPaths.h"

#include "support/TestClock.h"
#include "support/TestEnvironment.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>

namespace {

class ScriptLauncherTest : public ::testing::Test {
protected:
  void writeScript(const QByteArray& body, bool executable = true) {
    QFile file(launcher.scriptPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("#!/bin/sh\n" + body);
    file.close();
    QFile::Permissions p = QFile::ReadOwner | QFile::WriteOwner;
    if (executable)
      p |= QFile::ExeOwner;
    file.setPermissions(p);
  }
  QString calls() {
    EXPECT_TRUE(launcher.waitForAllForTesting(10000));
    QFile file(folder.path() + QStringLiteral("/calls.txt"));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
  }
  // Lets the finished runs report back.
  void settle() {
    ASSERT_TRUE(launcher.waitForAllForTesting(10000));
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  kr::test::TestClock clock;
  QTemporaryDir folder{kr::test::temporaryHome() + QStringLiteral("/scripts-XXXXXX")};
  kr::ScriptLauncher launcher{folder.path()};
};

// Each argument on its own, framed, exactly as received.
const QByteArray kRecorder =
    "for a in \"$@\"; do printf '[%s]' \"$a\"; done >> \"$(dirname \"$0\")/calls.txt\"\n"
    "echo >> \"$(dirname \"$0\")/calls.txt\"\n";

TEST_F(ScriptLauncherTest, ArgumentsReachTheScriptUninterpreted) {
  writeScript(kRecorder);
  const QString nasty = QStringLiteral(
      "He said \"stop\" & it's $(touch pwned) `touch pwned2` ; $HOME * \\n 'quoted'  two  spaces");
  launcher.executeEventHandlerWithoutResult(QStringLiteral("time_slice_start"), nasty);
  EXPECT_EQ(calls(), QStringLiteral("[time_slice_start][%1]\n").arg(nasty));
  EXPECT_FALSE(QFile::exists(folder.path() + QStringLiteral("/pwned")));
  EXPECT_FALSE(QFile::exists(folder.path() + QStringLiteral("/pwned2")));
}

TEST_F(ScriptLauncherTest, InProgressEventsCarryTheNumberAsAThirdArgumentWithoutWrapping) {
  writeScript(kRecorder);
  launcher.executeEventHandlerWithoutResult(QStringLiteral("time_slice_in_progress"),
                                            QStringLiteral("5 minutes left"), 300);
  launcher.waitForAllForTesting(10000);
  launcher.executeEventHandlerWithoutResult(QStringLiteral("timed_break_in_progress"),
                                            QStringLiteral("x"), qint64(1) << 40);
  EXPECT_EQ(calls(), QStringLiteral("[time_slice_in_progress][5 minutes left][300]\n"
                                    "[timed_break_in_progress][x][2147483647]\n"));
}

TEST_F(ScriptLauncherTest, AMissingScriptIsSilentAndAnAddedOneIsUsedAtTheNextEvent) {
  kr::test::ConsoleCapture console;
  launcher.executeEventHandlerWithoutResult(QStringLiteral("time_slice_start"),
                                            QStringLiteral("a"));
  EXPECT_EQ(launcher.runningCount(), 0);
  EXPECT_TRUE(console.lines().isEmpty());
  writeScript(kRecorder);
  launcher.executeEventHandlerWithoutResult(QStringLiteral("time_slice_start"),
                                            QStringLiteral("b"));
  EXPECT_EQ(calls(), QStringLiteral("[time_slice_start][b]\n"));
  QFile::remove(launcher.scriptPath());
  launcher.executeEventHandlerWithoutResult(QStringLiteral("time_slice_start"),
                                            QStringLiteral("c"));
  EXPECT_EQ(calls(), QStringLiteral("[time_slice_start][b]\n"));
}

TEST_F(ScriptLauncherTest, AFailingScriptIsReportedOnceUntilItChanges) {
  kr::test::ConsoleCapture console;
  writeScript("echo 'no such handler' >&2\nexit 3\n");
  for (int i = 0; i < 3; ++i) {
    launcher.executeEventHandlerWithoutResult(QStringLiteral("time_slice_paused"),
                                              QStringLiteral("t"));
    settle();
  }
  ASSERT_EQ(console.lines().size(), 1);
  EXPECT_TRUE(console.lines().first().contains(
      QStringLiteral("\"time_slice_paused\" failed (exit code 3): no such handler")));

  writeScript("exit 0\n", false);
  launcher.executeEventHandlerWithoutResult(QStringLiteral("time_slice_paused"),
                                            QStringLiteral("t"));
  launcher.executeEventHandlerWithoutResult(QStringLiteral("time_slice_paused"),
                                            QStringLiteral("t"));
  ASSERT_EQ(console.lines().size(), 2);
  EXPECT_TRUE(console.lines().last().contains(QStringLiteral("is not an executable file")));
}

TEST_F(ScriptLauncherTest, AScriptThatHangsIsStoppedAtTheTimeLimitAndTheEventsGoOn) {
  kr::test::ConsoleCapture console;
  writeScript("sleep 600 &\nwait\n");
  launcher.setTimeLimit(10);
  launcher.executeEventHandlerWithoutResult(QStringLiteral("timed_break_in_progress"),
                                            QStringLiteral("t"), 5);
  EXPECT_EQ(launcher.runningCount(), 1);
  clock.advance(9);
  EXPECT_EQ(launcher.runningCount(), 1);
  clock.advance(1);
  settle();
  EXPECT_EQ(launcher.runningCount(), 0);
  ASSERT_EQ(console.lines().size(), 1);
  EXPECT_TRUE(console.lines().first().contains(QStringLiteral("did not finish within 10 s")));

  // Too many runs at once: the extra events are skipped, not queued.
  for (int i = 0; i < kr::ScriptLauncher::kMaximumRuns + 3; ++i)
    launcher.executeEventHandlerWithoutResult(QStringLiteral("h"), QStringLiteral("t"));
  EXPECT_EQ(launcher.runningCount(), kr::ScriptLauncher::kMaximumRuns);
  clock.advance(10);
  settle();
  EXPECT_EQ(launcher.runningCount(), 0);
}

TEST_F(ScriptLauncherTest, TheSampleScriptHandlesEveryEventWithoutFailing) {
  ASSERT_TRUE(QFile::copy(kr::ScriptLauncher::sampleScriptPath(), launcher.scriptPath()));
  kr::test::ConsoleCapture console;
  for (const char* handler :
       {"time_slice_start", "time_slice_elapsed", "time_slice_paused", "time_slice_was_stopped",
        "timed_break_start", "timed_break_end", "unknown_handler"}) {
    launcher.executeEventHandlerWithoutResult(QString::fromLatin1(handler),
                                              QStringLiteral("it's \"$(done)\""));
    ASSERT_TRUE(launcher.waitForAllForTesting(10000));
  }
  launcher.executeEventHandlerWithoutResult(QStringLiteral("time_slice_in_progress"),
                                            QStringLiteral("5 minutes left"), 300);
  launcher.executeEventHandlerWithoutResult(QStringLiteral("timed_break_in_progress"),
                                            QStringLiteral("x"), 59);
  settle();
  EXPECT_TRUE(console.lines().isEmpty()) << console.lines().join(u'\n').toStdString();
  QFile log(folder.path() + QStringLiteral("/NotificationHandler.log"));
  ASSERT_TRUE(log.open(QIODevice::ReadOnly));
  const QStringList lines = QString::fromUtf8(log.readAll()).split(u'\n', Qt::SkipEmptyParts);
  EXPECT_EQ(lines.size(), 7); // not the unknown handler, not a break second off the minute
  EXPECT_TRUE(lines.first().endsWith(QStringLiteral("slice started: it's \"$(done)\"")));
}

TEST(ScriptLauncherFolder, TheScriptsFolderIsCreatedOnRequestInTheConfigFolder) {
  kr::ScriptLauncher& shared = kr::ScriptLauncher::sharedScriptLauncher();
  EXPECT_EQ(shared.scriptPath(),
            kr::SupportPaths::scriptsFolder() + QStringLiteral("/NotificationHandler"));
  EXPECT_TRUE(shared.scriptPath().startsWith(kr::test::temporaryHome()));
  EXPECT_FALSE(QDir(kr::SupportPaths::scriptsFolder()).exists());
  EXPECT_EQ(shared.directoryURL(), kr::SupportPaths::scriptsFolder());
  EXPECT_TRUE(QDir(kr::SupportPaths::scriptsFolder()).exists());
}

} // namespace

namespace {
// The most memory this process has held so far, in kilobytes.
long peakResidentKilobytes() {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly))
    return -1;
  for (const QByteArray& line : status.readAll().split('\n')) {
    if (line.startsWith("VmHWM:"))
      return line.mid(6).trimmed().split(' ').first().toLong();
  }
  return -1;
}
} // namespace

TEST_F(ScriptLauncherTest, AHookFloodingItsErrorOutputKeepsOnlyWhatTheReportQuotes) {
  // 256 MB of error output: held whole, it would show in the peak memory.
  writeScript("printf 'first words of the flood ' >&2\n"
              "head -c 268435456 /dev/zero | tr '\\0' 'e' >&2\n"
              "exit 4\n");
  kr::test::ConsoleCapture console;
  const long before = peakResidentKilobytes();
  ASSERT_GT(before, 0);
  launcher.executeEventHandlerWithoutResult(QStringLiteral("time_slice_start"),
                                            QStringLiteral("x"));
  settle();
  const long grown = peakResidentKilobytes() - before;
#if !defined(__SANITIZE_ADDRESS__)
  // (AddressSanitizer holds freed memory back for a while, so there the
  // peak tells nothing.)
  EXPECT_LT(grown, 32 * 1024) << "the peak grew by " << grown << " kB";
#else
  (void)grown;
#endif
  // The report still quotes the beginning, cut at 200 characters.
  ASSERT_EQ(console.lines().size(), 1) << console.lines().join(u'\n').toStdString();
  const QString line = console.lines().first();
  EXPECT_TRUE(line.contains(QStringLiteral("failed (exit code 4): first words of the flood eee")))
      << line.toStdString();
  EXPECT_TRUE(line.endsWith(QString(200 - 25, u'e'))) << line.size();
}

namespace {

// A process that is gone, or has ended and waits only to be collected.
bool processEnded(qint64 pid) {
  QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
  if (!stat.open(QIODevice::ReadOnly))
    return true;
  const QByteArray text = stat.readAll();
  const qsizetype close = text.lastIndexOf(')');
  return close < 0 || text.mid(close + 2, 1) == "Z";
}

TEST_F(ScriptLauncherTest, StoppingAllRunsEndsAHangingRunAndWhatItStartedWithoutWaiting) {
  writeScript("sleep 1000 &\necho $! > \"$(dirname \"$0\")/child.pid\"\nsleep 1000\n");
  launcher.executeEventHandlerWithoutResult(QStringLiteral("time_slice_start"), QString());
  QFile pidFile(folder.path() + QStringLiteral("/child.pid"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return pidFile.size() > 0; }, 10000));
  ASSERT_TRUE(pidFile.open(QIODevice::ReadOnly));
  const qint64 child = pidFile.readAll().trimmed().toLongLong();
  ASSERT_GT(child, 0);
  ASSERT_EQ(launcher.runningCount(), 1);
  ASSERT_FALSE(processEnded(child));

  launcher.stopAllRuns();
  EXPECT_TRUE(launcher.waitForAllForTesting(10000));
  EXPECT_EQ(launcher.runningCount(), 0);
  EXPECT_TRUE(QTest::qWaitFor([&] { return processEnded(child); }, 10000));
  if (!processEnded(child))
    ::kill(pid_t(child), SIGKILL);
}

// At quit every process a hook started ends: one left behind when the script
// ended, and one that left the run's process group; a program the user opened
// from Korvane-R (a browser) stays.
TEST_F(ScriptLauncherTest, StoppingAllRunsEndsWhatHooksLeftBehindAndNothingElse) {
  writeScript("cd \"$(dirname \"$0\")\"\n"
              "sleep 1000 &\necho $! > left.pid\n"
              "setsid sleep 1000 &\necho $! > session.pid\n");
  launcher.executeEventHandlerWithoutResult(QStringLiteral("time_slice_start"), QString());
  settle();
  const auto pidIn = [this](const char* name) {
    QFile file(folder.path() + u'/' + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed().toLongLong() : 0;
  };
  const qint64 left = pidIn("left.pid");
  const qint64 session = pidIn("session.pid");
  ASSERT_GT(left, 0);
  ASSERT_GT(session, 0);
  qint64 browser = 0;
  ASSERT_TRUE(
      QProcess::startDetached(QStringLiteral("sleep"), {QStringLiteral("1000")}, {}, &browser));
  ASSERT_EQ(launcher.runningCount(), 0);
  ASSERT_FALSE(processEnded(left));
  ASSERT_FALSE(processEnded(session));

  launcher.stopAllRuns();
  EXPECT_TRUE(QTest::qWaitFor([&] { return processEnded(left) && processEnded(session); }, 10000));
  EXPECT_FALSE(processEnded(browser)) << "not a hook's";
  for (const qint64 pid : {left, session, browser})
    ::kill(pid_t(pid), SIGKILL);
}

} // namespace
