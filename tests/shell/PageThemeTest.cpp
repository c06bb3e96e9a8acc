// The pages draw their own dark backgrounds, so they must look the same and
// stay readable whatever palette the desktop gives the application.
#include "shell/ApplicationShell.h"

#include "shell/AppDelegate.h"

#include "engine/StateMachine.h"
#include "kit/Label.h"
#include "kit/skins/KorvaneControlSkin.h"
#include "kit/walls/LabelFragment.h"
#include "kit/walls/TitleFragment.h"
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
#include "window/BreakElapsedAndEndTimeIndicatorHideableFragmentWall.h"
#include "window/BreakRemainingAndTotalTimeIndicatorHideableFragmentWall.h"
#include "window/MainWindow.h"

#include "ShownPage.h"
#include "support/DarkPalette.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QHash>
#include <QImage>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QTextEdit>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <utility>
#include <vector>

using namespace kr;

namespace {

using test::Page;

const Page kPages[] = {
    {"define", {}, [](StateLinkingHelper& s) -> BaseState& { return s.defineTimeSliceState(); }},
    {"welcome", {"welcome"}, [](StateLinkingHelper& s) -> BaseState& { return s.welcomeState(); }},
    {"running",
     {"next"},
     [](StateLinkingHelper& s) -> BaseState& { return s.timeSliceRunningState(); },
     {{"hideContinuousSoundInTimeSliceRunningState", false}}},
    {"paused",
     {"next", "pause"},
     [](StateLinkingHelper& s) -> BaseState& { return s.pausedState(); }},
    {"softBreak",
     {"next", "softBreak"},
     [](StateLinkingHelper& s) -> BaseState& { return s.softBreakState(); }},
    {"rating",
     {"next", "aborted"},
     [](StateLinkingHelper& s) -> BaseState& { return s.rateTimeSliceState(); },
     {{"completed", false}}},
    {"prepareTimedBreak",
     {"next", "aborted", "skipLogging"},
     [](StateLinkingHelper& s) -> BaseState& { return s.prepareTimedBreakState(); }},
    {"prepareTimedBreakPomodoroStyle",
     {"next", "aborted", "skipLogging"},
     [](StateLinkingHelper& s) -> BaseState& { return s.prepareTimedBreakState(); },
     {{"breakDurationControlAlternative", QStringLiteral("pomodoroStyle")}}},
    {"timedBreak",
     {"timedBreak"},
     [](StateLinkingHelper& s) -> BaseState& { return s.timedBreakRunningState(); }},
    {"informalBreak",
     {"next", "aborted", "skipLogging", "informalBreak"},
     [](StateLinkingHelper& s) -> BaseState& { return s.informalBreakState(); }},
};

// A desktop's light palette and a dark one.
QPalette lightDesktop() { return kr::test::lightDesktopPalette(); }

QPalette darkDesktop() { return kr::test::darkDesktopPalette(); }

double contrast(QRgb a, QRgb b) { return kr::test::contrastRatio(a, b); }

// Where a widget draws its text, in its own coordinates, with the text; an
// empty rectangle for a widget that shows no text.
std::pair<QRect, QString> textArea(const QWidget* widget) {
  QStyle* style = widget->style();
  const QFontMetrics metrics = widget->fontMetrics();
  auto within = [&](const QRect& area, Qt::Alignment alignment, const QString& text,
                    const QFontMetrics& fm) {
    return std::make_pair(
        style->itemTextRect(fm, area, int(alignment), widget->isEnabled(), text) & area, text);
  };
  if (auto* fragment = qobject_cast<const LabelFragment*>(widget)) {
    // The bar draws its title itself, left-aligned a little in from its edge.
    const QFont font = qobject_cast<const TitleFragment*>(fragment)
                           ? KorvaneControlSkin::shared()->titleFont
                           : KorvaneControlSkin::shared()->secondaryTitleFont;
    const QString text = fragment->label()->text();
    return within(fragment->rect().adjusted(10, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, text,
                  QFontMetrics(font));
  }
  if (auto* label = qobject_cast<const QLabel*>(widget)) {
    if (label->textFormat() == Qt::RichText || label->wordWrap())
      return {label->contentsRect(), label->text()};
    return within(label->contentsRect(), label->alignment(), label->text(), metrics);
  }
  if (auto* box = qobject_cast<const QCheckBox*>(widget)) {
    QStyleOptionButton option;
    option.initFrom(box);
    option.text = box->text();
    return within(style->subElementRect(QStyle::SE_CheckBoxContents, &option, box),
                  Qt::AlignLeft | Qt::AlignVCenter, box->text(), metrics);
  }
  if (auto* radio = qobject_cast<const QRadioButton*>(widget)) {
    QStyleOptionButton option;
    option.initFrom(radio);
    option.text = radio->text();
    return within(style->subElementRect(QStyle::SE_RadioButtonContents, &option, radio),
                  Qt::AlignLeft | Qt::AlignVCenter, radio->text(), metrics);
  }
  if (auto* button = qobject_cast<const QAbstractButton*>(widget)) {
    if (button->text().isEmpty())
      return {};
    return within(button->rect().adjusted(3, 3, -3, -3), Qt::AlignCenter, button->text(), metrics);
  }
  if (auto* box = qobject_cast<const QComboBox*>(widget)) {
    QStyleOptionComboBox option;
    option.initFrom(box);
    const QRect field =
        style->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, box);
    return within(field, Qt::AlignLeft | Qt::AlignVCenter, box->currentText(), metrics);
  }
  if (auto* field = qobject_cast<const QLineEdit*>(widget)) {
    // An empty field shows its placeholder, which must be read too.
    const QString text = field->text().isEmpty() ? field->placeholderText() : field->text();
    return within(field->contentsRect().adjusted(2, 0, -2, 0), field->alignment(), text, metrics);
  }
  if (auto* editor = qobject_cast<const QTextEdit*>(widget)) {
    const QString text = editor->toPlainText().section(QLatin1Char('\n'), 0, 0);
    const QRect viewport = editor->viewport()->geometry();
    return within(viewport.adjusted(4, 4, -4, -4), Qt::AlignLeft | Qt::AlignTop, text,
                  QFontMetrics(editor->currentFont()));
  }
  return {};
}

// Every text of a wall, rendered in `shot`, that stands out from what is behind
// it by less than 4.5 : 1. Behind the text is the colour most of its area
// shows; the text is the pixel that differs most from it.
QStringList faintTexts(const QWidget* wall, const QWidget* window, const QImage& shot) {
  QStringList faults;
  QList<const QWidget*> widgets{wall};
  for (const QWidget* child : wall->findChildren<QWidget*>())
    widgets.append(child);
  for (const QWidget* widget : widgets) {
    // Inactive controls may be dimmer, as the usual reading rules allow.
    if (!widget->isVisibleTo(window) || !widget->isEnabled() || widget->size().isEmpty())
      continue;
    const auto [area, text] = textArea(widget);
    if (text.trimmed().isEmpty() || area.isEmpty())
      continue;
    const QRect onShot =
        QRect(widget->mapTo(window, area.topLeft()), area.size()) & QRect(QPoint(), shot.size());
    if (onShot.isEmpty())
      continue;
    QHash<QRgb, int> counts;
    for (int y = onShot.top(); y <= onShot.bottom(); ++y)
      for (int x = onShot.left(); x <= onShot.right(); ++x)
        ++counts[shot.pixel(x, y) | 0xff000000u];
    QRgb background = 0;
    int most = -1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
      if (it.value() > most) {
        most = it.value();
        background = it.key();
      }
    }
    double best = 1.0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
      best = std::max(best, contrast(it.key(), background));
    if (best < 4.5) {
      faults.append(QStringLiteral("%1 \"%2\" (%3): contrast %4 on %5")
                        .arg(QString::fromLatin1(widget->metaObject()->className()), text,
                             widget->objectName())
                        .arg(best, 0, 'f', 2)
                        .arg(QColor(background).name()));
    }
  }
  return faults;
}

