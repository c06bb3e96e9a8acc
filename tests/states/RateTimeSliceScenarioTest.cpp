#include "SliceTestFixture.h"

#include "states/PageServices.h"
#include "states/PrepareTimedBreakState.h"

#include "kit/SmartMenuItem.h"
#include "kit/bricks/PullDownButtonBrick.h"
#include "kit/bricks/TagTokenField.h"
#include "kit/text/ObjectiveTextView.h"
#include "kit/walls/TitleFragment.h"

#include "engine/BackingStoreDescriptor.h"
#include "engine/BackingStoreManager.h"
#include "engine/FullDataSet.h"
#include "engine/TimedStateMachineModule.h"
#include "engine/TimedStateMachineViewModel.h"
#include "platform/SmartTimerWrapper.h"
#include "platform/richtext/RichText.h"
#include "platform/richtext/RtfWriter.h"
#include "platform/richtext/RtfdPackage.h"
#include "platform/services/FileBrowserAPI.h"

#include "support/TestEnvironment.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

#include <gtest/gtest.h>

using namespace kr;

namespace {

const QString kMachine = QStringLiteral("a4836e8b9f2");
const QString kLink = QStringLiteral("https://example.org/report");

UserDefaults& defaults() { return UserDefaults::standard(); }

const QString kEditingLock = QStringLiteral("disableObjectiveEditingForTwoSecondsAfterActivation");

QString storedObjective() { return DataModel::shared().objectiveData().plainText(); }

bool wholeTextSelected(const ObjectiveTextView* editor) {
  return !editor->toPlainText().isEmpty() &&
         editor->textCursor().selectedText() == editor->toPlainText();
}

// The slice states with the log in a folder of the test's own, a statistics
// refresh that is counted, and the soft break off.
class RateTimeSliceScenario : public ::testing::Test {
protected:
  void SetUp() override {
    BackingStoreManager::sharedManager().setMachineIdentifierForTesting(kMachine);
    FileBrowserAPI::install(&browser);
    defaults().setValue(QStringLiteral("dropboxSync"), true);
    defaults().setValue(QStringLiteral("dropboxLocation"), dir.path());
    Logger::sharedLogger().updateLogFileDescriptors();
    PageServices::shared().refreshStatistics = [this] { ++statisticsRefreshes; };
    defaults().remove(QStringLiteral("completed"));
    defaults().setValue(QStringLiteral("focusRating"), 1);
    defaults().setValue(QStringLiteral("tags"), QStringLiteral("writing,report"));
    RichText objective(QStringLiteral("Write the "));
    CharFormat bold;
    bold.bold = true;
    objective.append(QStringLiteral("quarterly"), bold);
    objective.append(QStringLiteral(" "));
    CharFormat linked;
    linked.link = kLink;
    objective.append(QStringLiteral("report"), linked);
    defaults().setValue(QStringLiteral("objective"), RtfWriter::write(objective));
    f.start();
  }
  void TearDown() override {
    PageServices::shared() = PageServices{};
    defaults().setValue(QStringLiteral("dropboxSync"), false);
    Logger::sharedLogger().updateLogFileDescriptors();
    FileBrowserAPI::install(nullptr);
    BackingStoreManager::sharedManager().setMachineIdentifierForTesting({});
  }

  // Runs a slice of `seconds` from the define page to the rating.
  void runSlice(double seconds) {
    f.define().startTimeSlice();
    f.clock.advance(seconds);
    ASSERT_EQ(f.machine.currentState(), &f.rate());
  }
  static QString dayPath() {
    return Logger::sharedLogger().systemLogBackingStoreDesc().getPathToCurrentFile();
  }
  static FullDataSet::FileContents readDay() { return FullDataSet::loadRTFDFile(dayPath()); }

  QTemporaryDir dir;
  TestFileBrowser browser;
  test::SliceFixture f{120};
  int statisticsRefreshes = 0;
};

} // namespace

