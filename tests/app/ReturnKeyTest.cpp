// Return and Enter, typed into the main window, perform the shown page's
// default action unless the control with the focus uses the key itself; the
// objective editor hands them on. Alt and Super chords type nothing, and the
// menu opened from the keyboard acts on the control that had the focus. Tags
// typed after "+" with none known to choose reach the tag field.
#include "StartedProgram.h"

#include "engine/DataModel.h"
#include "engine/ObjectiveText.h"
#include "engine/StateMachine.h"
#include "engine/TagManager.h"
#include "kit/bricks/TagPullDownButtonBrick.h"
#include "kit/bricks/TagTokenField.h"
#include "kit/text/ObjectiveTextView.h"
#include "platform/settings/UserDefaults.h"
#include "shell/AppDelegate.h"
#include "shell/ApplicationShell.h"
#include "states/DefineTimeSliceState.h"
#include "states/PausedState.h"
#include "states/PrepareTimedBreakState.h"
#include "states/RateTimeSliceState.h"
#include "states/SoftBreakState.h"
#include "states/StateLinkingHelper.h"
#include "states/TimeSliceRunningState.h"
#include "states/TimedBreakRunningState.h"
#include "states/WelcomeState.h"
#include "window/MainMenu.h"
#include "window/MainWindow.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QMenu>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <string_view>

using namespace kr;

namespace {

// The window stays up through every page, and no rest screen covers it.
QVariantMap windowStaysUp() {
  return {{QStringLiteral("lockScreenDuringBreak"), false},
          {QStringLiteral("shouldHideOnTimeSliceRunningActivation"), false},
          {QStringLiteral("shouldHideOnTimedBreakActivation"), false},
          {QStringLiteral("shouldUseSoftBreak"), false},
          {QStringLiteral("objective"), QVariant()},
          {QStringLiteral("tags"), QString()}};
}

class ReturnKey : public ::testing::Test {
protected:
  ReturnKey() {
    window()->show();
    QApplication::setActiveWindow(window());
  }

  ApplicationShell& shell() { return started.program->shell(); }
  MainWindow* window() { return shell().appDelegate().mainWindow(); }
  StateLinkingHelper& states() { return shell().stateLinkingHelper(); }
  StateBase* current() { return shell().stateMachine().currentState(); }
  void go(const char* transition) {
    shell().stateMachine().triggerTransition(QString::fromLatin1(transition));
    QCoreApplication::processEvents();
  }
  // A real key press and release, delivered by the window system to the
  // window, which hands it to its focus widget.
  void type(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(window()->windowHandle(), key, modifiers);
    QCoreApplication::processEvents();
  }
  void focus(QWidget* widget) {
    widget->setFocus(Qt::TabFocusReason);
    ASSERT_EQ(window()->focusWidget(), widget);
  }

  test::StartedProgram started{windowStaysUp()};
};

} // namespace

TEST_F(ReturnKey, OnTheDefinePageStartsTheSliceUnlessTheTagBeingTypedTakesIt) {
  DefineTimeSliceState& define = states().defineTimeSliceState();
  ASSERT_EQ(current(), &define);
  // A tag being typed is ended by Return, and the field keeps the focus.
  TagTokenField* tags = define.tagTokenField();
  ASSERT_NO_FATAL_FAILURE(focus(tags));
  QTest::keyClicks(tags, QStringLiteral("writing"));
  type(Qt::Key_Return);
  EXPECT_EQ(current(), &define);
  EXPECT_TRUE(tags->tokens().contains(QStringLiteral("writing")));
  EXPECT_EQ(window()->focusWidget(), tags);
  EXPECT_EQ(tags->cursorPosition(), tags->text().size());

  // Held down, modified or typed again in the field, Return starts nothing;
  // pressed once more it presses "Start Time Slice".
  QTest::simulateEvent(window()->windowHandle(), true, Qt::Key_Return, Qt::NoModifier,
                       QStringLiteral("\r"), true);
  QTest::simulateEvent(window()->windowHandle(), false, Qt::Key_Return, Qt::NoModifier,
                       QStringLiteral("\r"), true);
  type(Qt::Key_Return, Qt::ShiftModifier);
  EXPECT_EQ(current(), &define);
  type(Qt::Key_Return);
  EXPECT_EQ(current(), &states().timeSliceRunningState());
}

TEST_F(ReturnKey, PreparingABreakEnterStartsItAndReturnFinishesIt) {
  go("next");
  go("aborted");
  go("skipLogging");
  PrepareTimedBreakState& prepare = states().prepareTimedBreakState();
  ASSERT_EQ(current(), &prepare);
  // The page's first responder, the duration slider, does not use the key.
  ASSERT_EQ(window()->focusWidget(), prepare.slider());
  type(Qt::Key_Enter, Qt::KeypadModifier);
  TimedBreakRunningState& timedBreak = states().timedBreakRunningState();
  ASSERT_EQ(current(), &timedBreak);
  ASSERT_EQ(window()->focusWidget(), timedBreak.durationSlider());
  type(Qt::Key_Return);
  EXPECT_EQ(current(), &states().defineTimeSliceState()) << "\"Finish\" ended the break";
}

