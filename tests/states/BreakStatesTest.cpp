#include "states/InformalBreakState.h"
#include "states/PomodoroBreakViewController.h"
#include "states/PrepareTimedBreakState.h"
#include "states/TimedBreakRunningState.h"

#include "SliceTestFixture.h"
#include "engine/TimedStateMachineModule.h"
#include "engine/TimedStateMachineViewModel.h"
#include "kit/SmartMenuItem.h"
#include "kit/bricks/PullDownButtonBrick.h"
#include "kit/bricks/TagTokenField.h"
#include "kit/walls/LabelFragment.h"
#include "kit/walls/TitleFragment.h"

#include <QApplication>
#include <QLayout>
#include <QMenu>
#include <QRadioButton>
#include <QSpinBox>

#include <gtest/gtest.h>

using namespace kr;

namespace {

UserDefaults& store() { return UserDefaults::standard(); }

void setSlots(qint64 first, qint64 second, qint64 third, qint64 fourth, bool thirdOn,
              bool fourthOn) {
  store().setValue(QStringLiteral("firstPomodoroBreakDurationInMinutes"), first);
  store().setValue(QStringLiteral("secondPomodoroBreakDurationInMinutes"), second);
  store().setValue(QStringLiteral("thirdPomodoroBreakDurationInMinutes"), third);
  store().setValue(QStringLiteral("fourthPomodoroBreakDurationInMinutes"), fourth);
  store().setValue(QStringLiteral("thirdPomodoroBreakEnabled"), thirdOn);
  store().setValue(QStringLiteral("fourthPomodoroBreakEnabled"), fourthOn);
}

// The break states on a test clock, started on the prepare-timed-break page.
struct BreakFixture : test::SliceFixture {
  BreakFixture() {
    DataModel::shared().pomodoroCounter = 0;
    DataModel::shared().useOneTimeOnlyBreakDurationThisTimeOnly = false;
    store().setValue(QStringLiteral("lockScreenDuringBreak"), false);
    store().setValue(QStringLiteral("breakDurationInSeconds"), 600);
    store().setValue(QStringLiteral("breakDurationControlAlternative"), QStringLiteral("default"));
    setSlots(5, 5, 5, 30, true, true);
  }
  void startOnPrepare() {
    helper.awake(machine, 1);
    machine.setInitialState(&prepare());
    machine.start();
  }
  PrepareTimedBreakState& prepare() { return helper.prepareTimedBreakState(); }
  TimedBreakRunningState& timedBreak() { return helper.timedBreakRunningState(); }
  InformalBreakState& informal() { return helper.informalBreakState(); }
  int breakTotal() { return timedBreak().totalTime(); }
  // Takes a timed break (from the prepare page or the define page) and ends
  // it; answers its length.
  int takeBreak() {
    const bool onPrepare = machine.currentState() == &prepare();
    machine.triggerTransition(onPrepare ? QStringLiteral("next") : QStringLiteral("timedBreak"));
    EXPECT_EQ(machine.currentState(), &timedBreak());
    const int total = breakTotal();
    machine.triggerTransition(QStringLiteral("aborted"));
    return total;
  }
};

} // namespace