// Every unticked check box and radio button of a wall, rendered in `shot`,
// whose box or circle stands out from the page round it by less than 3 : 1, as
// the usual rules ask of a control's bounds: the pixel of the indicator that
// differs most from the colour most of the band just outside it shows.
QStringList faintIndicators(const QWidget* wall, const QWidget* window, const QImage& shot) {
  QStringList faults;
  for (const QAbstractButton* button : wall->findChildren<QAbstractButton*>()) {
    const bool box = qobject_cast<const QCheckBox*>(button) != nullptr;
    if ((!box && !qobject_cast<const QRadioButton*>(button)) || button->isChecked() ||
        !button->isVisibleTo(window) || !button->isEnabled() || button->size().isEmpty())
      continue;
    QStyleOptionButton option;
    option.initFrom(button);
    const QRect indicator = button->style()->subElementRect(
        box ? QStyle::SE_CheckBoxIndicator : QStyle::SE_RadioButtonIndicator, &option, button);
    const QRect onShot = QRect(button->mapTo(window, indicator.topLeft()), indicator.size());
    const QRect around = onShot.adjusted(-2, -2, 2, 2);
    if (!QRect(QPoint(), shot.size()).contains(around))
      continue;
    QHash<QRgb, int> counts;
    for (int y = around.top(); y <= around.bottom(); ++y)
      for (int x = around.left(); x <= around.right(); ++x)
        if (!onShot.contains(x, y))
          ++counts[shot.pixel(x, y) | 0xff000000u];
    const QRgb page = std::max_element(counts.cbegin(), counts.cend()).key();
    double best = 1.0;
    for (int y = onShot.top(); y <= onShot.bottom(); ++y)
      for (int x = onShot.left(); x <= onShot.right(); ++x)
        best = std::max(best, contrast(shot.pixel(x, y), page));
    if (best < 3.0) {
      faults.append(QStringLiteral("%1 \"%2\": contrast %3 on %4")
                        .arg(box ? QStringLiteral("check box") : QStringLiteral("radio button"),
                             button->text())
                        .arg(best, 0, 'f', 2)
                        .arg(QColor(page).name()));
    }
  }
  return faults;
}

