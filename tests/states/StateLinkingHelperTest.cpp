#include "states/StateLinkingHelper.h"

#include "states/DefineTimeSliceState.h"
#include "states/InformalBreakState.h"
#include "states/PausedState.h"
#include "states/PrepareTimedBreakState.h"
#include "states/RateTimeSliceState.h"
#include "states/SoftBreakState.h"
#include "states/TimeSliceRunningState.h"
#include "states/TimedBreakRunningState.h"
#include "states/WelcomeState.h"

#include "StateTestDoubles.h"
#include "engine/StateMachine.h"
#include "kit/text/BorderedBackgroundView.h"
#include "kit/text/ObjectiveBackgroundManager.h"
#include "kit/walls/Wall.h"
#include "platform/settings/UserDefaults.h"
#include "support/TestClock.h"

#include <gtest/gtest.h>

#include <set>

using namespace kr;

namespace {

struct Fixture {
  test::TestClock clock;
  test::RecordingStateHost host;
  StateMachine machine;
  StateLinkingHelper helper;
};

QStringList classNames(const std::vector<BaseState*>& states) {
  QStringList names;
  for (const BaseState* state : states)
    names.append(state->className());
  return names;
}

} // namespace

TEST(StateLinkingHelper, RunsPreparationsBeforeCreatingStatesInOrder) {
  test::TestClock clock;
  QStringList steps;
  StateLinkingHelper helper({[&] { steps.append(QStringLiteral("defaults")); },
                             [&] { steps.append(QStringLiteral("data model")); }});
  EXPECT_EQ(steps, (QStringList{QStringLiteral("defaults"), QStringLiteral("data model")}));
  EXPECT_EQ(classNames(helper.creationOrder()).join(QLatin1Char(',')),
            QStringLiteral("DefineTimeSliceState,TimeSliceRunningState,RateTimeSliceState,"
                           "PausedState,PrepareTimedBreakState,TimedBreakRunningState,"
                           "InformalBreakState,WelcomeState,WelcomeState,WelcomeState,"
                           "SoftBreakState"));
  // Eleven separate objects: the three welcome objects have pages of their own.
  const std::set<BaseState*> distinct(helper.creationOrder().begin(), helper.creationOrder().end());
  EXPECT_EQ(distinct.size(), 11u);
  EXPECT_NE(helper.welcomeState().infoWall(),
            helper.welcomeStateCopyForInformalBreakState().infoWall());
}

TEST(StateLinkingHelper, BuildsEveryPageInBuildOrder) {
  Fixture f;
  f.helper.awake(f.machine, 1);
  const std::vector<BaseState*> expected = {&f.helper.welcomeState(),
                                            &f.helper.welcomeStateCopyForInformalBreakState(),
                                            &f.helper.welcomeStateCopyForPrepareTimedBreakState(),
                                            &f.helper.defineTimeSliceState(),
                                            &f.helper.timeSliceRunningState(),
                                            &f.helper.rateTimeSliceState(),
                                            &f.helper.pausedState(),
                                            &f.helper.prepareTimedBreakState(),
                                            &f.helper.timedBreakRunningState(),
                                            &f.helper.informalBreakState(),
                                            &f.helper.softBreakState()};
  EXPECT_EQ(f.helper.buildOrder(), expected);
  for (BaseState* state : expected)
    EXPECT_NE(state->infoWall()->findChild<QWidget*>(QStringLiteral("fragmentStackView")), nullptr)
        << state->className().toStdString();
}

TEST(StateLinkingHelper, FirstLaunchStartsOnWelcomeAndLaterLaunchesOnDefine) {
  {
    Fixture f;
    f.helper.awake(f.machine, 0);
    f.machine.start();
    EXPECT_EQ(f.machine.currentState(), &f.helper.welcomeState());
    f.machine.triggerTransition(QStringLiteral("next"));
    EXPECT_EQ(f.machine.currentState(), &f.helper.defineTimeSliceState());
  }
  for (qint64 counter : {1, 2, 500}) {
    Fixture f;
    f.helper.awake(f.machine, counter);
    f.machine.start();
    EXPECT_EQ(f.machine.currentState(), &f.helper.defineTimeSliceState()) << counter;
  }
}