TEST_F(RateTimeSliceScenario, LoggedSliceReadsBackFromTheDaysFileWithAllItsValues) {
  const QDateTime start = f.clock.nowAsDate();
  runSlice(120.0);
  RateTimeSliceState& rate = f.rate();
  EXPECT_EQ(f.host.shownStates.back(), &rate);

  // The page as it first shows: logged as completed, so priming shows and
  // breadcrumbs do not; unchecking swaps them.
  ASSERT_EQ(rate.focusPopUpButton()->count(), 4);
  EXPECT_EQ(rate.focusPopUpButton()->itemText(0), QStringLiteral("I felt distracted"));
  EXPECT_EQ(rate.focusPopUpButton()->itemText(3), QStringLiteral("I experienced \"flow\""));
  EXPECT_EQ(rate.focusPopUpButton()->currentIndex(), 1);
  EXPECT_TRUE(rate.completedCheckBox()->isChecked());
  EXPECT_TRUE(rate.breadcrumbsSection()->isHidden());
  EXPECT_FALSE(rate.primingSection()->isHidden());
  rate.completedCheckBox()->setChecked(false);
  EXPECT_FALSE(defaults().boolValue(QStringLiteral("completed")));
  EXPECT_FALSE(rate.breadcrumbsSection()->isHidden());
  EXPECT_TRUE(rate.primingSection()->isHidden());
  rate.focusPopUpButton()->setCurrentIndex(3);
  EXPECT_EQ(defaults().integer(QStringLiteral("focusRating")), 3);
  // The tags as they will be logged; the command to edit them shows the
  // editor when it was hidden.
  EXPECT_EQ(rate.tagTokenField()->tokens(),
            (QStringList{QStringLiteral("writing"), QStringLiteral("report")}));
  QWidget* tagEditor = rate.tagTokenField()->parentWidget();
  defaults().setValue(QStringLiteral("hideTagEditorInRateTimeSliceState"), true);
  EXPECT_TRUE(tagEditor->isHidden());
  EXPECT_TRUE(f.machine.tryToPerform(QStringLiteral("selectTagTokenField")));
  EXPECT_FALSE(tagEditor->isHidden());

  // Return presses "Log".
  EXPECT_TRUE(rate.simulateDefaultButtonPress());
  EXPECT_EQ(f.machine.currentState(), &f.helper.prepareTimedBreakState());
  EXPECT_EQ(statisticsRefreshes, 1);
  EXPECT_EQ(f.worked(), 0);
  EXPECT_EQ(f.extension(), 0);
  EXPECT_TRUE(f.alerts.shown.isEmpty());

  const FullDataSet::FileContents read = readDay();
  ASSERT_EQ(read.timeSlices.size(), 1u) << read.problem.toStdString();
  const FullTimeSlice& slice = *read.timeSlices[0];
  EXPECT_FALSE(QUuid::fromString(slice.uuid()).isNull()) << slice.uuid().toStdString();
  EXPECT_EQ(slice.objective(), QStringLiteral("Write the quarterly report"));
  const std::optional<RichText> objective = RtfdPackage::fromData(slice.objectiveAsRTFD());
  ASSERT_TRUE(objective.has_value());
  bool boldRun = false;
  for (const RichText::Run& run : objective->runs()) {
    if (run.format.bold)
      boldRun = objective->plainText().mid(run.start, run.length) == QStringLiteral("quarterly");
  }
  EXPECT_TRUE(boldRun) << "the bold word stays bold";
  EXPECT_EQ(slice.extractedLinks(), QStringList{kLink});
  EXPECT_EQ(slice.tagString(), QStringLiteral("writing,report"));
  EXPECT_EQ(slice.focusRating(), QStringLiteral("experienced flow"));
  EXPECT_FALSE(slice.completed());
  EXPECT_EQ(slice.duration(), 120.0);
  EXPECT_EQ(slice.actualDuration(), 120.0);
  EXPECT_EQ(slice.startDate(), start);
  EXPECT_EQ(slice.endDate(), start.addSecs(120));

  // The next slice is a new entry with an identifier of its own; the rating
  // and the objective carry over.
  f.machine.triggerTransition(QStringLiteral("nextTimeSlice"));
  ASSERT_EQ(f.machine.currentState(), &f.define());
  f.clock.advance(30.0);
  runSlice(120.0);
  EXPECT_EQ(rate.focusPopUpButton()->currentIndex(), 3);
  rate.logButton()->click();
  const FullDataSet::FileContents again = readDay();
  ASSERT_EQ(again.timeSlices.size(), 2u);
  EXPECT_NE(again.timeSlices[0]->uuid(), again.timeSlices[1]->uuid());
  EXPECT_EQ(statisticsRefreshes, 2);
}

