#include "shell/ApplicationShell.h"

#include "shell/AppDelegate.h"
#include "shell/MainController.h"

#include "engine/Clock.h"
#include "engine/StateMachine.h"
#include "platform/services/TestActivityMonitor.h"
#include "platform/services/TestAlertPresenter.h"
#include "platform/services/TestStatusItem.h"
#include "platform/settings/DefaultsStorageAPI.h"
#include "platform/settings/UserDefaults.h"
#include "states/DefineTimeSliceState.h"
#include "states/InformalBreakState.h"
#include "states/PausedState.h"
#include "states/PrepareTimedBreakState.h"
#include "states/RateTimeSliceState.h"
#include "states/SoftBreakState.h"
#include "states/StateLinkingHelper.h"
#include "states/TimeSliceRunningState.h"
#include "states/TimedBreakRunningState.h"
#include "states/WelcomeState.h"
#include "support/TestClock.h"
#include "support/TestEnvironment.h"
#include "window/MainWindow.h"
#include "window/StatusItemController.h"

#include "LaunchedMachine.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QPointer>
#include <QRegularExpression>
#include <QTest>

#include <functional>

using namespace kr;

namespace {

// A machine that has launched before, with a tray (or without one).
struct Machine : test::LaunchedMachine {
  explicit Machine(bool tray = true) : trayAvailable(tray) {}

  ShellContext context() {
    ShellContext c = LaunchedMachine::context();
    c.applicationIsActive = [this] { return active; };
    c.makeStatusItem = [this] {
      auto item = std::make_unique<TestStatusItem>(trayAvailable);
      tray = item.get();
      return item;
    };
    return c;
  }

  bool trayAvailable;
  bool active = true;
  TestStatusItem* tray = nullptr;
};

QStringList titlesOf(const QMenu& menu) {
  QStringList titles;
  for (QAction* item : menu.actions()) {
    if (item->isVisible())
      titles.append(item->isSeparator() ? QStringLiteral("---") : item->text());
  }
  return titles;
}

void trigger(QMenu& menu, const QString& title) {
  for (QAction* item : menu.actions()) {
    if (item->text() == title) {
      item->trigger();
      return;
    }
  }
  ADD_FAILURE() << "no menu item " << title.toStdString();
}

const QStringList kFixedItems = {QStringLiteral("Start Time Slice"),
                                 QStringLiteral("Pause/Resume Time Slice"),
                                 QStringLiteral("End Time Slice"),
                                 QStringLiteral("Start Timed Break"),
                                 QStringLiteral("---"),
                                 QStringLiteral("Show Korvane-R"),
                                 QStringLiteral("---"),
                                 QStringLiteral("Quit Korvane-R")};

int secondsOf(const QString& countDown) {
  return countDown.left(2).toInt() * 60 + countDown.mid(3, 2).toInt();
}

const QRegularExpression kCountDown(QStringLiteral("^\\d\\d:\\d\\d$"));

} // namespace