TEST(StateLinkingHelper, LinksEveryExitOfTheTable) {
  Fixture f;
  f.helper.awake(f.machine, 1);
  StateLinkingHelper& h = f.helper;
  struct Link {
    BaseState* state;
    QString exit;
    BaseState* successor;
  };
  const std::vector<Link> table = {
      {&h.welcomeState(), QStringLiteral("next"), &h.defineTimeSliceState()},
      {&h.welcomeStateCopyForPrepareTimedBreakState(), QStringLiteral("next"),
       &h.prepareTimedBreakState()},
      {&h.welcomeStateCopyForInformalBreakState(), QStringLiteral("next"), &h.informalBreakState()},
      {&h.defineTimeSliceState(), QStringLiteral("next"), &h.timeSliceRunningState()},
      {&h.defineTimeSliceState(), QStringLiteral("timedBreak"), &h.timedBreakRunningState()},
      {&h.defineTimeSliceState(), QStringLiteral("welcome"), &h.welcomeState()},
      {&h.timeSliceRunningState(), QStringLiteral("elapsed"), &h.rateTimeSliceState()},
      {&h.timeSliceRunningState(), QStringLiteral("aborted"), &h.rateTimeSliceState()},
      {&h.timeSliceRunningState(), QStringLiteral("pause"), &h.pausedState()},
      {&h.timeSliceRunningState(), QStringLiteral("softBreak"), &h.softBreakState()},
      {&h.softBreakState(), QStringLiteral("aborted"), &h.rateTimeSliceState()},
      {&h.softBreakState(), QStringLiteral("elapsed"), &h.rateTimeSliceState()},
      {&h.softBreakState(), QStringLiteral("finish"), &h.rateTimeSliceState()},
      {&h.softBreakState(), QStringLiteral("extend"), &h.timeSliceRunningState()},
      {&h.pausedState(), QStringLiteral("continueTimeSlice"), &h.timeSliceRunningState()},
      {&h.pausedState(), QStringLiteral("abort"), &h.defineTimeSliceState()},
      {&h.pausedState(), QStringLiteral("finish"), &h.rateTimeSliceState()},
      {&h.rateTimeSliceState(), QStringLiteral("next"), &h.prepareTimedBreakState()},
      {&h.rateTimeSliceState(), QStringLiteral("extend"), &h.timeSliceRunningState()},
      {&h.rateTimeSliceState(), QStringLiteral("skipLogging"), &h.prepareTimedBreakState()},
      {&h.prepareTimedBreakState(), QStringLiteral("next"), &h.timedBreakRunningState()},
      {&h.prepareTimedBreakState(), QStringLiteral("informalBreak"), &h.informalBreakState()},
      {&h.prepareTimedBreakState(), QStringLiteral("nextTimeSlice"), &h.defineTimeSliceState()},
      {&h.prepareTimedBreakState(), QStringLiteral("welcome"),
       &h.welcomeStateCopyForPrepareTimedBreakState()},
      {&h.informalBreakState(), QStringLiteral("next"), &h.defineTimeSliceState()},
      {&h.informalBreakState(), QStringLiteral("welcome"),
       &h.welcomeStateCopyForInformalBreakState()},
      {&h.timedBreakRunningState(), QStringLiteral("aborted"), &h.defineTimeSliceState()},
      {&h.timedBreakRunningState(), QStringLiteral("elapsed"), &h.defineTimeSliceState()},
  };
  std::size_t declaredExits = 0;
  for (BaseState* state : h.creationOrder())
    declaredExits += state->exits().entries().size();
  // Every declared exit is in the table, and no exit is left unlinked.
  EXPECT_EQ(declaredExits, table.size());
  for (const Link& link : table) {
    bool declared = false;
    EXPECT_EQ(link.state->exitNamed(link.exit, &declared), link.successor)
        << link.state->className().toStdString() << "." << link.exit.toStdString();
    EXPECT_TRUE(declared);
  }
}

