#include "shell/ApplicationShell.h"

#include "shell/AppDelegate.h"
#include "shell/MainController.h"

#include "engine/Clock.h"
#include "engine/StateMachine.h"
#include "kit/walls/Wall.h"
#include "platform/BundleInfo.h"
#include "platform/services/TestActivityMonitor.h"
#include "platform/services/TestAlertPresenter.h"
#include "platform/services/TestUrlOpener.h"
#include "platform/settings/DefaultsStorageAPI.h"
#include "platform/settings/UserDefaults.h"
#include "states/AppDelegateAPI.h"
#include "states/DefineTimeSliceState.h"
#include "states/RateTimeSliceState.h"
#include "states/StateLinkingHelper.h"
#include "states/TimeSliceRunningState.h"
#include "states/WelcomeState.h"
#include "support/TestClock.h"
#include "window/MainMenu.h"
#include "window/MainWindow.h"
#include "window/MainWindowController.h"
#include "window/MenuItemManager.h"
#include "window/MenuPlaceHolderHelper.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QLineEdit>
#include <QMenu>

using namespace kr;

namespace {

// What survives between two launches: the settings.
struct Machine {
  Machine() {
    UserDefaults::standard().remove(QStringLiteral("firstLaunch"));
    UserDefaults::standard().remove(QStringLiteral("topLeftX"));
    UserDefaults::standard().remove(QStringLiteral("topLeftY"));
    date.testCurrentTimeIntervalFromReferenceDate = clock.now();
  }
  test::TestClock clock;
  TestDefaultsStorage storage;
  TestDateProvider date;
  TestAlertPresenter alerts;
  ScopedAlertPresenter installedAlerts{alerts};
  QStringList hooksCalled;
  int quits = 0;
};

// A machine that has launched before.
void markLaunchedBefore(Machine& m) {
  m.storage.store(qint64{5}, QStringLiteral("launchManagerLaunchCounter"));
  UserDefaults::standard().setValue(QStringLiteral("firstLaunch"), false);
}

ShellContext contextFor(Machine& m) {
  ShellContext context;
  context.defaults = &UserDefaults::standard();
  context.defaultsStorage = &m.storage;
  context.dateProvider = &m.date;
  context.makeActivityMonitor = [] { return std::make_unique<TestActivityMonitor>(); };
  context.quitApplication = [&m] { ++m.quits; };
  context.hooks.showWelcomeHelp = [&m] { m.hooksCalled.append(QStringLiteral("welcome help")); };
  context.hooks.saveAllPads = [&m] {
    m.hooksCalled.append(QStringLiteral("pads saved"));
    return QStringList();
  };
  context.hooks.addLoginItem = [&m] { m.hooksCalled.append(QStringLiteral("login item")); };
  context.hooks.openUrl = [&m](const QString& url) { m.hooksCalled.append(url); };
  return context;
}

const QStringList kLaunchOrder = {
    QStringLiteral("MainController class: launch banner"),
    QStringLiteral("MainController class: value transformers"),
    QStringLiteral("MainController class: defaults"),
    QStringLiteral("AppDelegate init"),
    QStringLiteral("AppDelegate finishInitialization"),
    QStringLiteral("MainController init"),
    QStringLiteral("StateLinkingHelper: defaults"),
    QStringLiteral("StateLinkingHelper: data model"),
    QStringLiteral("StateLinkingHelper: states created"),
    QStringLiteral("MainController awakeFromNib: shared instance, status item"),
    QStringLiteral("AppDelegate awakeFromNib: log reload"),
    QStringLiteral("AppDelegate awakeFromNib: log folder monitor"),
    QStringLiteral("AppDelegate awakeFromNib: main window"),
    QStringLiteral("AppDelegate awakeFromNib: statistics manager shared"),
    QStringLiteral("StateLinkingHelper awake: pages built, initial state, exits linked"),
    QStringLiteral("MainController will finish: link handler"),
    QStringLiteral("MainController will finish: upgrade log files"),
    QStringLiteral("MainController will finish: statistics data set"),
    QStringLiteral("MainController did finish: launch path"),
    QStringLiteral("MainController did finish: version"),
    QStringLiteral("MainController did finish: hot keys"),
    QStringLiteral("MainController did finish: responder chain"),
    QStringLiteral("MainController did finish: mailing list"),
    QStringLiteral("MainController did finish: state machine started"),
    QStringLiteral("launch manager"),
};

} // namespace

