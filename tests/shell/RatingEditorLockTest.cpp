// The rating page's objective editor is locked for a moment after the page
// opens; the application's editing commands must respect that lock too.
#include "shell/AppDelegate.h"
#include "shell/ApplicationShell.h"
#include "shell/MainController.h"

#include "engine/DataModel.h"
#include "engine/ObjectiveText.h"
#include "engine/StateMachine.h"
#include "kit/ObjectiveTextView.h"
#include "platform/UserDefaults.h"
#include "states/DefineTimeSliceState.h"
#include "states/RateTimeSliceState.h"
#include "states/StateLinkingHelper.h"
#include "window/MainMenu.h"
#include "window/MainWindow.h"

#include "LaunchedMachine.h"

#include <QAction>
#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

using namespace kr;

namespace {

QString storedObjective() {
  return ObjectiveText(UserDefaults::standard().object(QStringLiteral("objective")).toByteArray())
      .plainText()
      .trimmed();
}

class RatingEditorLock : public ::testing::Test {
protected:
  RatingEditorLock() {
    UserDefaults& defaults = UserDefaults::standard();
    defaults.setValue(QStringLiteral("shouldHideOnTimeSliceRunningActivation"), false);
    defaults.setValue(QStringLiteral("shouldUseSoftBreak"), false);
    defaults.setValue(QStringLiteral("disableObjectiveEditingForTwoSecondsAfterActivation"), true);
    shell.launch();
  }

  // Runs a slice with `objective` and ends it: the rating page opens, locked.
  void rateASliceOf(const QString& objective) {
    UserDefaults::standard().setValue(QStringLiteral("objective"),
                                      ObjectiveText::fromPlainText(objective, {}).data());
    ASSERT_EQ(shell.stateMachine().currentState(),
              &shell.stateLinkingHelper().defineTimeSliceState());
    shell.mainController().tryToPerform(QStringLiteral("attemptToTriggerStartTimeSlice"));
    machine.clock.advance(60.0);
    shell.mainController().tryToPerform(QStringLiteral("attemptToTriggerEndTimeSlice"));
    ASSERT_EQ(shell.stateMachine().currentState(), &rate());
    MainWindow* window = shell.appDelegate().mainWindow();
    window->show();
    QApplication::setActiveWindow(window);
    editor()->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), editor());
  }

  RateTimeSliceState& rate() { return shell.stateLinkingHelper().rateTimeSliceState(); }
  ObjectiveTextView* editor() { return rate().objectiveTextView(); }
  void menuCommand(const char* action) {
    QAction* item = shell.mainMenu().itemSending(QString::fromLatin1(action));
    ASSERT_NE(item, nullptr) << action;
    item->trigger();
  }

  test::LaunchedMachine machine;
  ApplicationShell shell{machine.context()};
};

TEST_F(RatingEditorLock, UndoAndRedoFromTheMenuOrTheKeysLeaveTheLockedObjectiveAlone) {
  ASSERT_NO_FATAL_FAILURE(rateASliceOf(QStringLiteral("Write the summary")));
  ASSERT_TRUE(editor()->isReadOnly());
  // The editor's own history holds at least the objective set from outside.
  ASSERT_TRUE(editor()->document()->isUndoAvailable());

  menuCommand("undo");
  EXPECT_EQ(editor()->toPlainText(), QStringLiteral("Write the summary"));
  EXPECT_EQ(storedObjective(), QStringLiteral("Write the summary"));
  QTest::keyClick(editor(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(storedObjective(), QStringLiteral("Write the summary"));
  menuCommand("redo");
  QTest::keyClick(editor(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  menuCommand("cut");
  menuCommand("paste");
  EXPECT_EQ(storedObjective(), QStringLiteral("Write the summary"));
  EXPECT_EQ(editor()->toPlainText(), QStringLiteral("Write the summary"));

  // Once the lock is over, the commands edit the objective again.
  machine.clock.advance(RateTimeSliceState::kObjectiveEditingDelay);
  ASSERT_FALSE(editor()->isReadOnly());
  QTest::keyClicks(editor(), QStringLiteral("Draft"));
  EXPECT_EQ(storedObjective(), QStringLiteral("Draft"));
  menuCommand("undo");
  EXPECT_EQ(storedObjective(), QStringLiteral("Write the summary"));
}

} // namespace
