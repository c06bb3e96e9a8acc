#include "SliceTestFixture.h"

#include "states/PrepareTimedBreakState.h"
#include "states/TimeViewFactory.h"
#include "states/TimedBreakRunningState.h"
#include "states/WelcomeState.h"

#include "kit/bricks/PullDownButtonBrick.h"

#include "kit/bricks/TagTokenField.h"
#include "kit/walls/TitleFragment.h"
#include <QMenu>

#include <QDate>
#include <QTime>

#include <gtest/gtest.h>

using namespace kr;

namespace {

const QString kLunch = QStringLiteral("automaticallyBringDefineTimeSliceToFrontAfterLunch");
const QString kBreakfast = QStringLiteral("automaticallyBringDefineTimeSliceToFrontAfterBreakfast");
const QString kInactivity =
    QStringLiteral("automaticallyBringDefineTimeSliceToFrontAfterInactivity");
const QString kOneHour = QStringLiteral("automaticallyBringDefineTimeSliceToFrontAfterOneHour");

void setOptions(const QStringList& on) {
  for (const QString& key : {kLunch, kBreakfast, kInactivity, kOneHour})
    UserDefaults::standard().setValue(key, on.contains(key));
}

// One row of a rule's table: the clock moves on by `advance` seconds with the
// user idle for `idle` seconds throughout; afterwards the page has come to
// the front `fronts` times since the application went to the background.
struct Step {
  double advance;
  double idle;
  int fronts;
};

struct Rule {
  const char* name;
  QTime background;
  QStringList options;
  std::vector<Step> steps;
};

QDateTime localTime(const QTime& time) { return QDateTime(QDate(2026, 3, 2), time, Qt::LocalTime); }

} // namespace

TEST(DefineBringToFront, EachRuleByTimesAndIdleSeconds) {
  const std::vector<Rule> rules = {
      {"lunch after 13:00 once idle 61 s",
       QTime(12, 58),
       {kLunch},
       {{120, 30, 0}, {60, 60, 0}, {1, 61, 1}, {600, 900, 1}}},
      {"lunch never when sent away at 13:10", QTime(13, 10), {kLunch}, {{3600, 1000, 0}}},
      {"lunch off", QTime(12, 58), {}, {{600, 1000, 0}}},
      {"breakfast after 05:00 once idle 61 s",
       QTime(4, 30),
       {kBreakfast},
       {{1800, 10, 0}, {1, 61, 1}, {60, 100, 1}}},
      {"breakfast never when sent away at 05:00", QTime(5, 0), {kBreakfast}, {{600, 100, 0}}},
      {"inactivity not in the first 10 s", QTime(10, 0), {kInactivity}, {{9, 400, 0}, {1, 400, 1}}},
      {"inactivity needs 301 s idle", QTime(10, 0), {kInactivity}, {{60, 300, 0}, {1, 301, 1}}},
      {"inactivity off", QTime(10, 0), {kOneHour}, {{600, 1000, 0}}},
      {"one hour then idle 11 s",
       QTime(10, 0),
       {kOneHour},
       {{3600, 50, 0}, {1, 10, 0}, {1, 11, 1}, {3700, 50, 1}}},
      {"lunch and inactivity in one tick",
       QTime(12, 59, 50),
       {kLunch, kInactivity},
       {{10, 400, 2}, {100, 400, 2}}},
  };
  for (const Rule& rule : rules) {
    SCOPED_TRACE(rule.name);
    test::SliceFixture f;
    setOptions(rule.options);
    f.clock.setDate(localTime(rule.background));
    f.start();
    ASSERT_EQ(f.appDelegate.frontCount, 1) << "activation brings the page to the front";
    f.appDelegate.resignActive();
    EXPECT_TRUE(f.define().bringToFrontTimerRuns());
    const int base = f.appDelegate.frontCount;
    for (const Step& step : rule.steps) {
      f.appDelegate.idleTime = step.idle;
      f.clock.advance(step.advance);
      EXPECT_EQ(f.appDelegate.frontCount - base, step.fronts)
          << "after " << step.advance << " s idle " << step.idle;
    }
  }
}

