// The keyboard walks every page of the work cycle: Tab goes through the
// page's controls in the page's order, the objective editor gives Tab up to
// it, and Space presses the focused button.
#include "ShownPage.h"

#include "shell/AppDelegate.h"
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
#include "window/KeyViewLoop.h"
#include "window/MainWindow.h"
#include "window/MainWindowController.h"

#include "kit/bricks/TagTokenField.h"
#include "kit/text/NowAndLaterBoardTextView.h"
#include "kit/text/ObjectiveTextView.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QRect>
#include <QSlider>
#include <QTest>

#include <gtest/gtest.h>

using namespace kr;
using test::Page;
using test::ShownPage;

namespace {

QString describe(const QWidget* widget) {
  if (!widget)
    return QStringLiteral("(none)");
  QString text;
  if (auto* button = qobject_cast<const QAbstractButton*>(widget))
    text = button->text();
  return QStringLiteral("%1 \"%2\"")
      .arg(QString::fromLatin1(widget->metaObject()->className()),
           text.isEmpty() ? widget->objectName() : text);
}

struct ShownWindow {
  explicit ShownWindow(const Page& page) : shown(page) {
    window = shown.shell.appDelegate().mainWindow();
    window->show();
    QApplication::setActiveWindow(window);
    QCoreApplication::processEvents();
  }
  MainWindowController& controller() const { return window->controller(); }
  // The page's controls that Tab can reach now.
  QList<QWidget*> reachable() const {
    QList<QWidget*> controls;
    for (QWidget* control : KeyViewLoop::controlsOf(controller().infoWallContainer(),
                                                    controller().buttonWallContainer())) {
      if (control->isVisibleTo(window) && control->isEnabled())
        controls.append(control);
    }
    return controls;
  }
  // Presses Tab `count` times from the focus widget, noting where it goes.
  QStringList walk(int count, Qt::KeyboardModifiers modifiers = Qt::NoModifier) const {
    QStringList visited;
    for (int i = 0; i < count; ++i) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, modifiers);
      visited.append(describe(QApplication::focusWidget()));
    }
    return visited;
  }

  ShownPage shown;
  MainWindow* window = nullptr;
};

std::string joined(const QStringList& list) {
  return list.join(QStringLiteral(", ")).toStdString();
}

QStringList describeAll(const QList<QWidget*>& widgets) {
  QStringList all;
  for (const QWidget* widget : widgets)
    all.append(describe(widget));
  return all;
}

class KeyViewLoopOfPage : public ::testing::TestWithParam<Page> {};

} // namespace

// Tab walks each page's visible controls once as the page is drawn, each
// in a lower row than the one before or in its row further right, the
// buttons last, and wraps; the first responder is among them.
TEST_P(KeyViewLoopOfPage, TabWalksThePagesControlsInOrder) {
  ShownWindow w(GetParam());
  ASSERT_TRUE(w.shown.reached());
  const QList<QWidget*> controls = w.reachable();
  ASSERT_FALSE(controls.isEmpty());
  if (QWidget* first = w.shown.state->firstResponder(); first && first->isVisibleTo(w.window)) {
    EXPECT_TRUE(controls.contains(first)) << describe(first).toStdString();
  }
  controls.first()->setFocus(Qt::OtherFocusReason);
  QStringList expected = describeAll(controls.mid(1) << controls.first());
  EXPECT_EQ(joined(w.walk(int(controls.size()))), joined(expected));
  for (qsizetype i = 1; i < controls.size(); ++i) {
    const QRect a(controls[i - 1]->mapTo(w.window, QPoint()), controls[i - 1]->size());
    const QRect b(controls[i]->mapTo(w.window, QPoint()), controls[i]->size());
    EXPECT_TRUE(b.center().y() > a.bottom() || (b.center().y() >= a.top() && b.left() > a.left()))
        << joined(describeAll({controls[i - 1], controls[i]}));
  }
  // And back.
  std::reverse(expected.begin(), expected.end());
  expected.removeFirst();
  expected.append(describe(controls.first()));
  EXPECT_EQ(joined(w.walk(int(controls.size()), Qt::ShiftModifier)), joined(expected));
}