TEST(TimedBreak, LengthTakesOneTimeThenPomodoroSlotThenDefault) {
  BreakFixture f;
  f.startOnPrepare();
  DataModel& model = DataModel::shared();
  store().setValue(QStringLiteral("breakDurationControlAlternative"),
                   QStringLiteral("pomodoroStyle"));
  setSlots(7, 9, 11, 30, true, true);
  model.pomodoroCounter = 1;
  model.useOneTimeOnlyBreakDurationThisTimeOnly = true;
  model.oneTimeOnlyBreakDuration = 90;

  f.machine.triggerTransition(QStringLiteral("next"));
  EXPECT_EQ(f.breakTotal(), 90) << "the one-time length wins over the pomodoro slot";
  EXPECT_EQ(model.pomodoroCounter, 2) << "a one-time break advances the counter too";
  f.machine.triggerTransition(QStringLiteral("aborted"));
  EXPECT_FALSE(model.useOneTimeOnlyBreakDurationThisTimeOnly) << "one break only";
  EXPECT_EQ(model.oneTimeOnlyBreakDuration, 90);

  f.machine.triggerTransition(QStringLiteral("timedBreak"));
  EXPECT_EQ(f.breakTotal(), 11 * 60) << "slot 2 (the counter before its increment)";
  EXPECT_EQ(model.pomodoroCounter, 3);
  f.machine.triggerTransition(QStringLiteral("elapsed"));

  store().setValue(QStringLiteral("breakDurationControlAlternative"), QStringLiteral("default"));
  f.machine.triggerTransition(QStringLiteral("timedBreak"));
  EXPECT_EQ(f.breakTotal(), 600) << "the stored default length";
  EXPECT_EQ(model.pomodoroCounter, 4) << "a default-length break advances the counter as well";
}

TEST(TimedBreak, PomodoroCounterRotatesOverTheEnabledSlotsOnly) {
  BreakFixture f;
  store().setValue(QStringLiteral("breakDurationControlAlternative"),
                   QStringLiteral("pomodoroStyle"));
  setSlots(5, 6, 7, 30, true, true);
  f.startOnPrepare();
  std::vector<int> lengths;
  for (int i = 0; i < 5; ++i)
    lengths.push_back(f.takeBreak() / 60);
  EXPECT_EQ(lengths, (std::vector<int>{5, 6, 7, 30, 5}));

  // Fourth off while the counter is 7: three slots, so slot 1 is current.
  DataModel::shared().pomodoroCounter = 7;
  store().setValue(QStringLiteral("fourthPomodoroBreakEnabled"), false);
  PomodoroBreakViewController& view = *f.prepare().pomodoroViewController();
  EXPECT_TRUE(view.selector(1)->isChecked());
  EXPECT_FALSE(view.selector(3)->isEnabled());
  EXPECT_FALSE(view.inputField(3)->isEnabled());
  EXPECT_EQ(f.takeBreak() / 60, 6);

  // Third off too: two slots; the mark moves to counter modulo 2 at once.
  store().setValue(QStringLiteral("thirdPomodoroBreakEnabled"), false);
  EXPECT_EQ(DataModel::shared().pomodoroCounter, 8);
  EXPECT_TRUE(view.selector(0)->isChecked());
  EXPECT_FALSE(view.selector(2)->isEnabled());
  EXPECT_EQ(f.takeBreak() / 60, 5);
  EXPECT_EQ(f.takeBreak() / 60, 6);

  // Third off but fourth on (set elsewhere): four slots, the third box hidden.
  store().setValue(QStringLiteral("fourthPomodoroBreakEnabled"), true);
  EXPECT_TRUE(view.checkBox3()->isHidden());
  EXPECT_TRUE(view.selector(2)->isEnabled());
  // Picking slot 2 sets the counter; that break uses the third length.
  view.selector(2)->click();
  EXPECT_EQ(DataModel::shared().pomodoroCounter, 2);
  EXPECT_EQ(f.takeBreak() / 60, 7);
  EXPECT_EQ(DataModel::shared().pomodoroCounter, 3);
  EXPECT_EQ(view.inputField(0)->minimum(), 2);
  EXPECT_EQ(view.inputField(0)->maximum(), 60);
}