TEST_F(RateTimeSliceScenario, UnwritableLogFolderKeepsTheSliceForALaterLog) {
  // A plain file where the log folder's parent should be: no folder can be
  // made below it, whoever runs the test.
  const QString blockerPath = dir.path() + QStringLiteral("/Korvane-R");
  ASSERT_TRUE(QDir(blockerPath).removeRecursively());
  QFile blocker(blockerPath);
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();

  runSlice(120.0);
  RateTimeSliceState& rate = f.rate();
  f.clock.advance(5.0);
  rate.focusPopUpButton()->setCurrentIndex(2);
  {
    test::ExpectWarnings expected({QStringLiteral("Could not create folder path at:"),
                                   QStringLiteral("append: toCurrentFile:")});
    rate.logButton()->click();
    EXPECT_GE(expected.seen(), 1);
  }
  ASSERT_EQ(f.alerts.shown.size(), 1) << "the user is told once";
  EXPECT_EQ(f.alerts.shown.first().messageText,
            QStringLiteral("Could not write to log file folder!"));
  EXPECT_EQ(f.machine.currentState(), &rate) << "the page stays";
  EXPECT_EQ(rate.focusPopUpButton()->currentIndex(), 2);
  EXPECT_EQ(f.worked(), 120) << "nothing is reset as if the slice had been logged";
  EXPECT_EQ(statisticsRefreshes, 0);

  // Once the folder can be made, "Log" writes the very same slice.
  ASSERT_TRUE(QFile::remove(blockerPath));
  rate.logButton()->click();
  EXPECT_EQ(f.machine.currentState(), &f.helper.prepareTimedBreakState());
  EXPECT_EQ(f.alerts.shown.size(), 1);
  EXPECT_EQ(f.worked(), 0);
  EXPECT_EQ(statisticsRefreshes, 1);
  const FullDataSet::FileContents read = readDay();
  ASSERT_EQ(read.timeSlices.size(), 1u) << read.problem.toStdString();
  EXPECT_EQ(read.timeSlices[0]->actualDuration(), 120.0);
  EXPECT_EQ(read.timeSlices[0]->focusRating(), QStringLiteral("highly focused"));
}

TEST_F(RateTimeSliceScenario, SkippingAsksFirstAndCancelKeepsEverything) {
  runSlice(120.0);
  RateTimeSliceState& rate = f.rate();
  DataModel::shared().setCurrentTimeSliceExtensionDuration(-30);

  f.alerts.answer = 1; // "Cancel"
  rate.doNotLogButton()->click();
  ASSERT_EQ(f.alerts.shown.size(), 1);
  const Alert& asked = f.alerts.shown.first();
  EXPECT_EQ(asked.messageText,
            QStringLiteral("Are you sure you do not want the time spent to be logged in any way?"));
  EXPECT_EQ(asked.buttons, (QStringList{QStringLiteral("OK"), QStringLiteral("Cancel")}));
  EXPECT_EQ(f.machine.currentState(), &rate);
  EXPECT_EQ(f.worked(), 120);
  EXPECT_EQ(f.extension(), -30);

  f.alerts.answer = 0; // "OK"
  rate.doNotLogButton()->click();
  EXPECT_EQ(f.alerts.shown.size(), 2);
  EXPECT_EQ(f.machine.currentState(), &f.helper.prepareTimedBreakState());
  EXPECT_EQ(f.worked(), 0);
  EXPECT_EQ(f.extension(), 0);
  EXPECT_FALSE(QFile::exists(dayPath())) << "nothing is written";
  EXPECT_EQ(statisticsRefreshes, 0);
}

