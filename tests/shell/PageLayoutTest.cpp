#include "shell/ApplicationShell.h"

#include "shell/AppDelegate.h"

#include "engine/StateMachine.h"
#include "kit/walls/Wall.h"
#include "platform/layout/ConstraintLayout.h"
#include "platform/settings/UserDefaults.h"
#include "states/BaseState.h"
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
#include "window/CalendarView.h"
#include "window/MainWindow.h"
#include "window/MainWindowController.h"

#include "ShownPage.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QScopeGuard>
#include <QSlider>
#include <QSpinBox>
#include <QStyle>
#include <QToolButton>
#include <QVariant>

#include <functional>
#include <string>
#include <utility>
#include <vector>

using namespace kr;

namespace {

// A page of the main window, the settings it is seen with (sections that are
// hidden at first shown) and the transitions that lead to it from the define
// page, on which every launch after the first starts.
using test::Page;

using namespace test::pages;

const Page kPages[] = {
    {"define", {}, define},
    {"welcome", {"welcome"}, welcome},
    {"running", {"next"}, running},
    {"runningWithContinuousSound",
     {"next"},
     running,
     {{"hideContinuousSoundInTimeSliceRunningState", false}}},
    {"paused", {"next", "pause"}, paused},
    {"softBreak", {"next", "softBreak"}, softBreak},
    {"rating", {"next", "aborted"}, rating},
    {"ratingOfAnUnfinishedTask", {"next", "aborted"}, rating, {{"completed", false}}},
    {"prepareTimedBreak", {"next", "aborted", "skipLogging"}, prepareTimedBreak},
    {"prepareTimedBreakPomodoroStyle",
     {"next", "aborted", "skipLogging"},
     prepareTimedBreak,
     {{"breakDurationControlAlternative", QStringLiteral("pomodoroStyle")}}},
    {"timedBreak", {"timedBreak"}, timedBreak},
    {"informalBreak", {"next", "aborted", "skipLogging", "informalBreak"}, informalBreak},
};

// The widget's rectangle in the window's coordinates.
QRect inWindow(const QWidget* widget, const QWidget* window) {
  return QRect(widget->mapTo(window, QPoint(0, 0)), widget->size());
}

// What can be seen of a widget's inside: its rectangle clipped by each of
// its ancestors up to the window.
QRect visibleArea(const QWidget* widget, const QWidget* window) {
  QRect area = inWindow(widget, window);
  for (const QWidget* p = widget->parentWidget(); p && p != window; p = p->parentWidget())
    area &= inWindow(p, window);
  return area & window->rect();
}

QString describe(const QWidget* widget) {
  QString text;
  if (auto* label = qobject_cast<const QLabel*>(widget))
    text = label->text();
  else if (auto* button = qobject_cast<const QAbstractButton*>(widget))
    text = button->text();
  else if (auto* box = qobject_cast<const QComboBox*>(widget))
    text = box->currentText();
  return QStringLiteral("%1 \"%2\" (%3)")
      .arg(QString::fromLatin1(widget->metaObject()->className()), text, widget->objectName());
}

// The text a widget shows on its face, when it shows one.
bool showsText(const QWidget* widget) {
  if (auto* label = qobject_cast<const QLabel*>(widget))
    return !label->text().isEmpty() && !label->wordWrap();
  if (auto* button = qobject_cast<const QAbstractButton*>(widget))
    return !button->text().isEmpty();
  if (auto* box = qobject_cast<const QComboBox*>(widget))
    return !box->currentText().isEmpty();
  return false;
}

// The width a widget needs to show its whole text: its size hint, except
// for a borderless push button (the format indicators), which has no bezel
// to make room for and needs its text and the style's margin around it.
int widthForWholeText(const QWidget* widget) {
  auto* button = qobject_cast<const QPushButton*>(widget);
  if (!button || !button->isFlat())
    return widget->sizeHint().width();
  const int icon = button->icon().isNull() ? 0 : button->iconSize().width();
  return button->fontMetrics().horizontalAdvance(button->text()) + icon +
         button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
}

// Containers that draw nothing of their own: what they hold is checked.
bool isPlainContainer(const QWidget* widget) {
  const QMetaObject* type = widget->metaObject();
  return type == &QWidget::staticMetaObject || type == &Wall::staticMetaObject;
}

// The controls a user reads or works: they keep clear of the page's sides.
bool isControl(const QWidget* widget) {
  return qobject_cast<const QAbstractButton*>(widget) || qobject_cast<const QComboBox*>(widget) ||
         qobject_cast<const QAbstractSlider*>(widget) ||
         qobject_cast<const QAbstractSpinBox*>(widget) || qobject_cast<const QLineEdit*>(widget) ||
         (qobject_cast<const QLabel*>(widget) &&
          !qobject_cast<const QLabel*>(widget)->text().isEmpty());
}

// A button must show what it does: a text, an image or an arrow.
bool showsAFace(const QAbstractButton* button) {
  if (!button->text().isEmpty() || !button->icon().isNull())
    return true;
  auto* tool = qobject_cast<const QToolButton*>(button);
  return tool && tool->arrowType() != Qt::NoArrow;
}

// Every fault of one wall of the page: a visible widget reaching outside
// what can be seen of the page, a control closer than `margin` to the page's
// left or right side, a text cut short, a button showing nothing.
QStringList layoutFaults(const QWidget* wall, const QWidget* window, int margin) {
  QStringList faults;
  const QRect page = visibleArea(wall, window);
  std::vector<std::pair<const QWidget*, QRect>> controls;
  for (const QWidget* child : wall->findChildren<QWidget*>()) {
    if (!child->isVisibleTo(window) || child->isWindow() || child->size().isEmpty())
      continue;
    // Inside the parts of a compound control the control itself is checked.
    if (child->parentWidget() && (qobject_cast<const QComboBox*>(child->parentWidget()) ||
                                  qobject_cast<const QAbstractSpinBox*>(child->parentWidget()) ||
                                  child->parentWidget()->inherits("QAbstractScrollArea")))
      continue;
    const QRect rect = inWindow(child, window);
    if (!isPlainContainer(child) && (!page.contains(rect) || visibleArea(child, window) != rect)) {
      faults.append(QStringLiteral("%1 at %2,%3 %4x%5 is clipped by the page (%6,%7 %8x%9)")
                        .arg(describe(child))
                        .arg(rect.x())
                        .arg(rect.y())
                        .arg(rect.width())
                        .arg(rect.height())
                        .arg(page.x())
                        .arg(page.y())
                        .arg(page.width())
                        .arg(page.height()));
    }
    // A label's text stays inside its contents margins.
    const QRect face = qobject_cast<const QLabel*>(child)
                           ? child->contentsRect().translated(rect.topLeft())
                           : rect;
    if (isControl(child))
      controls.emplace_back(child, face);
    if (isControl(child) &&
        (face.left() - page.left() < margin || page.right() - face.right() < margin)) {
      faults.append(QStringLiteral("%1 at %2..%3 runs into the sides of the page (%4..%5)")
                        .arg(describe(child))
                        .arg(face.left())
                        .arg(face.right())
                        .arg(page.left())
                        .arg(page.right()));
    }
    if (showsText(child) && child->width() < widthForWholeText(child)) {
      faults.append(QStringLiteral("%1 is %2 wide, its text needs %3")
                        .arg(describe(child))
                        .arg(child->width())
                        .arg(widthForWholeText(child)));
    }
    if (auto* button = qobject_cast<const QAbstractButton*>(child); button && !showsAFace(button))
      faults.append(QStringLiteral("%1 shows nothing").arg(describe(child)));
  }
  // No control lies over another.
  for (std::size_t i = 0; i < controls.size(); ++i) {
    for (std::size_t j = i + 1; j < controls.size(); ++j) {
      const auto& [first, firstFace] = controls[i];
      const auto& [second, secondFace] = controls[j];
      if (first->isAncestorOf(second) || second->isAncestorOf(first))
        continue;
      if (firstFace.intersects(secondFace))
        faults.append(QStringLiteral("%1 overlaps %2").arg(describe(first), describe(second)));
    }
  }
  return faults;
}

class PageLayout : public ::testing::TestWithParam<Page> {};

} // namespace