TEST(PrepareTimedBreak, AddAndSubtractKeepTheLengthWithinTwoToSixtyMinutes) {
  BreakFixture f;
  f.startOnPrepare();
  const QString seconds = QStringLiteral("breakDurationInSeconds");
  const std::pair<qint64, qint64> adds[] = {{3600, 3600}, {3540, 3600}, {3599, 3600}, {600, 660}};
  for (const auto& [before, after] : adds) {
    store().setValue(seconds, before);
    f.prepare().addOneMinute();
    EXPECT_EQ(store().integer(seconds), after) << before;
  }
  const std::pair<qint64, qint64> subtracts[] = {{150, 150}, {200, 120}, {180, 120}};
  for (const auto& [before, after] : subtracts) {
    store().setValue(seconds, before);
    f.prepare().subtractOneMinute();
    EXPECT_EQ(store().integer(seconds), after) << before;
  }
  store().setValue(QStringLiteral("breakDurationControlAlternative"),
                   QStringLiteral("pomodoroStyle"));
  setSlots(5, 5, 60, 2, true, false);
  DataModel::shared().pomodoroCounter = 5; // three slots: slot 2
  f.prepare().addOneMinute();
  EXPECT_EQ(store().integer(QStringLiteral("thirdPomodoroBreakDurationInMinutes")), 60);
  f.prepare().subtractOneMinute();
  EXPECT_EQ(store().integer(QStringLiteral("thirdPomodoroBreakDurationInMinutes")), 59);
  store().setValue(QStringLiteral("breakDurationControlAlternative"), QStringLiteral("other"));
  f.prepare().addOneMinute();
  EXPECT_EQ(store().integer(QStringLiteral("thirdPomodoroBreakDurationInMinutes")), 59);
}

TEST(TimedBreak, LengthChangesWhileRunningFollowTheLimits) {
  BreakFixture f;
  store().setValue(QStringLiteral("breakDurationInSeconds"), 3600);
  f.startOnPrepare();
  f.machine.triggerTransition(QStringLiteral("next"));
  TimedBreakRunningState& state = f.timedBreak();
  TimedStateMachineViewModel& model = *state.timedStateMachineModule()->viewModel();
  state.extendBreakBy(10);
  model.freezeTime();
  EXPECT_EQ(model.remainingSeconds(), 4200);
  state.extendBreakBy(1);
  model.freezeTime();
  EXPECT_EQ(model.remainingSeconds(), 4200) << "more than an hour left: refused";
  f.clock.advance(90);
  state.setRemaining(5);
  model.freezeTime();
  EXPECT_EQ(model.totalSeconds(), 390);
  state.sliderMoved(5);
  model.freezeTime();
  EXPECT_EQ(model.totalSeconds(), 360);
  EXPECT_EQ(model.remainingSeconds(), 270);
  ASSERT_EQ(f.host.statusMenuItems.size(), 4u);
  EXPECT_EQ(f.host.statusMenuItems.back().first, QStringLiteral("Add 10 Minutes"));
}

TEST(TimedBreak, ElapsedPostsItsEventThenLeavesThroughElapsed) {
  BreakFixture f;
  store().setValue(QStringLiteral("breakDurationInSeconds"), 120);
  f.startOnPrepare();
  f.machine.triggerTransition(QStringLiteral("next"));
  f.clock.advance(121);
  EXPECT_EQ(f.machine.currentState(), &f.define());
  EXPECT_EQ(f.countEvents(QStringLiteral("TimedBreakRunningState.elapsed")), 1);
  EXPECT_EQ(f.countEvents(QStringLiteral("Korvane_R_3.TimedBreakRunningState.end")), 1);
  // Both carry the whole break, not the machine's elapsed state.
  for (const test::PostedEvent& event : f.host.events) {
    if (event.name == QLatin1String("TimedBreakRunningState.elapsed") ||
        event.name == QLatin1String("Korvane_R_3.TimedBreakRunningState.end")) {
      EXPECT_EQ(event.value, 120) << qPrintable(event.name);
      EXPECT_EQ(event.maxValue, 120) << qPrintable(event.name);
    }
  }
}