// How many pixels two renderings differ in, and where the first lies.
std::pair<int, QPoint> difference(const QImage& a, const QImage& b) {
  if (a.size() != b.size())
    return {a.width() * a.height(), QPoint()};
  int count = 0;
  QPoint first(-1, -1);
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x) {
      if (a.pixel(x, y) != b.pixel(x, y)) {
        if (count++ == 0)
          first = QPoint(x, y);
      }
    }
  }
  return {count, first};
}

class PageTheme : public ::testing::TestWithParam<Page> {};

} // namespace

// Each page is drawn under a light and a dark desktop palette: the two
// drawings are the same, every text of the page stands out from what is
// behind it by at least 4.5 : 1, and every unticked check box and radio
// button from the page by 3 : 1. Both drawings are saved for a look.
TEST_P(PageTheme, PagesLookTheSameAndStayReadableUnderALightAndADarkDesktop) {
  const Page& page = GetParam();
  const QPalette desktop = QApplication::palette();
  const int flashTime = QApplication::cursorFlashTime();
  // A steady caret: both drawings show it alike.
  QApplication::setCursorFlashTime(0);
  const auto restore = qScopeGuard([&] {
    QApplication::setPalette(desktop);
    QApplication::setCursorFlashTime(flashTime);
  });
  test::ShownPage shown(page);
  ASSERT_TRUE(shown.reached()) << "the path did not lead to the page";
  ApplicationShell& shell = shown.shell;
  BaseState& state = *shown.state;
  MainWindow* window = shell.appDelegate().mainWindow();

  QImage shots[2];
  const std::pair<const char*, QPalette> desktops[] = {{"light", lightDesktop()},
                                                       {"dark", darkDesktop()}};
  // A drawing lays out what was still to be laid out: the second one shows
  // the page settled.
  const auto settle = [window] {
    for (int round = 0; round < 2; ++round) {
      window->layout()->activate();
      ConstraintLayout::layoutSubtreeIfNeeded(window);
      QCoreApplication::processEvents();
      window->grab();
    }
  };
  settle();
  for (int i = 0; i < 2; ++i) {
    const auto& [name, palette] = desktops[i];
    QApplication::setPalette(palette);
    settle();
    ASSERT_EQ(window->size(), window->sizeHint());
    shots[i] = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QString path = QStringLiteral(KR_BUILD_DIR "/page-theme-%1-%2.png")
                             .arg(QLatin1String(page.name), QLatin1String(name));
    EXPECT_TRUE(shots[i].save(path)) << path.toStdString();
    QStringList faults = faintTexts(state.infoWall(), window, shots[i]);
    faults += faintTexts(state.buttonWall(), window, shots[i]);
    faults += faintIndicators(state.infoWall(), window, shots[i]);
    EXPECT_EQ(faults.join(QLatin1Char('\n')).toStdString(), "")
        << "under the " << name << " desktop palette";
  }
  // The pomodoro slots' selectors head their columns on one line.
  if (const auto* slotsView =
          state.infoWall()->findChild<QWidget*>(QStringLiteral("PomodoroBreakView"));
      slotsView && slotsView->isVisibleTo(window)) {
    QList<int> tops;
    for (const QRadioButton* selector : slotsView->findChildren<QRadioButton*>())
      tops.append(selector->mapTo(window, QPoint(0, 0)).y());
    ASSERT_EQ(tops.size(), 4);
    const auto [low, high] = std::minmax_element(tops.cbegin(), tops.cend());
    EXPECT_LE(*high - *low, 1) << "the selectors' tops run from " << *low << " to " << *high;
  }
  // The timed break shows its own read-outs, taken from its timer alone.
  if (std::string(page.name) == "timedBreak") {
    EXPECT_NE(state.infoWall()->findChild<BreakElapsedAndEndTimeIndicatorHideableFragmentWall*>(),
              nullptr);
    EXPECT_NE(
        state.infoWall()->findChild<BreakRemainingAndTotalTimeIndicatorHideableFragmentWall*>(),
        nullptr);
  }
  const auto [count, first] = difference(shots[0], shots[1]);
  EXPECT_EQ(count, 0) << "the drawings differ, first at " << first.x() << "," << first.y();
}