TEST(StatusItemShell, TheMenuShowsTheCurrentStatesItemsAndTheCountDown) {
  Machine m;
  ApplicationShell shell(m.context());
  shell.launch();
  ASSERT_NE(shell.statusItemController(), nullptr);
  ASSERT_NE(m.tray, nullptr);
  QMenu& menu = shell.statusItemController()->menu();
  EXPECT_EQ(m.tray->menu, &menu);
  StateMachine& machine = shell.stateMachine();
  StateLinkingHelper& states = shell.stateLinkingHelper();

  // Define: the fixed items only, no count-down.
  ASSERT_EQ(machine.currentState(), &states.defineTimeSliceState());
  EXPECT_EQ(titlesOf(menu), kFixedItems);

  // A slice started from the menu: the count-down heads the menu and the
  // state's items stand behind their own separator before the fixed ones.
  trigger(menu, QStringLiteral("Start Time Slice"));
  ASSERT_EQ(machine.currentState(), &states.timeSliceRunningState());
  QStringList running = titlesOf(menu);
  ASSERT_FALSE(running.isEmpty());
  const QString countDown = running.takeFirst();
  EXPECT_TRUE(kCountDown.match(countDown).hasMatch()) << countDown.toStdString();
  EXPECT_EQ(m.tray->toolTip, countDown);
  QStringList expected = kFixedItems;
  const QStringList block = {QStringLiteral("---"), QStringLiteral("Add 1 Minute"),
                             QStringLiteral("Add 3 Minutes"), QStringLiteral("Add 5 Minutes"),
                             QStringLiteral("Add 10 Minutes")};
  for (qsizetype i = 0; i < block.size(); ++i)
    expected.insert(4 + i, block.at(i));
  EXPECT_EQ(running, expected);

  // The state's item works from the menu: one more minute on the count-down.
  const int secondsBefore = secondsOf(m.tray->toolTip);
  trigger(menu, QStringLiteral("Add 1 Minute"));
  m.clock.advance(1.0);
  EXPECT_EQ(secondsOf(m.tray->toolTip), secondsBefore + 60 - 1);

  // Paused: the block is gone, the item is switched on, no count-down.
  trigger(menu, QStringLiteral("Pause/Resume Time Slice"));
  ASSERT_EQ(machine.currentState(), &states.pausedState());
  EXPECT_EQ(titlesOf(menu), kFixedItems);
  EXPECT_TRUE(shell.statusItemController()->face().on);
  EXPECT_TRUE(shell.statusItemController()->face().minutes.isEmpty());

  // Resumed: exactly one block again.
  trigger(menu, QStringLiteral("Pause/Resume Time Slice"));
  ASSERT_EQ(machine.currentState(), &states.timeSliceRunningState());
  EXPECT_EQ(titlesOf(menu).mid(1), expected);

  // The soft break brings its own block in place of the slice's.
  machine.triggerTransition(QStringLiteral("softBreak"));
  ASSERT_EQ(machine.currentState(), &states.softBreakState());
  QStringList softBreak = titlesOf(menu);
  if (!softBreak.isEmpty() && kCountDown.match(softBreak.first()).hasMatch())
    softBreak.removeFirst();
  QStringList expectedSoftBreak = kFixedItems;
  const QStringList extensions = {QStringLiteral("---"),
                                  QStringLiteral("Extend Time Slice by 1 Minute"),
                                  QStringLiteral("Extend Time Slice by 3 Minutes"),
                                  QStringLiteral("Extend Time Slice by 5 Minutes"),
                                  QStringLiteral("Extend Time Slice by 10 Minutes")};
  for (qsizetype i = 0; i < extensions.size(); ++i)
    expectedSoftBreak.insert(4 + i, extensions.at(i));
  EXPECT_EQ(softBreak, expectedSoftBreak);
  // Ending the slice from the menu reaches the soft break and takes the block away.
  trigger(menu, QStringLiteral("End Time Slice"));
  EXPECT_NE(machine.currentState(), &states.softBreakState());
  EXPECT_EQ(titlesOf(menu), kFixedItems);
}

TEST(StatusItemShell, TheIconIsRedrawnOnceAMinuteWhileASliceRuns) {
  Machine m;
  UserDefaults::standard().setValue(QStringLiteral("durationInSeconds"), 120);
  ApplicationShell shell(m.context());
  shell.launch();
  shell.mainController().tryToPerform(QStringLiteral("attemptToTriggerStartTimeSlice"));
  ASSERT_EQ(shell.stateMachine().currentState(),
            &shell.stateLinkingHelper().timeSliceRunningState());
  m.clock.advance(1.0);
  const QString first = m.tray->toolTip;
  ASSERT_TRUE(kCountDown.match(first).hasMatch()) << first.toStdString();
  const qsizetype drawn = m.tray->images.size();
  const QString minutes = shell.statusItemController()->face().minutes;
  EXPECT_EQ(minutes, QString::number(first.left(2).toInt()));
  // Second by second within the same minute: new tooltips, no new image.
  const int secondsInMinute = first.mid(3, 2).toInt();
  for (int i = 0; i < secondsInMinute; ++i)
    m.clock.advance(1.0);
  EXPECT_EQ(m.tray->toolTip, first.left(3) + QStringLiteral("00"));
  EXPECT_EQ(m.tray->images.size(), drawn);
  // The next second starts a new minute: one redraw.
  m.clock.advance(1.0);
  EXPECT_EQ(m.tray->images.size(), drawn + 1);
  EXPECT_EQ(shell.statusItemController()->face().minutes, QString::number(minutes.toInt() - 1));
  UserDefaults::standard().remove(QStringLiteral("durationInSeconds"));
}

