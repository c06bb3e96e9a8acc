#include "shell/ApplicationShell.h"
#include "shell/MainController.h"
#include "shell/StandardHooks.h"
#include "shell/UrlHandler.h"

#include "engine/Clock.h"
#include "engine/LogFileManager.h"
#include "engine/StateMachine.h"
#include "platform/QnLog.h"
#include "platform/files/FolderContentMonitor.h"
#include "platform/services/TestActivityMonitor.h"
#include "platform/services/TestAlertPresenter.h"
#include "platform/services/TestHtmlView.h"
#include "platform/services/TestTaskManagerBridge.h"
#include "platform/services/TestUrlOpener.h"
#include "platform/settings/DefaultsStorageAPI.h"
#include "platform/settings/UserDefaults.h"
#include "shell/AppDelegate.h"
#include "states/PageServices.h"
#include "states/StateLinkingHelper.h"
#include "states/TimeSliceRunningState.h"
#include "support/TestClock.h"
#include "support/TestEnvironment.h"
#include "window/HelpManager.h"
#include "window/HelpViewController.h"
#include "window/MainMenu.h"
#include "window/MainWindow.h"
#include "window/MainWindowController.h"

#include "LaunchedMachine.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QRegularExpression>

using namespace kr;

namespace {

using Machine = test::LaunchedMachine;

struct LoggerOn {
  LoggerOn() { QnLog::setOn(true); }
  ~LoggerOn() { QnLog::setOn(false); }
};

} // namespace

TEST(StandardHooks, StartUpArmsTheLogReloadAndWatchesTheLogFolder) {
  Machine m;
  ShellContext context = m.context();
  StandardHooks::installLogFileHooks(context.hooks);
  LogFileManager& manager = LogFileManager::sharedInstance();
  ASSERT_FALSE(manager.isReloadPending());
  ASSERT_FALSE(manager.monitor().isStarted());
  ApplicationShell shell(std::move(context));
  shell.launch();
  EXPECT_TRUE(manager.isReloadPending());
  EXPECT_TRUE(manager.monitor().isStarted());
  ASSERT_EQ(manager.monitor().pathsToWatch().size(), 1);
  EXPECT_TRUE(
      manager.monitor().pathsToWatch().first().startsWith(QString::fromLocal8Bit(qgetenv("HOME"))));
  // The reload runs about a second later.
  const int started = manager.reloadsStarted();
  m.clock.advance(1.1);
  EXPECT_EQ(manager.reloadsStarted(), started + 1);
  // The menu's "force log read" asks for the next one.
  EXPECT_FALSE(manager.isReloadPending());
  EXPECT_TRUE(shell.mainController().tryToPerform(QStringLiteral("forceLogRead")));
  EXPECT_TRUE(manager.isReloadPending());
  m.clock.advance(1.1);
  EXPECT_EQ(manager.reloadsStarted(), started + 2);
}

TEST(UrlHandler, ThingsLinksAreLookedUpAndOtherLinksOnlyLogged) {
  LoggerOn logger;
  TestTaskManagerBridge bridge;
  UrlHandler handler(bridge);
  {
    // Things is absent (always so on Linux): nothing but console lines.
    test::ConsoleCapture console;
    handler.getUrl(QStringLiteral("korvaner2things://todo-42"));
    EXPECT_TRUE(console.contains(QStringLiteral("getUrl [started]")));
    EXPECT_TRUE(console.contains(QStringLiteral("could not find Things application")));
    EXPECT_TRUE(console.contains(QStringLiteral("\"todo-42\" of the link cannot be shown")));
    EXPECT_FALSE(console.contains(QStringLiteral("url scheme activated!")));
  }
  bridge.installed.insert(TaskManagerBridge::Application::Things);
  bridge.thingsToDos.insert(QStringLiteral("todo-42"));
  {
    test::ConsoleCapture console;
    handler.getUrl(QStringLiteral("korvaner2things://todo-42"));
    EXPECT_TRUE(console.contains(QStringLiteral("things application: Things")));
    EXPECT_TRUE(console.contains(QStringLiteral("Things would show the to-do \"todo-42\"")));
    EXPECT_TRUE(console.contains(QStringLiteral("url scheme activated!")));
  }
  {
    // An unknown to-do: no error, only the closing line.
    test::ConsoleCapture console;
    handler.getUrl(QStringLiteral("korvaner2things://gone"));
    EXPECT_FALSE(console.contains(QStringLiteral("would show")));
    EXPECT_TRUE(console.contains(QStringLiteral("url scheme activated!")));
  }
  const qsizetype calls = bridge.journal.size();
  {
    test::ConsoleCapture console;
    handler.getUrl(QStringLiteral("https://example.org/x"));
    EXPECT_TRUE(console.contains(QStringLiteral("url scheme activated!")));
    EXPECT_EQ(bridge.journal.size(), calls); // Things is not asked
  }
}