TEST(DefineBringToFront, ChecksOnlyInTheBackgroundAndOnlyOnTheDefinePage) {
  test::SliceFixture f;
  setOptions({kInactivity});
  f.start();
  f.appDelegate.idleTime = 1000;

  // Active again before any rule fired: the checks stop.
  f.appDelegate.resignActive();
  f.clock.advance(5);
  f.appDelegate.becomeActive();
  EXPECT_FALSE(f.define().bringToFrontTimerRuns());
  f.clock.advance(600);
  EXPECT_EQ(f.appDelegate.frontCount, 1);

  // While a slice runs in the background no rule fires.
  f.define().startTimeSlice();
  f.appDelegate.resignActive();
  f.clock.advance(600);
  EXPECT_EQ(f.appDelegate.frontCount, 1);
  EXPECT_EQ(f.machine.currentState(), &f.running());
}

TEST(DefineBringToFront, AfterARuleFiredTheNextStayInTheBackgroundMeasuresAfresh) {
  test::SliceFixture f;
  setOptions({kInactivity});
  f.start();
  f.appDelegate.idleTime = 400;
  f.appDelegate.resignActive();
  f.clock.advance(10);
  EXPECT_EQ(f.appDelegate.frontCount, 2);
  EXPECT_FALSE(f.define().bringToFrontTimerRuns()) << "a firing stops the checks";
  f.clock.advance(100);
  EXPECT_EQ(f.appDelegate.frontCount, 2);
  f.appDelegate.resignActive();
  EXPECT_EQ(f.define().automaticTransitionToFrontInitiatedTime(), f.clock.now());
  f.clock.advance(9);
  EXPECT_EQ(f.appDelegate.frontCount, 2);
  f.clock.advance(1);
  EXPECT_EQ(f.appDelegate.frontCount, 3);
}

TEST(DefineBringToFront, LunchFiresOncePerStayOnTheDefinePage) {
  test::SliceFixture f;
  setOptions({kLunch});
  f.clock.setDate(localTime(QTime(12, 50)));
  f.start();
  const int base = f.appDelegate.frontCount;
  f.appDelegate.idleTime = 100;
  f.appDelegate.resignActive();
  f.clock.advance(11 * 60);
  EXPECT_EQ(f.appDelegate.frontCount - base, 1);
  // Sent away again at once: the new measuring time is after 13:00 anyway,
  // and the spent rule does not fire again.
  f.clock.setDate(localTime(QTime(12, 59)));
  f.appDelegate.resignActive();
  f.clock.advance(120);
  EXPECT_EQ(f.appDelegate.frontCount - base, 1);
}

TEST(DefinePage, SliderAndMinuteStepsDriveTheStoredLength) {
  test::SliceFixture f(1500);
  f.start();
  QSlider* slider = f.define().slider();
  ASSERT_NE(slider, nullptr);
  EXPECT_EQ(slider->minimum(), 2);
  EXPECT_EQ(slider->maximum(), 60);
  EXPECT_EQ(slider->value(), 25);
  slider->setValue(42);
  EXPECT_EQ(DataModel::shared().durationInSeconds(), 42 * 60);

  struct Case {
    qint64 stored;
    const char* action;
    qint64 expected;
  };
  const Case cases[] = {{3599, "addOneMinute", 3600},    {3600, "addOneMinute", 3600},
                        {1530, "addOneMinute", 1560},    {239, "subtractOneMinute", 120},
                        {150, "subtractOneMinute", 150}, {150, "addOneMinute", 180},
                        {180, "subtractOneMinute", 120}};
  for (const Case& c : cases) {
    DataModel::shared().setDurationInSeconds(c.stored);
    EXPECT_TRUE(f.machine.tryToPerform(QString::fromLatin1(c.action)));
    EXPECT_EQ(DataModel::shared().durationInSeconds(), c.expected) << c.stored << " " << c.action;
  }
  EXPECT_EQ(slider->value(), 2) << "the slider follows the stored length";
  DataModel::shared().setDurationInSeconds(3600);
  EXPECT_EQ(slider->value(), 60);
}