TEST(StatusItemShell, ActionsReachTheCurrentStateOrDoNothing) {
  Machine m;
  ApplicationShell shell(m.context());
  shell.launch();
  MainController& controller = shell.mainController();
  StateMachine& machine = shell.stateMachine();
  StateLinkingHelper& states = shell.stateLinkingHelper();
  auto perform = [&](const char* action) {
    controller.tryToPerform(QString::fromLatin1(action));
    return machine.currentState();
  };

  // Define has start, not pause or end.
  EXPECT_EQ(perform("attemptToTriggerPauseTimeSlice"), &states.defineTimeSliceState());
  EXPECT_EQ(perform("attemptToTriggerEndTimeSlice"), &states.defineTimeSliceState());
  EXPECT_EQ(perform("attemptToTriggerStartTimeSlice"), &states.timeSliceRunningState());
  // Running has pause and end, not start or a timed break.
  const StateBase* running = machine.currentState();
  EXPECT_EQ(perform("attemptToTriggerStartTimeSlice"), running);
  EXPECT_EQ(perform("attemptToTriggerStartTimedBreak"), running);
  EXPECT_EQ(perform("attemptToTriggerPauseTimeSlice"), &states.pausedState());
  // Paused has resume and end, not start.
  EXPECT_EQ(perform("attemptToTriggerStartTimeSlice"), &states.pausedState());
  EXPECT_EQ(perform("attemptToTriggerPauseTimeSlice"), &states.timeSliceRunningState());
  EXPECT_NE(perform("attemptToTriggerEndTimeSlice"), &states.timeSliceRunningState());
  // An action nobody has is not performed by anyone.
  EXPECT_FALSE(controller.tryToPerform(QStringLiteral("startTimeSliceNow")));
}

// The start-slice command of the menus and hot keys, sent through the main
// controller, in every state: those that answer it leave by their own exit,
// the others stay.
TEST(StatusItemShell, StartTimeSliceLeavesEachStateThatAnswersItByItsOwnExit) {
  Machine m;
  UserDefaults& defaults = UserDefaults::standard();
  defaults.setValue(QStringLiteral("lockScreenDuringBreak"), false);
  defaults.setValue(QStringLiteral("durationInSeconds"), 120);
  defaults.setValue(QStringLiteral("shouldUseSoftBreak"), true);
  ApplicationShell shell(m.context());
  shell.launch();
  MainController& controller = shell.mainController();
  StateMachine& machine = shell.stateMachine();
  StateLinkingHelper& states = shell.stateLinkingHelper();
  auto start = [&] {
    EXPECT_TRUE(controller.tryToPerform(QStringLiteral("attemptToTriggerStartTimeSlice")));
    return machine.currentState();
  };
  auto goTo = [&](const char* transition) {
    machine.triggerTransition(QString::fromLatin1(transition));
    return machine.currentState();
  };
  // Reaches the prepare-timed-break page from the define page by a slice
  // that is stopped and not logged.
  auto toPrepare = [&] {
    ASSERT_EQ(machine.currentState(), &states.defineTimeSliceState());
    start();
    controller.tryToPerform(QStringLiteral("attemptToTriggerEndTimeSlice"));
    ASSERT_EQ(machine.currentState(), &states.rateTimeSliceState());
    ASSERT_EQ(start(), &states.rateTimeSliceState()) << "rating does not answer";
    ASSERT_EQ(goTo("skipLogging"), &states.prepareTimedBreakState());
  };

  // Define time slice: "next".
  ASSERT_EQ(machine.currentState(), &states.defineTimeSliceState());
  EXPECT_EQ(start(), &states.timeSliceRunningState());
  // Running, paused and the soft break do not answer.
  EXPECT_EQ(start(), &states.timeSliceRunningState());
  controller.tryToPerform(QStringLiteral("attemptToTriggerPauseTimeSlice"));
  EXPECT_EQ(start(), &states.pausedState());
  controller.tryToPerform(QStringLiteral("attemptToTriggerPauseTimeSlice"));
  m.clock.advance(121.0);
  ASSERT_EQ(machine.currentState(), &states.softBreakState());
  EXPECT_EQ(start(), &states.softBreakState());
  controller.tryToPerform(QStringLiteral("attemptToTriggerEndTimeSlice"));
  ASSERT_EQ(machine.currentState(), &states.rateTimeSliceState());
  EXPECT_EQ(start(), &states.rateTimeSliceState());
  // Prepare timed break: "nextTimeSlice" to the define page.
  ASSERT_EQ(goTo("skipLogging"), &states.prepareTimedBreakState());
  EXPECT_EQ(start(), &states.defineTimeSliceState());
  // Timed break running: "aborted", to the define page.
  controller.tryToPerform(QStringLiteral("attemptToTriggerStartTimedBreak"));
  ASSERT_EQ(machine.currentState(), &states.timedBreakRunningState());
  EXPECT_EQ(start(), &states.defineTimeSliceState());
  // Informal break: "next", to the define page.
  toPrepare();
  ASSERT_EQ(goTo("informalBreak"), &states.informalBreakState());
  EXPECT_EQ(start(), &states.defineTimeSliceState());
  EXPECT_FALSE(states.informalBreakState().isRuleTimerRunning());
  // The three welcome pages: "next", back to where each was reached from.
  ASSERT_EQ(goTo("welcome"), &states.welcomeState());
  EXPECT_EQ(start(), &states.defineTimeSliceState());
  toPrepare();
  ASSERT_EQ(goTo("welcome"), &states.welcomeStateCopyForPrepareTimedBreakState());
  EXPECT_EQ(start(), &states.prepareTimedBreakState());
  ASSERT_EQ(goTo("informalBreak"), &states.informalBreakState());
  ASSERT_EQ(goTo("welcome"), &states.welcomeStateCopyForInformalBreakState());
  EXPECT_EQ(start(), &states.informalBreakState());

  for (const char* key : {"lockScreenDuringBreak", "durationInSeconds", "shouldUseSoftBreak"})
    defaults.remove(QString::fromLatin1(key));
}