TEST_F(ReturnKey, OnTheWelcomePageGetsStartedWithTheChosenProfile) {
  UserDefaults& defaults = UserDefaults::standard();
  defaults.setValue(QStringLiteral("techniqueProfileChoice"), QStringLiteral("pomodoro"));
  defaults.setValue(QStringLiteral("durationInSeconds"), 600);
  go("welcome");
  ASSERT_EQ(current(), &states().welcomeState());
  type(Qt::Key_Return);
  EXPECT_EQ(current(), &states().defineTimeSliceState());
  EXPECT_EQ(defaults.integer(QStringLiteral("durationInSeconds")), 1500)
      << "\"Let's Get Started\" wrote the profile, \"Skip\" would not";
  defaults.remove(QStringLiteral("techniqueProfileChoice"));
  defaults.remove(QStringLiteral("durationInSeconds"));
}

TEST_F(ReturnKey, OnTheRatingPageLogsButNotWhileTheObjectiveIsLocked) {
  UserDefaults::standard().setValue(
      QStringLiteral("disableObjectiveEditingForTwoSecondsAfterActivation"), true);
  UserDefaults::standard().setValue(
      QStringLiteral("objective"),
      ObjectiveText::fromPlainText(QStringLiteral("Write the summary"), {}).data());
  go("next");
  started.clock.advance(60.0);
  go("aborted");
  RateTimeSliceState& rate = states().rateTimeSliceState();
  ASSERT_EQ(current(), &rate);
  ObjectiveTextView* editor = rate.objectiveTextView();
  ASSERT_EQ(window()->focusWidget(), editor);
  ASSERT_TRUE(editor->isReadOnly());
  const QString objective = editor->toPlainText();
  // A Return still being typed as the slice ends neither logs it nor
  // changes the objective.
  type(Qt::Key_Return);
  type(Qt::Key_Enter, Qt::KeypadModifier);
  EXPECT_EQ(current(), &rate);
  EXPECT_EQ(editor->toPlainText(), objective);

  started.clock.advance(1.5);
  ASSERT_FALSE(editor->isReadOnly());
  // Unlocked, Return in the editor presses "Log" and leaves the objective be.
  type(Qt::Key_Return);
  EXPECT_EQ(current(), &states().prepareTimedBreakState());
  EXPECT_EQ(editor->toPlainText(), objective);
  UserDefaults::standard().remove(
      QStringLiteral("disableObjectiveEditingForTwoSecondsAfterActivation"));
}

TEST_F(ReturnKey, InTheSelectedObjectiveStartsTheSliceAndShiftReturnTypesALineBreak) {
  DefineTimeSliceState& define = states().defineTimeSliceState();
  ObjectiveTextView* editor = define.objectiveTextView();
  editor->setData(ObjectiveText::fromPlainText(QStringLiteral("Write the summary"), {}).data());
  editor->selectAll();
  ASSERT_EQ(window()->focusWidget(), editor);
  // Shift+Return is the editor's line break.
  editor->moveCursor(QTextCursor::End);
  type(Qt::Key_Return, Qt::ShiftModifier);
  EXPECT_EQ(editor->toPlainText(), QStringLiteral("Write the summary\n"));
  EXPECT_EQ(current(), &define);
  type(Qt::Key_Backspace);
  // Return with the objective selected goes on and keeps it.
  editor->selectAll();
  type(Qt::Key_Return);
  EXPECT_EQ(current(), &states().timeSliceRunningState());
  EXPECT_EQ(editor->toPlainText(), QStringLiteral("Write the summary"));
  EXPECT_EQ(DataModel::shared().objectiveData().plainText(), QStringLiteral("Write the summary"));
  // On the paused page Enter presses "Resume".
  go("pause");
  ASSERT_EQ(current(), &states().pausedState());
  states().pausedState().objectiveTextView()->setFocus(Qt::TabFocusReason);
  type(Qt::Key_Enter, Qt::KeypadModifier);
  EXPECT_EQ(current(), &states().timeSliceRunningState());
}

TEST_F(ReturnKey, AltAndSuperChordsTypeNothingButTheThirdLevelDoes) {
  ObjectiveTextView* editor = states().defineTimeSliceState().objectiveTextView();
  editor->setData(ObjectiveText::fromPlainText(QStringLiteral("Write the summary"), {}).data());
  editor->selectAll();
  ASSERT_EQ(window()->focusWidget(), editor);
  type(Qt::Key_F, Qt::AltModifier);
  type(Qt::Key_S, Qt::MetaModifier);
  type(Qt::Key_Return, Qt::AltModifier);
  EXPECT_EQ(editor->toPlainText(), QStringLiteral("Write the summary"));
  // AltGr+Q on a German keyboard: the X server reports the third level as
  // no Alt.
  editor->moveCursor(QTextCursor::End);
  QTest::keyClick(window()->windowHandle(), Qt::Key_At, Qt::GroupSwitchModifier);
  QTest::simulateEvent(window()->windowHandle(), true, Qt::Key_At, Qt::NoModifier,
                       QStringLiteral("@"), false);
  QTest::simulateEvent(window()->windowHandle(), false, Qt::Key_At, Qt::NoModifier,
                       QStringLiteral("@"), false);
  QCoreApplication::processEvents();
  EXPECT_EQ(editor->toPlainText(), QStringLiteral("Write the summary@@"));
}