TEST(ApplicationShell, ArgumentsOpenLinksAndPerformOnlyTheDesktopActions) {
  HtmlView::installFactory([](QWidget* parent) { return new TestHtmlView(parent); });
  Machine m;
  ShellContext context = m.context();
  bool quit = false;
  context.quitApplication = [&quit] { quit = true; };
  {
    ApplicationShell shell(std::move(context));
    shell.launch();
    test::ConsoleCapture console;
    shell.openUrls({QStringLiteral("--perform"), QStringLiteral("korvaner2things://abc")});
    EXPECT_TRUE(console.contains(QStringLiteral("\"abc\" of the link cannot be shown")));
    shell.performRequestedActions({QStringLiteral("--perform"), QStringLiteral("toggleLogBook")});
    EXPECT_TRUE(console.contains(QStringLiteral("Unknown action \"toggleLogBook\" ignored")));
    MainWindowController& window = shell.appDelegate().mainWindow()->controller();
    EXPECT_EQ(window.helpController(), nullptr);
    shell.performRequestedActions({QStringLiteral("--perform"), QStringLiteral("showHelp")});
    ASSERT_NE(window.helpController(), nullptr);
    EXPECT_TRUE(window.helpController()->view()->isVisibleTo(&window.window()));
    shell.performRequestedActions(
        {QStringLiteral("--perform"), QStringLiteral("attemptToTriggerStartTimeSlice")});
    EXPECT_EQ(shell.stateMachine().currentState(),
              &shell.stateLinkingHelper().timeSliceRunningState());
    EXPECT_FALSE(quit);
    shell.performRequestedActions({QStringLiteral("--perform"), QStringLiteral("terminate")});
    EXPECT_TRUE(quit);
  }
  HtmlView::installFactory(nullptr);
}

TEST(DesktopEntry, HandlesTheLinkSchemeAndOffersTheMainActions) {
  QFile file(QStringLiteral(KR_SOURCE_DIR "/resources/desktop/korvane-r.desktop"));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly | QIODevice::Text));
  const QString text = QString::fromUtf8(file.readAll());
  EXPECT_TRUE(text.contains(QStringLiteral("\nMimeType=x-scheme-handler/korvaner2things;\n")));
  EXPECT_TRUE(text.contains(QStringLiteral("\nExec=korvane-r %u\n")));
  const QRegularExpression actionsLine(QStringLiteral("^Actions=(.*);$"),
                                       QRegularExpression::MultilineOption);
  const QStringList actions = actionsLine.match(text).captured(1).split(u';');
  EXPECT_EQ(actions.size(), 4);
  for (const QString& action : actions) {
    const QRegularExpression section(
        QStringLiteral("\\[Desktop Action %1\\]\nName=[^\n]+\nExec=korvane-r --perform (\\w+)\n")
            .arg(action));
    const QRegularExpressionMatch match = section.match(text);
    ASSERT_TRUE(match.hasMatch()) << action.toStdString();
    EXPECT_TRUE(ApplicationShell::kDesktopActions.contains(match.captured(1)))
        << match.captured(1).toStdString();
  }
}