TEST(StatusItemShell, TheDefaultActionPressesTheCurrentPagesDefaultButton) {
  Machine m;
  ApplicationShell shell(m.context());
  shell.launch();
  shell.mainController().tryToPerform(QStringLiteral("takeDefaultAction"));
  EXPECT_EQ(shell.stateMachine().currentState(),
            &shell.stateLinkingHelper().timeSliceRunningState());
}

TEST(StatusItemShell, ToggleHideAndBringToFrontFollowTheApplicationsActivity) {
  Machine m;
  ApplicationShell shell(m.context());
  shell.launch();
  MainController& controller = shell.mainController();
  MainWindow* window = shell.appDelegate().mainWindow();
  ASSERT_TRUE(window->isVisible());

  m.active = false;
  controller.tryToPerform(QStringLiteral("hide")); // only an active application hides
  EXPECT_TRUE(window->isVisible());

  m.active = true;
  controller.tryToPerform(QStringLiteral("toggleKorvaneInterface"));
  EXPECT_FALSE(window->isVisible());
  EXPECT_TRUE(shell.appDelegate().isHidden());
  controller.tryToPerform(QStringLiteral("toggleKorvaneInterface")); // hidden counts as inactive
  EXPECT_TRUE(window->isVisible());

  controller.tryToPerform(QStringLiteral("hide"));
  EXPECT_FALSE(window->isVisible());
  controller.tryToPerform(QStringLiteral("bringToFront"));
  EXPECT_TRUE(window->isVisible());
  EXPECT_TRUE(controller.tryToPerform(QStringLiteral("closeNowAndLaterBoard")));
}

TEST(StatusItemShell, ClicksOnTheIcon) {
  Machine m;
  UserDefaults::standard().setValue(QStringLiteral("loggerIsOn"), true);
  UserDefaults::standard().setValue(QStringLiteral("clickMovesWindowBelowIcon"), false);
  ApplicationShell shell(m.context());
  shell.launch();
  MainWindow* window = shell.appDelegate().mainWindow();
  shell.appDelegate().hide();
  {
    test::ConsoleCapture console;
    m.tray->click(StatusItem::Click::right); // the tray shows the menu; the window stays
    EXPECT_TRUE(console.contains(QStringLiteral("rightButtonDown")));
    EXPECT_FALSE(window->isVisible());
  }
  m.tray->click(StatusItem::Click::left); // hidden: brought forward
  EXPECT_TRUE(window->isVisible());
  UserDefaults::standard().remove(QStringLiteral("loggerIsOn"));
  UserDefaults::standard().remove(QStringLiteral("clickMovesWindowBelowIcon"));
}

