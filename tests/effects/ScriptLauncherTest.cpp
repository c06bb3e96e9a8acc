#include "effects/ScriptLauncher.h"
#include "platform/files/SupportPaths.h"

#include "support/StepTimer.h"
#include "support/TestClock.h"
#include "support/TestEnvironment.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/prctl.h>
#include <sys/wait.h>

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
  // Waits until every hook has ended: within `ms`, a bound that is not met
  // only when something hangs.
  void settle(int ms = 10000) {
    ASSERT_TRUE(launcher.waitForAllForTesting(ms));
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
  // 256 MB through a pipe: under the sanitizers on two busy cores, far
  // longer than the other hooks take.
  settle(120000);
  const long grown = peakResidentKilobytes() - before;
#if !KR_ADDRESS_SANITIZER
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

// How a process ended: the signal that ended it, or 0 when it ended
// otherwise or is not this test's to collect.
int endingSignal(qint64 pid) {
  int status = 0;
  if (::waitpid(pid_t(pid), &status, 0) != pid_t(pid))
    return 0;
  return WIFSIGNALED(status) ? WTERMSIG(status) : 0;
}

// Whether the process runs `sleep` by now: its shell has forked and, for
// setsid, left the group.
bool runsSleep(qint64 pid) {
  QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
  return comm.open(QIODevice::ReadOnly) && comm.readAll().trimmed() == "sleep";
}

// At quit a hook still going gets SIGTERM with its process group, and SIGKILL
// after a grace if it ignores that; a program a hook left running when it
// ended, or that left the hook's group, is the user's and stays. Each hook
// starts two programs (one in its group, one in a session of its own); this
// test adopts them, and ends each that is still there with SIGUSR1, so the
// signal each ended with tells who ended it.
TEST_F(ScriptLauncherTest, StoppingAllRunsEndsRunsStillGoingAndLeavesWhatHooksLeftBehind) {
  ASSERT_EQ(::prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
  const auto file = [this](const char* name) { return folder.filePath(QLatin1String(name)); };
  const auto pidIn = [&](const char* name) {
    QFile pid(file(name));
    return pid.open(QIODevice::ReadOnly) ? pid.readAll().trimmed().toLongLong() : 0;
  };
  struct Case {
    const char* name;
    QByteArray trap; // what the hook does on SIGTERM
    bool waits;      // whether it waits for what it started
    int group;       // the signal its group's program ends with
    bool termed;     // whether the hook took SIGTERM itself
    qint64 atLeastMs;
  };
  const Case cases[] = {
      {"a hook that ends on SIGTERM", "trap 'echo > termed; exit 0' TERM\n", true, SIGTERM, true,
       0},
      {"a hook that ignores SIGTERM", "trap '' TERM\n", true, SIGKILL, false, 250},
      {"a hook that ended", "", false, SIGUSR1, false, 0}};
  for (const Case& c : cases) {
    for (const char* name : {"ready", "termed", "group.pid", "session.pid"})
      QFile::remove(file(name));
    // Started from subshells that end at once, as an opener starts a
    // browser: their hook never collects them.
    writeScript(c.trap +
                "cd \"$(dirname \"$0\")\"\n"
                "(sleep 1000 & echo $! > group.pid)\n"
                "(setsid sleep 1000 & echo $! > session.pid)\n"
                "echo > ready\n" +
                (c.waits ? "sleep 1000 & wait $!\n" : ""));
    launcher.executeEventHandlerWithoutResult(QStringLiteral("time_slice_start"), QString());
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(file("ready")); }, 10000)) << c.name;
    const qint64 group = pidIn("group.pid");
    const qint64 session = pidIn("session.pid");
    ASSERT_TRUE(QTest::qWaitFor([&] { return runsSleep(group) && runsSleep(session); }, 10000))
        << c.name;
    if (!c.waits)
      settle();
    ASSERT_EQ(launcher.runningCount(), c.waits ? 1 : 0) << c.name;

    kr::test::StepTimer quit;
    launcher.stopAllRuns();
    const qint64 took = quit.elapsed();
    EXPECT_GE(took, c.atLeastMs) << c.name;
    EXPECT_LT(took, quit.limit(500)) << c.name;
    settle();
    EXPECT_EQ(QFile::exists(file("termed")), c.termed) << c.name;
    for (const qint64 pid : {group, session})
      ::kill(pid_t(pid), SIGUSR1);
    EXPECT_EQ(endingSignal(group), c.group) << c.name;
    EXPECT_EQ(endingSignal(session), SIGUSR1) << c.name << ": a session of its own stays";
  }
}

} // namespace