TEST_F(RateTimeSliceScenario, ContinueByFiveMinutesAddsToTheSameEntry) {
  defaults().setValue(QStringLiteral("timeSliceExtensionDurationInMinutes"), 1);
  runSlice(120.0);
  RateTimeSliceState& rate = f.rate();
  QComboBox* popUp = rate.extensionPopUp();
  ASSERT_EQ(popUp->count(), 4);
  EXPECT_EQ(popUp->itemText(2), QStringLiteral("for 5 minutes"));
  Q_EMIT popUp->activated(2);
  EXPECT_EQ(defaults().integer(QStringLiteral("timeSliceExtensionDurationInMinutes")), 5);

  rate.continueButton()->click();
  ASSERT_EQ(f.machine.currentState(), &f.running());
  EXPECT_EQ(f.extension(), 300);
  EXPECT_EQ(f.worked(), 120) << "the worked seconds carry on";
  f.clock.advance(299.0);
  EXPECT_EQ(f.machine.currentState(), &f.running());
  f.clock.advance(1.0);
  ASSERT_EQ(f.machine.currentState(), &rate);

  // 25 worked minutes of a slice planned for 20 with 5 minutes chosen: the
  // stored extension is 600 s and the slice runs 5 more minutes.
  defaults().setValue(QStringLiteral("durationInSeconds"), 1200);
  Logger& logger = Logger::sharedLogger();
  while (logger.actualSecondsWorked() < 1500)
    logger.incrementActualSecondsWorked();
  rate.internalContinue();
  EXPECT_EQ(f.extension(), 600);
  EXPECT_EQ(f.running().duration(), 300);
  f.machine.triggerTransition(QStringLiteral("aborted"));

  rate.logButton()->click();
  const FullDataSet::FileContents read = readDay();
  ASSERT_EQ(read.timeSlices.size(), 1u);
  EXPECT_EQ(read.timeSlices[0]->actualDuration(), 1500.0) << "one entry for the whole slice";
}

TEST(RateTimeSliceState, StoredOddExtensionShowsTheFirstItemButStillExtendsByIt) {
  defaults().setValue(QStringLiteral("timeSliceExtensionDurationInMinutes"), 3);
  test::SliceFixture other(120);
  other.start();
  RateTimeSliceState& rate = other.rate();
  EXPECT_EQ(rate.extensionPopUp()->currentText(), QStringLiteral("for 1 minute"));
  other.define().startTimeSlice();
  other.clock.advance(120.0);
  rate.internalContinue();
  EXPECT_EQ(other.extension(), 180);
}

TEST_F(RateTimeSliceScenario, RatingSwitchesVisiblePadsToTheWeeklyStatistics) {
  const QStringList pads{QStringLiteral("statsPadHidden"), QStringLiteral("scratchPadHidden"),
                         QStringLiteral("todoPadHidden")};
  PageServices::shared().padStorageKeyPaths = [&] { return pads; };
  bool padsVisible = false;
  PageServices::shared().isPadSectionVisible = [&] { return padsVisible; };
  defaults().setValue(pads[0], true);
  defaults().setValue(pads[1], false);
  defaults().setValue(pads[2], true);
  defaults().setValue(QStringLiteral("currentlyDisplayedStatistic"), 4);

  runSlice(120.0);
  EXPECT_TRUE(defaults().boolValue(pads[0])) << "pads hidden: nothing changes";
  EXPECT_EQ(defaults().integer(QStringLiteral("currentlyDisplayedStatistic")), 4);

  f.machine.triggerTransition(QStringLiteral("skipLogging"));
  f.machine.triggerTransition(QStringLiteral("nextTimeSlice"));
  padsVisible = true;
  runSlice(120.0);
  EXPECT_FALSE(defaults().boolValue(pads[0]));
  EXPECT_TRUE(defaults().boolValue(pads[1]));
  EXPECT_TRUE(defaults().boolValue(pads[2]));
  EXPECT_EQ(defaults().integer(QStringLiteral("currentlyDisplayedStatistic")), 0);
}

TEST_F(RateTimeSliceScenario, ObjectiveTakesNoKeystrokeInTheFirstSecondAndAHalf) {
  const QString objective = storedObjective();
  runSlice(120.0);
  ObjectiveTextView* editor = f.rate().objectiveTextView();
  const QByteArray data = defaults().object(QStringLiteral("objective")).toByteArray();
  QTest::keyClicks(editor, QStringLiteral("typed on"));
  editor->toggleBoldAttribute();
  f.clock.advance(1.4);
  ASSERT_NE(f.rate().activateObjectiveEditingAfterDelayTimer(), nullptr);
  QTest::keyClicks(editor, QStringLiteral("x"));
  EXPECT_EQ(editor->toPlainText(), objective);
  EXPECT_EQ(defaults().object(QStringLiteral("objective")).toByteArray(), data)
      << "not even a format change";

  f.clock.advance(0.1);
  EXPECT_FALSE(editor->isReadOnly());
  EXPECT_TRUE(wholeTextSelected(editor));
  QTest::keyClicks(editor, QStringLiteral("Review the draft"));
  EXPECT_EQ(storedObjective(), QStringLiteral("Review the draft"));
}

