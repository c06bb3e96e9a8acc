#include "shell/ApplicationShell.h"

#include "shell/AppDelegate.h"

#include "engine/StateMachine.h"
#include "platform/settings/UserDefaults.h"
#include "window/MainWindow.h"

#include "LaunchedMachine.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScopeGuard>
#include <QTest>
#include <QWindow>

#include <string>
#include <vector>

using namespace kr;

// On a real X server, pages shown one after another with no event processed
// in between (the running page hides the window before the server has
// answered the define page's show) leave the window, once it comes to the
// front, at the fitting height of the page it shows.
TEST(PageSwitchOnX11, QuickPageChangesEndAtTheShownPagesFittingHeight) {
  ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
  const std::vector<std::vector<const char*>> paths = {
      {"next"},
      {"next", "softBreak"},
      {"next", "aborted", "skipLogging", "informalBreak"},
  };
  for (const auto& path : paths) {
    test::LaunchedMachine m;
    UserDefaults& defaults = UserDefaults::standard();
    // The rest screen would cover the screens during a timed break.
    defaults.setValue(QStringLiteral("lockScreenDuringBreak"), false);
    const auto restore =
        qScopeGuard([&] { defaults.remove(QStringLiteral("lockScreenDuringBreak")); });
    ApplicationShell shell(m.context());
    shell.launch();
    std::string trace;
    for (const char* transition : path) {
      shell.stateMachine().triggerTransition(QString::fromLatin1(transition));
      trace += std::string(transition) + " ";
    }
    SCOPED_TRACE(trace);
    MainWindow* window = shell.appDelegate().mainWindow();
    // The server's late answers arrive, then the window comes to the front.
    QTest::qWait(200);
    shell.appDelegate().makeFront();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    QTest::qWait(200);
    const int fitting = window->sizeHint().height();
    EXPECT_EQ(window->height(), fitting);
    ASSERT_NE(window->windowHandle(), nullptr);
    EXPECT_EQ(window->windowHandle()->height(), fitting);
  }
}
