#include "shell/ApplicationShell.h"

#include "shell/AppDelegate.h"

#include "engine/Clock.h"
#include "engine/StateMachine.h"
#include "platform/linux/x11/X11IdleTimeBackend.h"
#include "platform/services/TestActivityMonitor.h"
#include "platform/services/TestAlertPresenter.h"
#include "platform/settings/DefaultsStorageAPI.h"
#include "platform/settings/UserDefaults.h"
#include "states/DefineTimeSliceState.h"
#include "states/StateLinkingHelper.h"
#include "support/TestClock.h"
#include "window/MainWindow.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QTest>

using namespace kr;

// Runs on a real X server: the idle time comes from the server, and the main
// window is drawn on screen and saved for a look.
TEST(MainWindowOnX11, IdleTimeIsReadFromTheServer) {
  ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
  QString why;
  auto backend = X11IdleTimeBackend::create(&why);
  ASSERT_NE(backend, nullptr) << why.toStdString();
  const auto idle = backend->idleMilliseconds();
  ASSERT_TRUE(idle.has_value());
  EXPECT_LT(*idle, 24u * 3600u * 1000u);
}

TEST(MainWindowOnX11, LaunchShowsTheDefinePageAndSavesAScreenshot) {
  test::TestClock clock;
  TestDefaultsStorage storage;
  storage.store(qint64{3}, QStringLiteral("launchManagerLaunchCounter"));
  TestDateProvider date;
  TestAlertPresenter alerts;
  ScopedAlertPresenter installedAlerts(alerts);
  ShellContext context;
  context.defaults = &UserDefaults::standard();
  context.defaultsStorage = &storage;
  context.dateProvider = &date;
  context.makeActivityMonitor = [] { return std::make_unique<TestActivityMonitor>(); };
  ApplicationShell shell(std::move(context));
  shell.launch();
  MainWindow* window = shell.appDelegate().mainWindow();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
  EXPECT_EQ(shell.stateMachine().currentState(),
            &shell.stateLinkingHelper().defineTimeSliceState());
  QTest::qWait(50);
  const QPixmap shot = window->grab();
  const QString path = QStringLiteral(KR_BUILD_DIR "/main-window.png");
  ASSERT_TRUE(shot.save(path)) << path.toStdString();
  // The window is placed inside the screen's visible area.
  const QRect visible = window->screen()->availableGeometry();
  EXPECT_TRUE(visible.contains(window->frameGeometry().topLeft()));
  EXPECT_EQ(window->width(), 442);
}