TEST(StatusItemShell, WithoutATrayItSaysSoOnceAndClosingMinimises) {
  Machine m(false);
  test::ConsoleCapture console;
  ApplicationShell shell(m.context());
  shell.launch();
  ASSERT_NE(m.tray, nullptr) << "kept, for a tray that starts later";
  EXPECT_EQ(console.lines().filter(QStringLiteral("No status item")).size(), 1);
  MainWindow* window = shell.appDelegate().mainWindow();
  window->close();
  EXPECT_FALSE(shell.appDelegate().isHidden());
  EXPECT_TRUE(window->isMinimized());
  // The states still run: the count-down just has nowhere to show.
  shell.mainController().tryToPerform(QStringLiteral("attemptToTriggerStartTimeSlice"));
  m.clock.advance(2.0);
  EXPECT_EQ(console.lines().filter(QStringLiteral("No status item")).size(), 1);
}

// A panel that starts after the program (at login) gets the icon, and one
// that quits leaves the window reachable.
TEST(StatusItemShell, ATrayThatComesOrGoesSwitchesTheCloseRule) {
  Machine m(false);
  ApplicationShell shell(m.context());
  shell.launch();
  MainWindow* window = shell.appDelegate().mainWindow();
  m.tray->setAvailable(true);
  EXPECT_GE(m.tray->shows, 1);
  window->close();
  EXPECT_FALSE(window->isVisible()) << "with a tray, closing hides";
  EXPECT_TRUE(shell.appDelegate().isHidden());
  EXPECT_FALSE(window->isMinimized());
  m.active = false;
  m.tray->click(StatusItem::Click::left);
  EXPECT_TRUE(window->isVisible()) << "the icon brings it back";

  shell.appDelegate().hide();
  m.tray->setAvailable(false);
  EXPECT_TRUE(window->isVisible()) << "nothing else could bring a hidden window back";
  EXPECT_TRUE(window->isMinimized());
  window->showNormal();
  window->close();
  EXPECT_TRUE(window->isMinimized()) << "without a tray, closing minimises";
}

TEST(StatusItemShell, ATimedBreakShowsItsCountDownAndItsItems) {
  Machine m;
  UserDefaults::standard().setValue(QStringLiteral("lockScreenDuringBreak"), false);
  ApplicationShell shell(m.context());
  shell.launch();
  StateMachine& machine = shell.stateMachine();
  StateLinkingHelper& states = shell.stateLinkingHelper();
  QMenu& menu = shell.statusItemController()->menu();
  shell.mainController().tryToPerform(QStringLiteral("attemptToTriggerStartTimedBreak"));
  if (machine.currentState() == &states.prepareTimedBreakState())
    shell.mainController().tryToPerform(QStringLiteral("attemptToTriggerStartTimedBreak"));
  ASSERT_EQ(machine.currentState(), &states.timedBreakRunningState());

  QStringList items = titlesOf(menu);
  ASSERT_FALSE(items.isEmpty());
  const QString countDown = items.takeFirst();
  EXPECT_TRUE(kCountDown.match(countDown).hasMatch()) << countDown.toStdString();
  EXPECT_EQ(m.tray->toolTip, countDown);
  EXPECT_EQ(shell.statusItemController()->face().minutes,
            QString::number(countDown.left(2).toInt()));
  QStringList expected = kFixedItems;
  const QStringList block = {QStringLiteral("---"), QStringLiteral("Add 1 Minute"),
                             QStringLiteral("Add 3 Minutes"), QStringLiteral("Add 5 Minutes"),
                             QStringLiteral("Add 10 Minutes")};
  for (qsizetype i = 0; i < block.size(); ++i)
    expected.insert(4 + i, block.at(i));
  EXPECT_EQ(items, expected);

  // The break has no pause; when it ends its items and count-down go.
  shell.mainController().tryToPerform(QStringLiteral("attemptToTriggerPauseTimeSlice"));
  EXPECT_EQ(machine.currentState(), &states.timedBreakRunningState());
  machine.triggerTransition(QStringLiteral("elapsed"));
  EXPECT_EQ(machine.currentState(), &states.defineTimeSliceState());
  EXPECT_EQ(titlesOf(menu), kFixedItems);
  EXPECT_TRUE(shell.statusItemController()->face().minutes.isEmpty());
  UserDefaults::standard().remove(QStringLiteral("lockScreenDuringBreak"));
}