TEST(TimedBreak, CommandsOfTheChainReachTheBreakPagesAndStartSliceEndsTheBreakEarly) {
  BreakFixture f;
  f.startOnPrepare();
  // The prepare page answers the length commands and the break command.
  EXPECT_TRUE(f.machine.tryToPerform(QStringLiteral("addOneMinute")));
  EXPECT_EQ(store().integer(QStringLiteral("breakDurationInSeconds")), 660);
  EXPECT_TRUE(f.machine.tryToPerform(QStringLiteral("subtractOneMinute")));
  EXPECT_EQ(store().integer(QStringLiteral("breakDurationInSeconds")), 600);
  EXPECT_TRUE(f.machine.tryToPerform(QStringLiteral("startTimedBreak")));
  ASSERT_EQ(f.machine.currentState(), &f.timedBreak());
  f.clock.advance(30.0);
  EXPECT_TRUE(f.machine.tryToPerform(QStringLiteral("addOneMinute")));
  EXPECT_EQ(f.breakTotal(), 660);
  EXPECT_TRUE(f.machine.tryToPerform(QStringLiteral("subtractOneMinute")));
  EXPECT_EQ(f.breakTotal(), 600);
  EXPECT_FALSE(f.machine.tryToPerform(QStringLiteral("startTimedBreak")));

  EXPECT_TRUE(f.machine.tryToPerform(QStringLiteral("startTimeSlice")));
  EXPECT_EQ(f.machine.currentState(), &f.define());
  ASSERT_EQ(f.countEvents(QStringLiteral("Korvane_R_3.TimedBreakRunningState.end")), 1);
  const test::PostedEvent end = f.eventsOf(QStringLiteral("TimedBreakRunningState")).back();
  ASSERT_EQ(end.name, QStringLiteral("Korvane_R_3.TimedBreakRunningState.end"));
  EXPECT_EQ(end.value, 30);
  EXPECT_EQ(end.maxValue, 600);
  // Ended early: the break's own end never comes.
  f.clock.advance(700.0);
  EXPECT_EQ(f.countEvents(QStringLiteral("TimedBreakRunningState.elapsed")), 0);
  EXPECT_EQ(f.machine.currentState(), &f.define());
}

// The informal break's rules checked at 0.1 s, as a table of start times,
// waits and idle seconds.
TEST(InformalBreak, EachRuleEndsTheBreakAtItsMoment) {
  struct Row {
    const char* rule;
    QTime start;
    double wait; // seconds after the start
    double idle; // idle seconds reported
    bool ends;
  };
  const Row rows[] = {
      {"hour", QTime(9, 0), 3600.0, 0, false}, // not at exactly one hour
      {"hour", QTime(9, 0), 3600.1, 0, true},
      {"lunch", QTime(12, 59), 59.0, 0, false},  // 12:59:59
      {"lunch", QTime(12, 59), 60.15, 0, true},  // the first check from 13:00 on
      {"lunch", QTime(13, 0), 7200.0, 0, false}, // began after noon
      {"breakfast", QTime(4, 59), 60.15, 0, true},
      {"breakfast", QTime(22, 0), 7 * 3600.0, 0, false},
      {"inactivity", QTime(9, 0), 20.0, 300.9, false},
      {"inactivity", QTime(9, 0), 20.0, 301.0, true},
      {"inactivity", QTime(9, 0), 9.9, 3600.0, false}, // the 10-second guard
  };
  for (const Row& row : rows) {
    BreakFixture f;
    const QString rule = QString::fromLatin1(row.rule);
    store().setValue(QStringLiteral("endInformalBreakAutomatically"), rule == "hour");
    store().setValue(QStringLiteral("endInformalBreakForLunch"), rule == "lunch");
    store().setValue(QStringLiteral("endInformalBreakForBreakfast"), rule == "breakfast");
    store().setValue(QStringLiteral("endInformalBreakAutomaticallyAfterInactivity"),
                     rule == "inactivity");
    f.clock.setDate(QDateTime(QDate(2026, 3, 2), row.start));
    f.startOnPrepare();
    f.machine.triggerTransition(QStringLiteral("informalBreak"));
    ASSERT_EQ(f.machine.currentState(), &f.informal());
    f.appDelegate.idleTime = row.idle;
    f.clock.advance(row.wait);
    const bool ended = f.machine.currentState() == &f.define();
    EXPECT_EQ(ended, row.ends) << row.rule << " " << row.start.toString().toStdString() << " +"
                               << row.wait << " idle " << row.idle;
    EXPECT_EQ(f.informal().isRuleTimerRunning(), !ended);
    if (ended) {
      EXPECT_EQ(f.countEvents(QStringLiteral("Korvane_R_3.DefineTimeSliceState.start")), 1)
          << "one transition only";
    }
  }
}