TEST(StateLinkingHelper, WelcomeCopiesReturnWhereTheyWereReachedFrom) {
  Fixture f;
  StateLinkingHelper& h = f.helper;
  h.awake(f.machine, 1);
  f.machine.start();
  const auto go = [&](const char* name) {
    f.machine.triggerTransition(QString::fromLatin1(name));
    return f.machine.currentState();
  };
  EXPECT_EQ(go("next"), &h.timeSliceRunningState());
  EXPECT_EQ(go("aborted"), &h.rateTimeSliceState());
  EXPECT_EQ(go("skipLogging"), &h.prepareTimedBreakState());
  EXPECT_EQ(go("welcome"), &h.welcomeStateCopyForPrepareTimedBreakState());
  EXPECT_EQ(go("next"), &h.prepareTimedBreakState());
  EXPECT_EQ(go("informalBreak"), &h.informalBreakState());
  EXPECT_EQ(go("welcome"), &h.welcomeStateCopyForInformalBreakState());
  EXPECT_EQ(go("next"), &h.informalBreakState());
  EXPECT_EQ(go("next"), &h.defineTimeSliceState());
  EXPECT_EQ(go("timedBreak"), &h.timedBreakRunningState());
  EXPECT_EQ(go("elapsed"), &h.defineTimeSliceState());
  // Each page was shown as its state became current.
  EXPECT_EQ(f.host.shownStates.back(), &h.defineTimeSliceState());
  EXPECT_EQ(f.host.shownStates.size(), 12u);
}

// A colour chosen for the objective (stored as the Pads pane of the
// preferences stores it) recolours the define and rating pages' objective
// backgrounds at once, through the pages' own backgrounds and the objective
// background manager alike.
TEST(StateLinkingHelper, AnObjectiveColourChosenRecoloursTheDefineAndRatingPages) {
  Fixture f;
  f.helper.awake(f.machine, 1);
  ObjectiveBackgroundManager* manager = f.helper.objectiveBackgroundManager();
  ASSERT_NE(manager, nullptr);
  EXPECT_EQ(ObjectiveBackgroundManager::sharedInstance(), manager);
  const auto background = [](BaseState& state) {
    return state.infoWall()->findChild<BorderedBackgroundView*>(
        QStringLiteral("objectiveBackground"));
  };
  BorderedBackgroundView* define = background(f.helper.defineTimeSliceState());
  BorderedBackgroundView* rate = background(f.helper.rateTimeSliceState());
  ASSERT_TRUE(define && rate);
  EXPECT_EQ(manager->objectiveBorderedBackgroundView, define);
  EXPECT_EQ(manager->rateYourTimeSliceBorderedBackgroundView, rate);
  EXPECT_EQ(manager->infoWindowScrollView, nullptr); // the older views are not built
  const QColor registered = *define->backgroundColor();
  EXPECT_EQ(manager->color(), registered);

  UserDefaults& defaults = UserDefaults::standard();
  defaults.setValue(QStringLiteral("objectiveBackgroundColor"), QStringLiteral("#336699"));
  for (BorderedBackgroundView* view : {define, rate})
    EXPECT_EQ(view->backgroundColor(), QColor(0x33, 0x66, 0x99));
  EXPECT_EQ(manager->color(), QColor(0x33, 0x66, 0x99));
  // Drawn so: the inside of the one-point frame shows the new colour.
  define->resize(40, 20);
  EXPECT_EQ(define->grab().toImage().pixelColor(20, 10), QColor(0x33, 0x66, 0x99));
  // Back to the registered colour ("Reset Colors").
  defaults.remove(QStringLiteral("objectiveBackgroundColor"));
  EXPECT_EQ(rate->backgroundColor(), registered);
  EXPECT_EQ(manager->color(), registered);
}