TEST(DefinePage, ButtonsAndCommandsFireTheirTransitions) {
  {
    test::SliceFixture f;
    f.start();
    ASSERT_TRUE(f.define().simulateDefaultButtonPress()) << "Start Time Slice is the default";
    EXPECT_EQ(f.machine.currentState(), &f.running());
  }
  {
    test::SliceFixture f;
    f.start();
    EXPECT_TRUE(f.machine.tryToPerform(QStringLiteral("startTimeSlice")));
    EXPECT_EQ(f.machine.currentState(), &f.running());
  }
  {
    test::SliceFixture f;
    f.start();
    EXPECT_TRUE(f.machine.tryToPerform(QStringLiteral("backToWelcomePage")));
    EXPECT_EQ(f.machine.currentState(), &f.helper.welcomeState());
  }
  {
    test::SliceFixture f;
    f.start();
    QPushButton* hide = f.define().buttonWall()->findChild<QPushButton*>(QStringLiteral("Hide"));
    ASSERT_NE(hide, nullptr);
    hide->click();
    EXPECT_EQ(f.host.hiddenBy.back(), &f.define());
    EXPECT_EQ(f.machine.currentState(), &f.define());
  }
}

TEST(DefinePage, StartWithATimedBreakUsesTheChosenLengthOnce) {
  test::SliceFixture f;
  UserDefaults::standard().remove(QStringLiteral("startWithBreakDurationInMinutes"));
  f.start();
  QComboBox* popUp = f.define().startWithBreakPopUp();
  ASSERT_NE(popUp, nullptr);
  EXPECT_EQ(popUp->currentText(), QStringLiteral("of 2 minutes"));
  EXPECT_EQ(UserDefaults::standard().integer(QStringLiteral("startWithBreakDurationInMinutes")), 2);
  popUp->setCurrentIndex(3);
  Q_EMIT popUp->activated(3);
  EXPECT_EQ(UserDefaults::standard().integer(QStringLiteral("startWithBreakDurationInMinutes")),
            15);
  f.define().startWithBreakButton()->click();
  EXPECT_EQ(f.machine.currentState(), &f.helper.timedBreakRunningState());
  EXPECT_TRUE(DataModel::shared().useOneTimeOnlyBreakDurationThisTimeOnly);
  EXPECT_EQ(DataModel::shared().oneTimeOnlyBreakDuration, 900);
  DataModel::shared().useOneTimeOnlyBreakDurationThisTimeOnly = false;
}

TEST(DefinePage, AStoredBreakLengthNotOfferedShowsTheFirstEntryButIsUsed) {
  test::SliceFixture f;
  UserDefaults::standard().setValue(QStringLiteral("startWithBreakDurationInMinutes"), 7);
  f.start();
  EXPECT_EQ(f.define().startWithBreakPopUp()->currentIndex(), 0);
  EXPECT_TRUE(f.machine.tryToPerform(QStringLiteral("startTimedBreak")));
  EXPECT_EQ(DataModel::shared().oneTimeOnlyBreakDuration, 420);
  DataModel::shared().useOneTimeOnlyBreakDurationThisTimeOnly = false;
  UserDefaults::standard().remove(QStringLiteral("startWithBreakDurationInMinutes"));
}

TEST(DefinePage, LockScreenItemTogglesTheSetting) {
  test::SliceFixture f;
  UserDefaults::standard().setValue(QStringLiteral("lockScreenDuringBreak"), false);
  f.start();
  QAction* item = f.define().lockScreenItem();
  ASSERT_NE(item, nullptr);
  item->trigger();
  EXPECT_TRUE(DataModel::shared().lockScreenDuringBreak());
  item->trigger();
  EXPECT_FALSE(DataModel::shared().lockScreenDuringBreak());
}

TEST(DefinePage, ALengthChangeRefreshesTheTimeViewsAtOnceAndTheQuickDialogStoresMinutes) {
  int durationWallUpdates = 0;
  std::int64_t shownSeconds = 0;
  TimeViewFactory::MinutesSetter bubbleSetter;
  int dialogInitial = -1;
  TimeViewFactory::MinutesSetter dialogSetter;
  TimeViewFactory& factory = TimeViewFactory::shared();
  factory.makeDurationDefinitionWall = [&](TimeViewFactory::SecondsSource seconds) {
    return PageSection{new QWidget, [&, seconds] {
                         ++durationWallUpdates;
                         shownSeconds = seconds();
                       }};
  };
  factory.makeTimeBubbleView = [&](TimeViewFactory::MinutesSetter setter) {
    // The define page is built first; the prepare-timed-break page makes bubbles too.
    if (!bubbleSetter)
      bubbleSetter = setter;
    return PageSection{new QWidget, {}};
  };
  factory.runQuickDurationDialog = [&](QWidget*, int initial, TimeViewFactory::MinutesSetter set) {
    dialogInitial = initial;
    dialogSetter = set;
  };
  {
    test::SliceFixture f(1530);
    f.start();
    const int before = durationWallUpdates;
    DataModel::shared().setDurationInSeconds(600);
    EXPECT_EQ(durationWallUpdates, before + 1) << "not only at the next refresh";
    EXPECT_EQ(shownSeconds, 600);

    ASSERT_TRUE(bubbleSetter);
    bubbleSetter(23);
    EXPECT_EQ(DataModel::shared().durationInSeconds(), 1380);

    DataModel::shared().setDurationInSeconds(1530);
    EXPECT_TRUE(f.machine.tryToPerform(QStringLiteral("changeDuration")));
    EXPECT_EQ(dialogInitial, 25);
    ASSERT_TRUE(dialogSetter);
    dialogSetter(60);
    EXPECT_EQ(DataModel::shared().durationInSeconds(), 3600);
  }
  factory = TimeViewFactory{};
}