// With no rule switched on nothing can end the break: the page is refreshed
// once a second. A rule switched on during the break gets its quick checks at
// once and ends the break at its moment; switched off again, the checks slow.
TEST(InformalBreak, QuickChecksRunOnlyWhileARuleIsSwitchedOn) {
  for (const char* key :
       {"endInformalBreakAutomatically", "endInformalBreakForLunch", "endInformalBreakForBreakfast",
        "endInformalBreakAutomaticallyAfterInactivity"})
    store().setValue(QString::fromLatin1(key), false);
  {
    BreakFixture f;
    f.clock.setDate(QDateTime(QDate(2026, 3, 2), QTime(9, 0)));
    f.startOnPrepare();
    f.machine.triggerTransition(QStringLiteral("informalBreak"));
    ASSERT_EQ(f.machine.currentState(), &f.informal());
    EXPECT_EQ(f.informal().ruleTimerInterval(), InformalBreakState::kIdleRefreshInterval);
    // The slow refresh rides on the program's own second: no timer of its own.
    EXPECT_EQ(f.clock.runningTimerCount(), 1);
    EXPECT_TRUE(SecondTicker::shared().isRunning());
    f.appDelegate.idleTime = 4000.0;
    f.clock.advance(30.0);
    EXPECT_EQ(f.machine.currentState(), &f.informal());

    store().setValue(QStringLiteral("endInformalBreakAutomaticallyAfterInactivity"), true);
    EXPECT_EQ(f.informal().ruleTimerInterval(), InformalBreakState::kCheckInterval);
    f.clock.advance(0.1);
    EXPECT_EQ(f.machine.currentState(), &f.define()) << "the next quick check ends it";

    store().setValue(QStringLiteral("endInformalBreakAutomaticallyAfterInactivity"), false);
  }
  BreakFixture f;
  f.startOnPrepare();
  f.machine.triggerTransition(QStringLiteral("informalBreak"));
  store().setValue(QStringLiteral("endInformalBreakForLunch"), true);
  EXPECT_EQ(f.informal().ruleTimerInterval(), InformalBreakState::kCheckInterval);
  store().setValue(QStringLiteral("endInformalBreakForLunch"), false);
  EXPECT_EQ(f.informal().ruleTimerInterval(), InformalBreakState::kIdleRefreshInterval);
  f.machine.triggerTransition(QStringLiteral("next"));
  EXPECT_EQ(f.informal().ruleTimerInterval(), 0.0);
  store().setValue(QStringLiteral("endInformalBreakForLunch"), true);
  EXPECT_EQ(f.informal().ruleTimerInterval(), 0.0) << "no checks once the break has ended";
}