// With text selected in the objective, the Edit menu reached with F10 and
// the arrow keys offers Cut and Copy.
TEST_F(ReturnKey, TheMenuOpenedFromTheKeyboardActsOnTheObjective) {
  ObjectiveTextView* editor = states().defineTimeSliceState().objectiveTextView();
  editor->setData(ObjectiveText::fromPlainText(QStringLiteral("Write the summary"), {}).data());
  editor->selectAll();
  ASSERT_EQ(window()->focusWidget(), editor);
  // Opened as F10 opens it, so that the menu takes the keys.
  QMenu* menu = shell().mainMenu().menu();
  menu->popup(window()->mapToGlobal(QPoint(10, 10)));
  QCoreApplication::processEvents();
  ASSERT_EQ(QApplication::activePopupWidget(), menu);
  ASSERT_NE(menu, nullptr);
  QMenu* edit = nullptr;
  for (int i = 0; i < 8 && !edit; ++i) {
    QTest::keyClick(menu, Qt::Key_Down);
    if (menu->activeAction() && menu->activeAction()->text() == QLatin1String("Edit"))
      edit = menu->activeAction()->menu();
  }
  ASSERT_NE(edit, nullptr);
  QTest::keyClick(menu, Qt::Key_Right);
  ASSERT_EQ(QApplication::activePopupWidget(), edit);
  MainMenu& main = shell().mainMenu();
  EXPECT_TRUE(main.itemSending(QStringLiteral("cut"))->isEnabled());
  EXPECT_TRUE(main.itemSending(QStringLiteral("copy"))->isEnabled());
  EXPECT_TRUE(main.itemSending(QStringLiteral("toggleBoldAttribute"))->isEnabled());
  edit->close();
  menu->close();
}

// "+" needs Shift on many keyboards: Ctrl+= adds the minute as Ctrl+Plus
// does, from the objective editor too.
TEST_F(ReturnKey, CtrlEqualsAddsAMinuteAsCtrlPlusDoes) {
  DataModel& model = DataModel::shared();
  model.setDurationInSeconds(600);
  ASSERT_EQ(window()->focusWidget(), states().defineTimeSliceState().objectiveTextView());
  type(Qt::Key_Equal, Qt::ControlModifier);
  EXPECT_EQ(model.durationInSeconds(), 660);
  type(Qt::Key_Plus, Qt::ControlModifier);
  EXPECT_EQ(model.durationInSeconds(), 720);
  type(Qt::Key_Minus, Qt::ControlModifier);
  EXPECT_EQ(model.durationInSeconds(), 660);
}

TEST_F(ReturnKey, TheSoftBreakHasNoDefaultButton) {
  UserDefaults::standard().setValue(QStringLiteral("shouldUseSoftBreak"), true);
  go("next");
  go("softBreak");
  SoftBreakState& softBreak = states().softBreakState();
  ASSERT_EQ(current(), &softBreak);
  ASSERT_NO_FATAL_FAILURE(focus(softBreak.finishButton()));
  type(Qt::Key_Return);
  EXPECT_EQ(current(), &softBreak) << "Return does not end the soft break";
}

// With no tags known "+" opens no menu, which would hold the pointer and the
// keyboard: it puts the caret in the tag field, and the click in the field
// and the tags typed there reach it; Return ends them and they are stored.
TEST_F(ReturnKey, EndsTheTagsTypedAfterPlusWithNoTagsKnown) {
  ASSERT_TRUE(TagManager::sharedInstance().allTags().isEmpty());
  TagTokenField* tags = states().defineTimeSliceState().tagTokenField();
  auto* plus = tags->parentWidget()->findChild<TagPullDownButtonBrick*>();
  // A menu runs its own loop until it closes: it is noted and closed there.
  QWidget* opened = nullptr;
  QTimer::singleShot(0, window(), [&opened] {
    if ((opened = QApplication::activePopupWidget()))
      opened->close();
  });
  QTest::mouseClick(plus, Qt::LeftButton);
  QCoreApplication::processEvents();
  EXPECT_EQ(opened, nullptr) << "a menu opened";
  EXPECT_EQ(window()->focusWidget(), tags);
  QTest::mouseClick(tags, Qt::LeftButton);
  for (const char key : std::string_view("alpha,beta"))
    QTest::keyClick(window()->windowHandle(), key);
  type(Qt::Key_Return);
  EXPECT_EQ(current(), &states().defineTimeSliceState());
  EXPECT_EQ(UserDefaults::standard().string(QStringLiteral("tags")), QStringLiteral("alpha,beta"));
}