TEST_F(RateTimeSliceScenario, ReactivationRestartsTheLockAndLeavingEarlyChangesNothingLater) {
  runSlice(120.0);
  RateTimeSliceState& rate = f.rate();
  ObjectiveTextView* editor = rate.objectiveTextView();
  // Back to the slice and straight back to the rating, one second in: the
  // first lock's timer is dropped and a new one runs from here.
  f.clock.advance(1.0);
  const std::weak_ptr<SmartTimerWrapper> first = rate.activateObjectiveEditingAfterDelayTimer();
  ASSERT_FALSE(first.expired());
  rate.internalContinue();
  f.running().stopTimeSlice();
  ASSERT_EQ(f.machine.currentState(), &rate);
  EXPECT_TRUE(first.expired() || !first.lock()->isValid());
  ASSERT_NE(rate.activateObjectiveEditingAfterDelayTimer(), nullptr);
  f.clock.advance(0.5);
  EXPECT_TRUE(editor->isReadOnly()) << "the first lock's moment has no effect";
  f.clock.advance(1.0);
  EXPECT_FALSE(editor->isReadOnly());

  // Left before the lock ends: the timer still fires, harmlessly, on the
  // page that is no longer shown; the objective and the next page stay.
  f.machine.triggerTransition(QStringLiteral("extend"));
  f.running().stopTimeSlice();
  ASSERT_EQ(f.machine.currentState(), &rate);
  EXPECT_TRUE(editor->isReadOnly());
  const QByteArray data = defaults().object(QStringLiteral("objective")).toByteArray();
  f.machine.triggerTransition(QStringLiteral("skipLogging"));
  PrepareTimedBreakState& prepare = f.helper.prepareTimedBreakState();
  f.clock.advance(2.0);
  EXPECT_EQ(f.machine.currentState(), &prepare);
  EXPECT_EQ(defaults().object(QStringLiteral("objective")).toByteArray(), data);
  EXPECT_FALSE(editor->isReadOnly());

  // With the option off the objective is editable and selected at once.
  defaults().setValue(kEditingLock, false);
  Logger::sharedLogger().resetActualSecondsWorked();
  f.machine.triggerTransition(QStringLiteral("nextTimeSlice"));
  runSlice(120.0);
  EXPECT_FALSE(editor->isReadOnly());
  EXPECT_TRUE(wholeTextSelected(editor));
  EXPECT_EQ(rate.activateObjectiveEditingAfterDelayTimer(), nullptr);
  defaults().remove(kEditingLock);
  // A lock that is still pending when the page goes away stops with it.
  f.machine.triggerTransition(QStringLiteral("extend"));
  f.running().stopTimeSlice();
  EXPECT_TRUE(editor->isReadOnly());
}

TEST_F(RateTimeSliceScenario, TitleMenuHoldsTheTwoOptionsAndTheFourSectionSwitches) {
  TitleFragment* title = f.rate().titleFragment();
  ASSERT_NE(title, nullptr);
  QMenu* menu = title->wheelButton()->itemMenu();
  SmartMenuItem::updateItemsOf(menu);
  QStringList titles;
  for (QAction* action : menu->actions())
    titles.append(action->isSeparator() ? QStringLiteral("---") : action->text());
  // The first item is the button's face.
  EXPECT_EQ(titles.mid(1), (QStringList{
                               QStringLiteral("Automatically Switch Pad to Weekly Statistics"),
                               QStringLiteral("Disable Objective Editing for 2 Seconds after "
                                              "Activation"),
                               QStringLiteral("---"),
                               QStringLiteral("Hide Add Breadcrumbs Button"),
                               QStringLiteral("Hide Add Priming Button"),
                               QStringLiteral("Hide Extend Time Slice Option"),
                               QStringLiteral("Hide Do Not Log Option"),
                           }));
  QAction* lock = menu->actions().at(2);
  EXPECT_TRUE(lock->isChecked());
  lock->trigger();
  EXPECT_FALSE(defaults().boolValue(kEditingLock));
  menu->actions().at(6)->trigger();
  EXPECT_TRUE(
      defaults().boolValue(QStringLiteral("extendTimeSliceFragmentOptionInRateTimeSliceStep")));
  EXPECT_FALSE(f.rate().continueButton()->isVisibleTo(f.rate().infoWall()));
  SmartMenuItem::updateItemsOf(menu);
  EXPECT_EQ(menu->actions().at(6)->text(), QStringLiteral("Show Extend Time Slice Option"));
  menu->actions().at(6)->trigger();
  defaults().remove(kEditingLock);
}