TEST(InformalBreak, LabelsCountTheHourDownAndSwitchingTheHourOnRestartsIt) {
  BreakFixture f;
  store().setValue(QStringLiteral("endInformalBreakAutomatically"), true);
  store().setValue(QStringLiteral("endInformalBreakAutomaticallyAfterInactivity"), true);
  f.startOnPrepare();
  f.machine.triggerTransition(QStringLiteral("informalBreak"));
  f.appDelegate.idleTime = 65.4;
  f.clock.advance(600.05);
  EXPECT_TRUE(f.informal().timeRemainingLabel()->text().endsWith(QStringLiteral(" left)")));
  EXPECT_TRUE(
      f.informal().inactiveTimeLeftLabel()->text().startsWith(QStringLiteral("(No activity for ")));
  const QString before = f.informal().timeRemainingLabel()->text();
  f.informal().restartHour();
  f.clock.advance(3500);
  EXPECT_EQ(f.machine.currentState(), &f.informal()) << "the hour counts from the restart";
  EXPECT_NE(f.informal().timeRemainingLabel()->text(), before);
  f.clock.advance(101);
  EXPECT_EQ(f.machine.currentState(), &f.define());
}

TEST(InformalBreak, ChecksReadTheIdleTimeOnlyWhileTheInactivityRuleIsOn) {
  BreakFixture f;
  for (const char* key :
       {"endInformalBreakAutomatically", "endInformalBreakForLunch", "endInformalBreakForBreakfast",
        "endInformalBreakAutomaticallyAfterInactivity"})
    store().setValue(QString::fromLatin1(key), false);
  f.startOnPrepare();
  f.machine.triggerTransition(QStringLiteral("informalBreak"));
  f.appDelegate.idleReads = 0;
  f.clock.advance(60.0); // 600 checks, no rule on
  EXPECT_EQ(f.appDelegate.idleReads, 0);
  EXPECT_TRUE(f.informal().inactiveTimeLeftLabel()->text().isEmpty());
  store().setValue(QStringLiteral("endInformalBreakAutomaticallyAfterInactivity"), true);
  f.appDelegate.idleTime = 12.0;
  f.clock.advance(1.0);
  EXPECT_GT(f.appDelegate.idleReads, 0);
  EXPECT_TRUE(
      f.informal().inactiveTimeLeftLabel()->text().startsWith(QStringLiteral("(No activity for ")));
  store().setValue(QStringLiteral("endInformalBreakAutomaticallyAfterInactivity"), false);
  f.clock.advance(1.0);
  EXPECT_TRUE(f.informal().inactiveTimeLeftLabel()->text().isEmpty());
}

namespace {

// The wheel-menu item of `fragment` whose title ends with `name`.
QAction* wheelItem(LabelFragment* fragment, const QString& name) {
  QMenu* menu = fragment->wheelButton()->itemMenu();
  SmartMenuItem::updateItemsOf(menu);
  for (QAction* action : menu->actions()) {
    if (action->text().endsWith(name))
      return action;
  }
  return nullptr;
}

} // namespace

