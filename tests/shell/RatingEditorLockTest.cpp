// The rating page's objective editor is locked for a moment after the page
// opens; the application's editing commands must respect that lock too.
#include "shell/AppDelegate.h"
#include "shell/ApplicationShell.h"
#include "shell/MainController.h"

#include "engine/DataModel.h"
#include "engine/ObjectiveText.h"
#include "engine/StateMachine.h"
#include "kit/text/ObjectiveTextView.h"
#include "platform/settings/UserDefaults.h"
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
    ASSERT_NO_FATAL_FAILURE(endTheSlice());
  }
  void endTheSlice() {
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
    // As the user chooses it: the menu opens, so its items are validated.
    shell.mainMenu().validate();
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
  // After the lock the user adds to the objective, then extends the slice.
  machine.clock.advance(RateTimeSliceState::kObjectiveEditingDelay);
  ASSERT_FALSE(editor()->isReadOnly());
  QTest::keyClick(editor(), Qt::Key_End, Qt::ControlModifier);
  QTest::keyClicks(editor(), QStringLiteral(" now"));
  const QString edited = QStringLiteral("Write the summary now");
  ASSERT_EQ(storedObjective(), edited);
  shell.stateMachine().triggerTransition(QStringLiteral("extend"));
  ASSERT_NO_FATAL_FAILURE(endTheSlice());

  // The page opens locked again, with that edit in the editor's history.
  ASSERT_TRUE(editor()->isReadOnly());
  ASSERT_TRUE(editor()->document()->isUndoAvailable());
  menuCommand("undo");
  EXPECT_EQ(editor()->toPlainText(), edited);
  EXPECT_EQ(storedObjective(), edited);
  QTest::keyClick(editor(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(storedObjective(), edited);
  menuCommand("redo");
  QTest::keyClick(editor(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  menuCommand("cut");
  menuCommand("paste");
  EXPECT_EQ(storedObjective(), edited);
  EXPECT_EQ(editor()->toPlainText(), edited);

  // Once the lock is over, Undo takes back the user's edit, and no further
  // than the objective the editor was given.
  machine.clock.advance(RateTimeSliceState::kObjectiveEditingDelay);
  ASSERT_FALSE(editor()->isReadOnly());
  for (int i = 0; i < 6; ++i)
    menuCommand("undo");
  EXPECT_EQ(storedObjective(), QStringLiteral("Write the summary"));
}

} // namespace