TEST(ApplicationShell, FirstLaunchRunsTheStepsInOrderAndStartsOnWelcome) {
  Machine m;
  ApplicationShell shell(contextFor(m));
  shell.launch();
  QStringList expected = kLaunchOrder;
  expected.insert(3, QStringLiteral("MainController class: first launch"));
  expected.append(QStringLiteral("show welcome help"));
  EXPECT_EQ(shell.steps(), expected);
  EXPECT_EQ(shell.stateMachine().currentState(), &shell.stateLinkingHelper().welcomeState());
  EXPECT_EQ(m.hooksCalled,
            (QStringList{QStringLiteral("login item"), QStringLiteral("welcome help")}));
  EXPECT_FALSE(UserDefaults::standard().boolValue(QStringLiteral("firstLaunch")));
  EXPECT_EQ(m.storage.getInteger(QStringLiteral("launchManagerLaunchCounter")), 1);
  // The responder chain runs from the controller through the machine to the state.
  EXPECT_EQ(shell.mainController().nextResponder(), &shell.stateMachine());
  EXPECT_EQ(shell.stateMachine().nextResponder(), &shell.stateLinkingHelper().welcomeState());
  EXPECT_TRUE(shell.appDelegate().mainWindow()->isVisible());
  // The developer-contact group follows the help item in the main menu.
  QAction* helpItem = shell.mainMenu().itemSending(QStringLiteral("showHelp"));
  auto* helpMenu = qobject_cast<QMenu*>(helpItem->parent());
  ASSERT_NE(helpMenu, nullptr);
  const QList<QAction*> items = helpMenu->actions();
  ASSERT_EQ(items.size(), 6);
  EXPECT_EQ(items[1]->text(), QStringLiteral("Korvane-R User Manual"));
  EXPECT_EQ(items[2]->text(), QStringLiteral("Korvane-R for iPhone"));
  EXPECT_EQ(items[3]->text(), QStringLiteral("Join the Mailing List\u2026"));
  EXPECT_TRUE(items[4]->isSeparator());
  EXPECT_EQ(items[5]->text(), QStringLiteral("Contact the Developer"));
  EXPECT_NE(shell.appDelegate().menuItemManager()->menuItemGroups().constFind(
                QStringLiteral("developer contact")),
            shell.appDelegate().menuItemManager()->menuItemGroups().constEnd());
  // The placeholder registry makes a fresh contact item that sends the same
  // action through the URL opener (no menu puts it anywhere yet).
  TestUrlOpener opener;
  ScopedUrlOpener installed(opener);
  const std::unique_ptr<QAction> made = MenuPlaceHolderHelper::shared().makeItem(
      QStringLiteral("CommonsHuskFacade.MenuItemPlaceHolderKeys.contactTheDeveloper"));
  ASSERT_TRUE(made);
  EXPECT_NE(made.get(), items[5]);
  EXPECT_EQ(made->text(), QStringLiteral("Contact the Developer"));
  made->trigger();
  items[5]->trigger();
  EXPECT_EQ(opener.opened,
            QList<QUrl>(2, QUrl(QStringLiteral("https://korvaner.io/contact.html"))));
  EXPECT_FALSE(MenuPlaceHolderHelper::shared().makeItem(QStringLiteral("unknown")));
}

TEST(ApplicationShell, LaterLaunchStartsOnDefineWithoutFirstLaunchSteps) {
  Machine m;
  {
    ApplicationShell first(contextFor(m));
    first.launch();
  }
  m.hooksCalled.clear();
  ApplicationShell second(contextFor(m));
  second.launch();
  EXPECT_EQ(second.steps(), kLaunchOrder);
  EXPECT_EQ(second.stateMachine().currentState(),
            &second.stateLinkingHelper().defineTimeSliceState());
  EXPECT_TRUE(m.hooksCalled.isEmpty());
  EXPECT_EQ(m.storage.getInteger(QStringLiteral("launchManagerLaunchCounter")), 2);
  // The build number, not the version, as each launch stores it.
  EXPECT_EQ(UserDefaults::standard().string(QStringLiteral("version")), BundleInfo::buildNumber());
}

TEST(ApplicationShell, ActivationRunsTheDelegatesListsAndThePagesReachTheDelegate) {
  Machine m;
  markLaunchedBefore(m);
  ApplicationShell shell(contextFor(m));
  shell.launch();
  ASSERT_EQ(AppDelegateAPI::installed(), &shell.appDelegate());
  QStringList calls;
  AppDelegateAPI::installed()->addWillBecomeActiveCallback(
      [&] { calls.append(QStringLiteral("will")); });
  AppDelegateAPI::installed()->addDidResignActiveCallback(
      [&] { calls.append(QStringLiteral("resigned")); });
  shell.becameActive();
  shell.becameActive(); // no change, nothing runs
  shell.resignedActive();
  EXPECT_EQ(calls, (QStringList{QStringLiteral("will"), QStringLiteral("resigned")}));
  EXPECT_EQ(shell.steps().last(), QStringLiteral("MainController did become active"));
  EXPECT_EQ(AppDelegateAPI::installed()->idleTimeInSeconds(), 0.0);
}