INSTANTIATE_TEST_SUITE_P(MainWindow, PageTheme, ::testing::ValuesIn(kPages),
                         [](const ::testing::TestParamInfo<Page>& info) {
                           return std::string(info.param.name);
                         });

// The quick duration dialog is a window of its own, opened from a page: it
// too keeps the pages' colours under either desktop palette.
TEST(PageTheme, TheQuickDurationDialogLooksTheSameAndStaysReadable) {
  test::LaunchedMachine m;
  const QPalette desktop = QApplication::palette();
  const int flashTime = QApplication::cursorFlashTime();
  QApplication::setCursorFlashTime(0);
  const auto restore = qScopeGuard([&] {
    QApplication::setPalette(desktop);
    QApplication::setCursorFlashTime(flashTime);
  });
  ApplicationShell shell(m.context());
  shell.launch();
  ASSERT_TRUE(shell.stateMachine().tryToPerform(QStringLiteral("changeDuration")));
  QWidget* dialog = nullptr;
  for (QWidget* top : QApplication::topLevelWidgets()) {
    if (top->inherits("kr::QuickDurationChangingViewController") && top->isVisible())
      dialog = top;
  }
  ASSERT_NE(dialog, nullptr) << "the dialog did not open";
  QImage shots[2];
  const std::pair<const char*, QPalette> desktops[] = {{"light", lightDesktop()},
                                                       {"dark", darkDesktop()}};
  for (int i = 0; i < 2; ++i) {
    QApplication::setPalette(desktops[i].second);
    QCoreApplication::processEvents();
    shots[i] = dialog->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QString path =
        QStringLiteral(KR_BUILD_DIR "/quick-duration-%1.png").arg(QLatin1String(desktops[i].first));
    EXPECT_TRUE(shots[i].save(path)) << path.toStdString();
    EXPECT_EQ(faintTexts(dialog, dialog, shots[i]).join(QLatin1Char('\n')).toStdString(), "")
        << "under the " << desktops[i].first << " desktop palette";
  }
  EXPECT_EQ(difference(shots[0], shots[1]).first, 0);
}