INSTANTIATE_TEST_SUITE_P(MainWindow, KeyViewLoopOfPage, ::testing::ValuesIn(test::kWorkCyclePages),
                         [](const auto& info) { return std::string(info.param.name); });

// The define page: from the objective (no tag typed) Tab reaches the tag
// field, the duration controls and the buttons; Tab types nothing into the
// objective; Space on "Start Time Slice" starts the slice.
TEST(KeyViewLoop, TheDefinePageFromTheObjectiveToStartTimeSlice) {
  ShownWindow w(test::kWorkCyclePages[0]);
  auto* objective = qobject_cast<ObjectiveTextView*>(QApplication::focusWidget());
  ASSERT_NE(objective, nullptr) << describe(QApplication::focusWidget()).toStdString();
  QTest::keyClicks(objective, QStringLiteral("Write the report"));
  const QString text = objective->toPlainText();

  // Down the page to its buttons, round to the title's and the objective's
  // menus, and back.
  const QString menu = QStringLiteral("kr::PullDownButtonBrick \"\"");
  const QStringList walked = w.walk(12);
  EXPECT_EQ(
      joined(walked.mid(0, 9)),
      "kr::TagTokenField \"\", kr::TagPullDownButtonBrick \"\", kr::PullDownButtonBrick \"\", "
      "QSlider \"\", QPushButton \"Start with a Timed Break\", QComboBox \"\", "
      "QToolButton \"Lock Screen Pull-Down\", QPushButton \"Hide\", "
      "QPushButton \"Start Time Slice\"");
  EXPECT_EQ(walked.mid(9), QStringList({menu, menu, describe(objective)}));
  EXPECT_EQ(objective->toPlainText(), text) << "Tab typed nothing";

  // Back to the objective, with Ctrl as well.
  objective->setFocus(Qt::OtherFocusReason);
  QTest::keyClick(objective, Qt::Key_Tab, Qt::ControlModifier);
  EXPECT_NE(QApplication::focusWidget(), objective);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
  EXPECT_EQ(QApplication::focusWidget(), objective);
  EXPECT_EQ(objective->toPlainText(), text);

  // A pad keeps Tab for its text; Ctrl+Tab leaves it, Shift+Tab comes back
  // and Ctrl+Shift+Tab leaves it backwards, typing nothing.
  QWidget padPage;
  auto* pad = new NowAndLaterBoardTextView(&padPage);
  auto* next = new QPushButton(QStringLiteral("Next"), &padPage);
  padPage.show();
  QApplication::setActiveWindow(&padPage);
  pad->setFocus(Qt::OtherFocusReason);
  QTest::keyClick(pad, Qt::Key_Tab);
  EXPECT_EQ(pad->toPlainText(), QStringLiteral("\t"));
  EXPECT_EQ(QApplication::focusWidget(), pad);
  QTest::keyClick(pad, Qt::Key_Tab, Qt::ControlModifier);
  EXPECT_EQ(QApplication::focusWidget(), next);
  QTest::keyClick(next, Qt::Key_Tab, Qt::ShiftModifier);
  EXPECT_EQ(QApplication::focusWidget(), pad);
  QTest::keyClick(pad, Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(QApplication::focusWidget(), next);
  EXPECT_EQ(pad->toPlainText(), QStringLiteral("\t"));
  padPage.hide();
  QApplication::setActiveWindow(w.window);

  // Space on the focused "Start Time Slice".
  w.walk(9);
  QWidget* start = QApplication::focusWidget();
  ASSERT_EQ(describe(start), QStringLiteral("QPushButton \"Start Time Slice\""));
  QTest::keyClick(start, Qt::Key_Space);
  EXPECT_EQ(w.shown.shell.stateMachine().currentState(),
            static_cast<StateBase*>(&w.shown.shell.stateLinkingHelper().timeSliceRunningState()));
}