TEST(ApplicationShell, QuittingOutsideASliceSavesThePadsAndQuitsAtOnce) {
  Machine m;
  markLaunchedBefore(m);
  ApplicationShell shell(contextFor(m));
  shell.launch();
  EXPECT_TRUE(shell.mainController().tryToPerform(QStringLiteral("terminate")));
  EXPECT_TRUE(m.alerts.shown.isEmpty());
  EXPECT_EQ(m.quits, 1);
  EXPECT_EQ(m.hooksCalled, QStringList{QStringLiteral("pads saved")});
}

TEST(ApplicationShell, QuittingARunningSliceAsksAndCancelOrAnOKGivenAfterItEndedQuitsNothing) {
  Machine m;
  markLaunchedBefore(m);
  ApplicationShell shell(contextFor(m));
  shell.launch();
  shell.stateMachine().triggerTransition(QStringLiteral("next"));
  auto& running = shell.stateLinkingHelper().timeSliceRunningState();
  ASSERT_EQ(shell.stateMachine().currentState(), &running);

  m.alerts.answers = {1}; // "Cancel"
  EXPECT_FALSE(shell.quit());
  ASSERT_EQ(m.alerts.shown.size(), 1);
  EXPECT_EQ(m.alerts.shown[0].messageText,
            QStringLiteral("Are you sure you want to quit Korvane-R?"));
  EXPECT_EQ(m.alerts.shown[0].informativeText,
            QStringLiteral("Your timeslice will not be logged."));
  EXPECT_EQ(m.alerts.shown[0].buttons,
            (QStringList{QStringLiteral("OK"), QStringLiteral("Cancel")}));
  EXPECT_EQ(m.quits, 0);
  EXPECT_TRUE(m.hooksCalled.isEmpty());
  EXPECT_EQ(shell.stateMachine().currentState(), &running);

  // The slice ends behind the question: "OK" was about the running slice.
  m.alerts.answers = {0};
  m.alerts.whileOpen = [&](const Alert&) { running.stopTimeSlice(); };
  EXPECT_FALSE(shell.quit());
  m.alerts.whileOpen = nullptr;
  EXPECT_EQ(m.quits, 0);
  EXPECT_TRUE(m.hooksCalled.isEmpty());
  EXPECT_EQ(shell.stateMachine().currentState(), &shell.stateLinkingHelper().rateTimeSliceState());

  // The rating page quits without asking.
  EXPECT_TRUE(shell.quit());
  EXPECT_EQ(m.alerts.shown.size(), 2);
  EXPECT_EQ(m.quits, 1);
  EXPECT_EQ(m.hooksCalled, QStringList{QStringLiteral("pads saved")});
}

TEST(ApplicationShell, StatePageIsShownWithItsFirstResponder) {
  Machine m;
  markLaunchedBefore(m);
  ApplicationShell shell(contextFor(m));
  shell.launch();
  MainWindowController& window = shell.appDelegate().mainWindow()->controller();
  auto& define = shell.stateLinkingHelper().defineTimeSliceState();
  EXPECT_EQ(define.infoWall()->parentWidget(), window.infoWallContainer());
  EXPECT_EQ(define.buttonWall()->parentWidget(), window.buttonWallContainer());

  auto& welcome = shell.stateLinkingHelper().welcomeState();
  auto* field = new QLineEdit(welcome.infoWall());
  welcome.setFirstResponder(field);
  shell.stateMachine().triggerTransition(QStringLiteral("welcome"));
  EXPECT_EQ(welcome.infoWall()->parentWidget(), window.infoWallContainer());
  EXPECT_EQ(define.infoWall()->parentWidget(), nullptr);
  EXPECT_EQ(shell.appDelegate().mainWindow()->focusWidget(), field);
}

TEST(ApplicationShell, ClosingTheWindowHidesItAndALaterLaunchBringsItBack) {
  Machine m;
  markLaunchedBefore(m);
  ApplicationShell shell(contextFor(m));
  shell.launch();
  MainWindow* window = shell.appDelegate().mainWindow();
  ASSERT_TRUE(window->isVisible());
  window->close();
  EXPECT_FALSE(window->isVisible());
  EXPECT_TRUE(shell.appDelegate().isHidden());
  EXPECT_EQ(m.quits, 0);
  shell.handOver({QStringLiteral("korvaner2things://add?title=x")});
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(m.hooksCalled, QStringList{QStringLiteral("korvaner2things://add?title=x")});
}