// Choosing a state's own item that ends the state (the soft break's extension
// starts the slice again) takes the item out of the menu while the menu is
// still triggering it: the item lives until the trigger has returned.
TEST(StatusItemShell, ChoosingAStatesOwnItemThatEndsTheStateLeavesTheMenuWhole) {
  Machine m;
  ApplicationShell shell(m.context());
  shell.launch();
  StateMachine& machine = shell.stateMachine();
  StateLinkingHelper& states = shell.stateLinkingHelper();
  shell.mainController().tryToPerform(QStringLiteral("attemptToTriggerStartTimeSlice"));
  machine.triggerTransition(QStringLiteral("softBreak"));
  ASSERT_EQ(machine.currentState(), &states.softBreakState());
  QMenu& menu = shell.statusItemController()->menu();
  QAction* extend = nullptr;
  for (QAction* item : menu.actions()) {
    if (item->text() == QStringLiteral("Extend Time Slice by 5 Minutes"))
      extend = item;
  }
  ASSERT_NE(extend, nullptr);
  const QPointer<QAction> alive(extend);

  menu.popup(QPoint(20, 20));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&menu));
  QTest::mouseClick(&menu, Qt::LeftButton, {}, menu.actionGeometry(extend).center());

  EXPECT_EQ(machine.currentState(), &states.timeSliceRunningState());
  EXPECT_FALSE(menu.isVisible());
  EXPECT_FALSE(menu.actions().contains(extend));
  EXPECT_TRUE(alive) << "deleted while it was being triggered";
  // The running slice's own block stands in the soft break's place, once.
  EXPECT_EQ(titlesOf(menu).count(QStringLiteral("Add 5 Minutes")), 1);
  EXPECT_EQ(titlesOf(menu).count(QStringLiteral("Extend Time Slice by 5 Minutes")), 0);
  // Back in the event loop, it goes.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_FALSE(alive);
}

// A state hides the application through the main controller's hide, which
// hides only while the application is active: a slice started from the tray
// while another application is in front does not hide anything.
TEST(StatusItemShell, AStateHidesTheApplicationOnlyWhileItIsActive) {
  Machine m;
  UserDefaults& defaults = UserDefaults::standard();
  defaults.setValue(QStringLiteral("shouldHideOnTimeSliceRunningActivation"), true);
  ApplicationShell shell(m.context());
  shell.launch();
  MainController& controller = shell.mainController();
  StateLinkingHelper& states = shell.stateLinkingHelper();
  m.active = false;
  controller.tryToPerform(QStringLiteral("attemptToTriggerStartTimeSlice"));
  ASSERT_EQ(shell.stateMachine().currentState(), &states.timeSliceRunningState());
  EXPECT_FALSE(shell.appDelegate().isHidden());
  EXPECT_TRUE(shell.appDelegate().mainWindow()->isVisible());
  // Back to the define page; now in front, the next slice hides it.
  controller.tryToPerform(QStringLiteral("attemptToTriggerEndTimeSlice"));
  shell.stateMachine().triggerTransition(QStringLiteral("skipLogging"));
  controller.tryToPerform(QStringLiteral("attemptToTriggerStartTimeSlice"));
  ASSERT_EQ(shell.stateMachine().currentState(), &states.defineTimeSliceState());
  m.active = true;
  controller.tryToPerform(QStringLiteral("attemptToTriggerStartTimeSlice"));
  ASSERT_EQ(shell.stateMachine().currentState(), &states.timeSliceRunningState());
  EXPECT_TRUE(shell.appDelegate().isHidden());
  EXPECT_FALSE(shell.appDelegate().mainWindow()->isVisible());
  defaults.remove(QStringLiteral("shouldHideOnTimeSliceRunningActivation"));
}

// A window the window manager minimised leaves the application inactive;
// every way of bringing the window forward shows it normal again.
TEST(StatusItemShell, EveryWayForwardShowsAMinimisedWindowNormalAgain) {
  const std::function<void(ApplicationShell&, Machine&)> ways[] = {
      [](ApplicationShell&, Machine& m) { m.tray->click(StatusItem::Click::left); },
      [](ApplicationShell& s, Machine&) { s.mainController().tryToPerform("bringToFront"); },
      [](ApplicationShell& s, Machine&) {
        s.mainController().tryToPerform("toggleKorvaneInterface");
      },
      [](ApplicationShell& s, Machine&) { s.handOver({}); },
      [](ApplicationShell& s, Machine&) { s.stateMachine().triggerTransition("welcome"); }};
  for (const auto& bringForward : ways) {
    SCOPED_TRACE(&bringForward - ways);
    Machine m;
    ApplicationShell shell(m.context());
    shell.launch();
    MainWindow* window = shell.appDelegate().mainWindow();
    window->showMinimized();
    m.active = false;
    bringForward(shell, m);
    EXPECT_FALSE(window->isMinimized());
    EXPECT_TRUE(window->isVisible());
  }
}
