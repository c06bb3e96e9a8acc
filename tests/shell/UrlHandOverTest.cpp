#include "shell/AppDelegate.h"
#include "shell/ApplicationShell.h"

#include "engine/Clock.h"
#include "platform/linux/dbus/SingleInstance.h"
#include "platform/services/TestActivityMonitor.h"
#include "platform/services/TestAlertPresenter.h"
#include "platform/settings/DefaultsStorageAPI.h"
#include "platform/settings/UserDefaults.h"
#include "support/TestClock.h"
#include "support/TestEnvironment.h"
#include "window/MainWindow.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QSignalSpy>

using namespace kr;

// The running application owns the session name; a second launch of the real
// program with a link hands it over and ends, and the first one opens it.
TEST(UrlHandOver, ALinkGivenToASecondLaunchIsOpenedByTheFirst) {
  test::TestClock clock;
  TestDefaultsStorage storage;
  TestDateProvider date;
  date.testCurrentTimeIntervalFromReferenceDate = clock.now();
  TestAlertPresenter alerts;
  ScopedAlertPresenter installedAlerts(alerts);
  ShellContext context;
  context.defaults = &UserDefaults::standard();
  context.defaultsStorage = &storage;
  context.dateProvider = &date;
  context.makeActivityMonitor = [] { return std::make_unique<TestActivityMonitor>(); };
  context.quitApplication = [] {};
  ApplicationShell shell(std::move(context));
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
