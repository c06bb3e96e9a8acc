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

using namespace kr;

// The running application owns the session name; a second launch of the real
// program with a link hands it over and ends, and the first one opens it.
TEST(UrlHandOver, ALinkGivenToASecondLaunchIsOpenedByTheFirst) {
  test::LaunchedMachine machine;
  ApplicationShell shell(machine.context());
  shell.launch();

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

// A misspelt action is refused before anything starts, with its name and a
// failure status: alone, no program starts and nothing is written (settings,
// login item); beside a running one, nothing is handed over.
TEST(UrlHandOver, AnUnknownActionIsRefusedWhetherOrNotTheProgramRuns) {
  const auto refused = [](QProcess& program) {
    QSignalSpy finished(&program, &QProcess::finished);
    program.start(QStringLiteral(KR_APP_PATH),
                  {QStringLiteral("--perform"), QStringLiteral("attemptToTriggerStartTimeSlise")});
    // The event loop runs meanwhile, so that a running one could answer.
    const bool ended = program.waitForStarted(10000) && finished.wait(20000);
    if (!ended) {
      program.kill();
      program.waitForFinished();
    }
    return ended && program.exitCode() != 0 &&
           QString::fromLocal8Bit(program.readAllStandardError())
               .contains(QStringLiteral("no action \"attemptToTriggerStartTimeSlise\""));
  };
  const auto written = [] {
    QStringList entries;
    for (const char* folder : {"/config", "/data"})
      entries += QDir(test::temporaryHome() + QLatin1String(folder))
                     .entryList(QDir::NoDotAndDotDot | QDir::AllEntries);
    return entries;
  };
  const QStringList before = written();
  QProcess alone;
  EXPECT_TRUE(refused(alone));
  EXPECT_EQ(written(), before) << "settings or a login item were written";

  SingleInstance first;
  ASSERT_EQ(first.claim(), SingleInstance::Claim::first);
  QSignalSpy handedOver(&first, &SingleInstance::activationRequested);
  QProcess second;
  EXPECT_TRUE(refused(second));
  QCoreApplication::processEvents();
  EXPECT_TRUE(handedOver.isEmpty());
}