// Each page, shown in the window at the window's fitting size, is laid out
// whole: nothing reaches past the page's edges and no text is cut short.
TEST_P(PageLayout, EveryWidgetOfThePageFitsAndShowsItsWholeText) {
  const Page& page = GetParam();
  test::ShownPage shown(page);
  ASSERT_TRUE(shown.reached()) << "the path did not lead to the page";
  ApplicationShell& shell = shown.shell;
  BaseState& state = *shown.state;

  MainWindow* window = shell.appDelegate().mainWindow();
  window->layout()->activate();
  ConstraintLayout::layoutSubtreeIfNeeded(window);
  QCoreApplication::processEvents();
  // The window keeps the size its content asks for, the width of the column.
  EXPECT_EQ(window->size(), window->sizeHint());
  EXPECT_EQ(window->controller().infoWallContainer()->width(),
            MainWindowController::kLeftColumnWidth);
  EXPECT_EQ(state.infoWall()->parentWidget(), window->controller().infoWallContainer());
  const QString shot = QStringLiteral(KR_BUILD_DIR "/page-%1.png").arg(QLatin1String(page.name));
  EXPECT_TRUE(window->grab().save(shot)) << shot.toStdString();

  // The window fits the smallest screen the program is made for, with the
  // calendar strip on the pages that show it.
  EXPECT_LE(window->height(), 768);
  const QList<CalendarView*> strips = state.infoWall()->findChildren<CalendarView*>();
  const std::string name = page.name;
  if (name == "define" || name == "prepareTimedBreak") {
    ASSERT_EQ(strips.size(), 1);
    EXPECT_TRUE(strips[0]->isVisibleTo(window));
    EXPECT_EQ(strips[0]->height(), CalendarView::kHeight);
    EXPECT_TRUE(visibleArea(state.infoWall(), window).contains(inWindow(strips[0], window)));
  }

  // The page's controls stand at least the standard inset in from its sides;
  // the button wall places its own buttons against the column's edge.
  const int inset = 8;
  EXPECT_EQ(layoutFaults(state.infoWall(), window, inset).join(QLatin1Char('\n')).toStdString(),
            "");
  EXPECT_EQ(layoutFaults(state.buttonWall(), window, 0).join(QLatin1Char('\n')).toStdString(), "");
}

INSTANTIATE_TEST_SUITE_P(MainWindow, PageLayout, ::testing::ValuesIn(kPages),
                         [](const ::testing::TestParamInfo<Page>& info) {
                           return std::string(info.param.name);
                         });