TEST(HelpHooks, TheFirstLaunchShowsTheWelcomePageAndThePagesAndMenusReachTheHelp) {
  HtmlView::installFactory([](QWidget* parent) { return new TestHtmlView(parent); });
  TestUrlOpener opener;
  ScopedUrlOpener scopedOpener(opener);
  Machine m;
  m.storage.store(qint64{0}, QStringLiteral("launchManagerLaunchCounter")); // the first launch
  {
    ApplicationShell shell(m.context());
    shell.launch();
    MainWindowController& window = shell.appDelegate().mainWindow()->controller();
    ASSERT_NE(window.helpController(), nullptr);
    auto* web = static_cast<TestHtmlView*>(window.helpController()->webView());
    ASSERT_NE(web, nullptr);
    // The viewer fills the help pad beside the page.
    const auto helpShown = [&] {
      return window.isPadSectionVisible() &&
             window.helpController()->view()->isVisibleTo(&window.window());
    };
    EXPECT_TRUE(helpShown());
    // Welcome once: the second request for the page shown adds nothing.
    EXPECT_EQ(web->loadedFiles(),
              QStringList{HelpManager::pageUrl(QStringLiteral("welcome.html")).toLocalFile()});

    // The pages' help buttons, the menu and the integrations' actions.
    shell.mainController().tryToPerform(QStringLiteral("toggleHelpPad"));
    EXPECT_FALSE(helpShown());
    PageServices::shared().callShowHelpPage(QStringLiteral("lock_screen.html"));
    EXPECT_EQ(web->url().fileName(), QStringLiteral("lock_screen.html"));
    EXPECT_TRUE(helpShown());
    PageServices::shared().callShowHelpPage(QStringLiteral("input_monitoring.html"), true);
    EXPECT_EQ(opener.opened,
              QList<QUrl>{HelpManager::pageUrl(QStringLiteral("input_monitoring.html"))});
    // The menu enables the item as it opens.
    QAction* helpItem = shell.mainMenu().itemSending(QStringLiteral("showHelp"));
    helpItem->setEnabled(false);
    for (QAction* top : shell.mainMenu().menu()->actions()) {
      if (top->menu() && top->menu()->actions().contains(helpItem))
        Q_EMIT top->menu()->aboutToShow();
    }
    EXPECT_TRUE(helpItem->isEnabled());
    shell.mainMenu().itemSending(QStringLiteral("showHelp"))->trigger();
    EXPECT_EQ(web->url().fileName(), QStringLiteral("welcome.html"));
    const std::pair<const char*, const char*> actions[] = {
        {"showThingsIntegrationHelp", "things.html"},
        {"showOmniFocusIntegrationHelp", "omnifocus.html"},
        {"showHushboxIntegrationHelp", "hushbox.html"}};
    for (const auto& [action, page] : actions) {
      EXPECT_TRUE(shell.mainController().tryToPerform(QString::fromUtf8(action)));
      EXPECT_EQ(web->url().fileName(), QString::fromUtf8(page));
    }
    EXPECT_EQ(opener.opened.size(), 1); // all of them in the help pad
    // Another pad shown hides the help pad; the menu's help brings it back.
    shell.mainController().tryToPerform(QStringLiteral("toggleLogBook"));
    EXPECT_FALSE(helpShown());
    shell.mainMenu().itemSending(QStringLiteral("showHelp"))->trigger();
    EXPECT_TRUE(helpShown());
  }
  // Once the shell is gone, nothing reaches its help.
  EXPECT_FALSE(PageServices::shared().showHelpPage);
  EXPECT_FALSE(HelpManager::showPage(QStringLiteral("index.html"), false));
  HtmlView::installFactory(nullptr);
}