TEST(DefinePage, TagFieldEditsTheTagsAndTheCommandRevealsIt) {
  test::SliceFixture f;
  DataModel::shared().setTags(QStringLiteral("writing"));
  f.start();
  TagTokenField* field = f.define().tagTokenField();
  ASSERT_NE(field, nullptr);
  EXPECT_EQ(field->tokens(), QStringList{QStringLiteral("writing")});
  // Typed by the user: the field commits when editing finishes.
  field->setText(QStringLiteral("writing, review"));
  Q_EMIT field->editingFinished();
  EXPECT_EQ(DataModel::shared().tags(), QStringLiteral("writing,review"));

  UserDefaults::standard().setValue(QStringLiteral("hideTagEditor"), true);
  EXPECT_TRUE(f.machine.tryToPerform(QStringLiteral("selectTagTokenField")));
  EXPECT_FALSE(UserDefaults::standard().boolValue(QStringLiteral("hideTagEditor")));

  // The same tags on the running and paused pages, edited in place.
  f.define().startTimeSlice();
  EXPECT_EQ(f.running().tagTokenField()->tokens().size(), 2);
  f.running().pauseOrResumeTimeSlice();
  f.paused().tagTokenField()->setText(QStringLiteral("review"));
  Q_EMIT f.paused().tagTokenField()->editingFinished();
  EXPECT_EQ(DataModel::shared().tags(), QStringLiteral("review"));
  UserDefaults::standard().setValue(QStringLiteral("hideTagEditorInPausedState"), true);
  EXPECT_TRUE(f.machine.tryToPerform(QStringLiteral("selectTagTokenField")));
  EXPECT_FALSE(UserDefaults::standard().boolValue(QStringLiteral("hideTagEditorInPausedState")));
}

TEST(DefinePage, TitleMenuSwitchesTheRulesAndSectionsFollowTheirKeys) {
  test::SliceFixture f;
  setOptions({});
  UserDefaults::standard().setValue(QStringLiteral("hideBubbles"), false);
  f.start();
  auto* title = f.define().infoWall()->findChild<TitleFragment*>();
  ASSERT_NE(title, nullptr);
  QStringList titles;
  QAction* lunch = nullptr;
  for (QAction* action : title->wheelButton()->itemMenu()->actions()) {
    titles.append(action->text());
    if (action->text() == QStringLiteral("Bring to Front After Lunch"))
      lunch = action;
  }
  // The first item is the button's face.
  EXPECT_EQ(titles.mid(1, 4),
            (QStringList{QStringLiteral("Bring to Front After 5 Minutes of Inactivity"),
                         QStringLiteral("Bring to Front After 1 Hour"),
                         QStringLiteral("Bring to Front After Breakfast"),
                         QStringLiteral("Bring to Front After Lunch")}));
  ASSERT_NE(lunch, nullptr);
  lunch->trigger();
  EXPECT_TRUE(UserDefaults::standard().boolValue(kLunch));

  const auto sections = f.define().fragmentStackView()->findChildren<QWidget*>(
      QStringLiteral("Start With a Timed Break Option"));
  ASSERT_EQ(sections.size(), 1);
  EXPECT_FALSE(sections[0]->isHidden());
  UserDefaults::standard().setValue(QStringLiteral("startWithBreakOption"), true);
  EXPECT_TRUE(sections[0]->isHidden());
  UserDefaults::standard().setValue(QStringLiteral("startWithBreakOption"), false);
  EXPECT_FALSE(sections[0]->isHidden());
  setOptions({});
}
