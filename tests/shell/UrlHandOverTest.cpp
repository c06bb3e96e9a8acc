#include "LaunchedMachine.h"

#include "shell/AppDelegate.h"
#include "shell/ApplicationShell.h"

#include "platform/linux/dbus/SingleInstance.h"
#include "support/TestEnvironment.h"
#include "window/MainWindow.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>

using namespace kr;

namespace {

// The shell as the running program has it, on the test clock.
struct RunningShell {
  RunningShell() : shell(machine.context()) { shell.launch(); }
  test::LaunchedMachine machine;
  ApplicationShell shell;
};

// Starts the real program with the arguments and waits for it to end, the
// event loop running meanwhile (so a running one can answer it).
bool runToTheEnd(QProcess& program, const QStringList& arguments) {
  QSignalSpy finished(&program, &QProcess::finished);
  program.start(QStringLiteral(KR_APP_PATH), arguments);
  return program.waitForStarted(10000) && finished.wait(20000);
}

} // namespace

// The running application owns the session name; a second launch of the real
// program with a link hands it over and ends, and the first one opens it.
TEST(UrlHandOver, ALinkGivenToASecondLaunchIsOpenedByTheFirst) {
  RunningShell running;
  ApplicationShell& shell = running.shell;

  SingleInstance first;
  ASSERT_EQ(first.claim(), SingleInstance::Claim::first);
  QObject::connect(&first, &SingleInstance::activationRequested,
                   [&shell](const QStringList& arguments) { shell.handOver(arguments); });
  QSignalSpy handedOver(&first, &SingleInstance::activationRequested);

  shell.appDelegate().hide();
  test::ConsoleCapture console;
  QProcess second;
  second.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  second.start(QStringLiteral(KR_APP_PATH), {QStringLiteral("korvaner2things://todo-42")});
  ASSERT_TRUE(second.waitForStarted(10000));
  // The first instance answers from its event loop while the second waits.
  ASSERT_TRUE(handedOver.wait(20000));
  ASSERT_TRUE(second.waitForFinished(20000));
  EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(second.exitCode(), 0);
  ASSERT_EQ(handedOver.size(), 1);
  EXPECT_EQ(handedOver.at(0).at(0).toStringList(),
            QStringList{QStringLiteral("korvaner2things://todo-42")});
  // Things does not exist here: the handler says which to-do it could not show.
  EXPECT_TRUE(console.contains(QStringLiteral("\"todo-42\" of the link cannot be shown")));
  // And the first instance came forward.
  EXPECT_FALSE(shell.appDelegate().isHidden());
  EXPECT_TRUE(shell.appDelegate().mainWindow()->isVisible());
}

// A misspelt action is refused before anything starts, with the name and a
// failure status: with none running, no program starts (no settings, no
// login item written); with one running, nothing is handed over to it.
TEST(UrlHandOver, AnUnknownActionIsRefusedWhetherOrNotTheProgramRuns) {
  const QStringList arguments = {QStringLiteral("--perform"),
                                 QStringLiteral("attemptToTriggerStartTimeSlise")};
  const QString message = QStringLiteral("no action \"attemptToTriggerStartTimeSlise\"");

  QTemporaryDir home;
  ASSERT_TRUE(home.isValid());
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("HOME"), home.path());
  environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + QStringLiteral("/config"));
  environment.insert(QStringLiteral("XDG_DATA_HOME"), home.path() + QStringLiteral("/data"));
  QProcess alone;
  alone.setProcessEnvironment(environment);
  const bool ended = runToTheEnd(alone, arguments);
  if (!ended) {
    alone.kill();
    alone.waitForFinished();
  }
  ASSERT_TRUE(ended) << "the whole program started";
  EXPECT_NE(alone.exitCode(), 0);
  EXPECT_TRUE(QString::fromLocal8Bit(alone.readAllStandardError()).contains(message));
  EXPECT_FALSE(QDir(home.path() + QStringLiteral("/config")).exists())
      << "settings or a login item were written";
  EXPECT_FALSE(QDir(home.path() + QStringLiteral("/data")).exists());

  RunningShell running;
  SingleInstance first;
  ASSERT_EQ(first.claim(), SingleInstance::Claim::first);
  QSignalSpy handedOver(&first, &SingleInstance::activationRequested);
  QProcess second;
  ASSERT_TRUE(runToTheEnd(second, arguments));
  QCoreApplication::processEvents();
  EXPECT_NE(second.exitCode(), 0);
  EXPECT_TRUE(QString::fromLocal8Bit(second.readAllStandardError()).contains(message));
  EXPECT_TRUE(handedOver.isEmpty());
}