TEST(InformalBreak, TheNextSlicesObjectiveAndTagsAreEditedOnThePage) {
  BreakFixture f;
  store().setValue(QStringLiteral("hideTagEditorInInformalBreakState"), false);
  store().setValue(QStringLiteral("hideTagEditor"), false);
  DataModel::shared().setTags(QStringLiteral("writing"));
  f.startOnPrepare();
  f.machine.triggerTransition(QStringLiteral("informalBreak"));
  ASSERT_EQ(f.machine.currentState(), &f.informal());
  InformalBreakState& page = f.informal();
  ObjectiveTextView* objective = page.objectiveTextView();
  ASSERT_NE(objective, nullptr);
  EXPECT_EQ(objective->textCursor().selectedText(), objective->toPlainText())
      << "the objective is selected, ready to be replaced";

  // The tag row stands below the objective and edits the stored tags both ways.
  TagTokenField* field = page.tagTokenField();
  ASSERT_NE(field, nullptr);
  QWidget* tagEditor = field->parentWidget();
  EXPECT_EQ(page.fragmentStackView()->layout()->indexOf(tagEditor),
            page.fragmentStackView()->layout()->indexOf(objective->parentWidget()->parentWidget()) +
                1);
  EXPECT_EQ(field->tokens(), QStringList{QStringLiteral("writing")});
  field->setText(QStringLiteral("writing, review"));
  Q_EMIT field->editingFinished();
  EXPECT_EQ(DataModel::shared().tags(), QStringLiteral("writing,review"));
  DataModel::shared().setTags(QStringLiteral("planning"));
  EXPECT_EQ(field->tokens(), QStringList{QStringLiteral("planning")});

  // The objective label's wheel menu hides and shows the row under its own key.
  auto* label =
      qobject_cast<LabelFragment*>(page.fragmentStackView()->layout()->itemAt(1)->widget());
  ASSERT_NE(label, nullptr);
  QAction* tagItem = wheelItem(label, QStringLiteral("Tag Editor"));
  ASSERT_NE(tagItem, nullptr);
  EXPECT_EQ(tagItem->text(), QStringLiteral("Hide Tag Editor"));
  tagItem->trigger();
  EXPECT_TRUE(store().boolValue(QStringLiteral("hideTagEditorInInformalBreakState")));
  EXPECT_TRUE(tagEditor->isHidden());
  EXPECT_FALSE(store().boolValue(QStringLiteral("hideTagEditor"))) << "the define page's own key";

  // The title's menu hides the automatic-end rows.
  QAction* rulesItem =
      wheelItem(page.titleFragment(), QStringLiteral("Automatically End Informal Break Feature"));
  ASSERT_NE(rulesItem, nullptr);
  rulesItem->trigger();
  EXPECT_TRUE(store().boolValue(QStringLiteral("automaticEndToInformalBreak")));
  EXPECT_TRUE(page.endAutomaticallyAfterAnHourCheckbox()->parentWidget()->isHidden());
  store().setValue(QStringLiteral("automaticEndToInformalBreak"), false);
}

TEST(InformalBreak, TheTagCommandReachesThePageThroughTheChainAndRevealsTheField) {
  BreakFixture f;
  store().setValue(QStringLiteral("hideTagEditor"), false);
  f.startOnPrepare();
  // On the prepare page nothing answers the command.
  EXPECT_FALSE(f.machine.tryToPerform(QStringLiteral("selectTagTokenField")));
  f.machine.triggerTransition(QStringLiteral("informalBreak"));
  InformalBreakState& page = f.informal();
  QWidget* tagEditor = page.tagTokenField()->parentWidget();

  // Not in a window yet: the row shows, nothing takes the focus.
  store().setValue(QStringLiteral("hideTagEditorInInformalBreakState"), true);
  EXPECT_TRUE(f.machine.tryToPerform(QStringLiteral("selectTagTokenField")));
  EXPECT_FALSE(store().boolValue(QStringLiteral("hideTagEditorInInformalBreakState")));
  EXPECT_FALSE(tagEditor->isHidden());
  EXPECT_FALSE(page.tagTokenField()->hasFocus());

  // In a shown window the caret moves from the objective to the tag field.
  QWidget window;
  auto* layout = new QVBoxLayout(&window);
  layout->addWidget(page.infoWall());
  window.show();
  QApplication::setActiveWindow(&window);
  page.objectiveTextView()->setFocus();
  store().setValue(QStringLiteral("hideTagEditorInInformalBreakState"), true);
  EXPECT_TRUE(f.machine.tryToPerform(QStringLiteral("selectTagTokenField")));
  EXPECT_FALSE(tagEditor->isHidden());
  EXPECT_EQ(QApplication::focusWidget(), page.tagTokenField());
  EXPECT_FALSE(store().boolValue(QStringLiteral("hideTagEditor")))
      << "the define page's key stays as it was";
  page.infoWall()->setParent(nullptr);

  // Back on the define page, the command is the define page's again.
  page.startTimeSlice();
  ASSERT_EQ(f.machine.currentState(), &f.define());
  store().setValue(QStringLiteral("hideTagEditor"), true);
  EXPECT_TRUE(f.machine.tryToPerform(QStringLiteral("selectTagTokenField")));
  EXPECT_FALSE(store().boolValue(QStringLiteral("hideTagEditor")));
}
