#include "states/InformalBreakState.h"
#include "states/PageServices.h"
#include "states/PrepareTimedBreakState.h"
#include "states/TimedBreakRunningState.h"
#include "states/WelcomeState.h"

#include "SliceTestFixture.h"
#include "art/KorvaneStyleKit.h"
#include "kit/Label.h"
#include "kit/bricks/PullDownButtonBrick.h"
#include "kit/bricks/PushButtonBrick.h"
#include "kit/walls/FragmentWall.h"
#include "kit/walls/LabelFragment.h"
#include "kit/walls/TitleFragment.h"
#include "platform/drawing/GraphicsContext.h"

#include <QCoreApplication>
#include <QImage>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QPainter>
#include <QPushButton>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <ostream>
#include <vector>

using namespace kr;

namespace {

UserDefaults& store() { return UserDefaults::standard(); }

// What heads a section of a page: the page title, a first label, a label, the
// label bar standing behind controls, the bar of an option ("- OR -"), some
// other drawn background, or a bare text label.
enum class Kind { title, firstLabel, label, labelBar, optionBar, otherBar, plainText };

const char* kindName(Kind kind) {
  switch (kind) {
  case Kind::title:
    return "title";
  case Kind::firstLabel:
    return "first label";
  case Kind::label:
    return "label";
  case Kind::labelBar:
    return "label bar";
  case Kind::optionBar:
    return "option bar";
  case Kind::otherBar:
    return "other bar";
  case Kind::plainText:
    return "plain text";
  }
  return "?";
}

// One head as the page shows it: its kind, its text, the items of its wheel
// menu ("---" for a separator) and whether it offers the alternative control.
struct Head {
  Kind kind;
  QString text;
  QStringList menu = {};
  bool alternative = false;

  bool operator==(const Head& other) const {
    return kind == other.kind && text == other.text && menu == other.menu &&
           alternative == other.alternative;
  }
};

std::ostream& operator<<(std::ostream& out, const Head& head) {
  out << kindName(head.kind) << " \"" << head.text.toStdString() << "\"";
  if (!head.menu.isEmpty())
    out << " menu [" << head.menu.join(QStringLiteral(" | ")).toStdString() << "]";
  if (head.alternative)
    out << " with the alternative control";
  return out;
}

// The wheel menu's items as built, before any refresh renames them.
QStringList menuOf(const LabelFragment* fragment) {
  QStringList items;
  const QList<QAction*> actions = fragment->wheelButton()->itemMenu()->actions();
  // The first item is the button's face.
  for (qsizetype i = 1; i < actions.size(); ++i)
    items.append(actions[i]->isSeparator() ? QStringLiteral("---") : actions[i]->text());
  return items;
}

// What the wall paints of its own, without its children.
QImage paintingOf(QWidget* wall) {
  QImage image(wall->size(), QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  wall->render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
  return image;
}

// What the kit's drawing function paints over a frame of that size.
QImage kitPainting(QSize size, void (*draw)(const QRectF&)) {
  QImage image(size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  GraphicsContext context(&painter, size.height());
  GraphicsContext::Scope scope(context);
  draw(QRectF(0, 0, size.width(), size.height()));
  return image;
}

Kind barKind(FragmentWall* wall) {
  // A size of the test's choosing, which no pending layout changes.
  wall->setFixedSize(436, 30);
  QCoreApplication::sendPostedEvents();
  const QImage painted = paintingOf(wall);
  if (painted.isNull() || painted == kitPainting(wall->size(), [](const QRectF&) {}))
    return Kind::otherBar;
  if (painted == kitPainting(wall->size(), &KorvaneStyleKit::drawLabelFragmentBar))
    return Kind::labelBar;
  if (painted == kitPainting(wall->size(), &KorvaneStyleKit::drawOptionFragmentBar))
    return Kind::optionBar;
  return Kind::otherBar;
}

// What an option offers: the title of its first button.
QString optionTitle(const QWidget* option) {
  const QList<QPushButton*> buttons = option->findChildren<QPushButton*>();
  return buttons.isEmpty() ? QString() : buttons.first()->text();
}

// The heads of the page's sections, top to bottom. A bar is a fragment of
// its own that draws a background but is no label fragment; an option's bar
// is named after what the option offers.
std::vector<Head> headsOf(const ModernUIState& page) {
  std::vector<Head> heads;
  QLayout* stack = page.fragmentStackView()->layout();
  for (int i = 0; i < stack->count(); ++i) {
    QWidget* section = stack->itemAt(i)->widget();
    if (auto* fragment = qobject_cast<LabelFragment*>(section)) {
      const Kind kind = qobject_cast<TitleFragment*>(fragment) ? Kind::title
                        : fragment->isFirstLabel               ? Kind::firstLabel
                                                               : Kind::label;
      heads.push_back({kind, fragment->label()->text(), menuOf(fragment),
                       !fragment->alternativeUIButton()->isHidden()});
    } else if (auto* wall = qobject_cast<FragmentWall*>(section);
               wall && wall->backgroundDrawingFunc()) {
      const Kind kind = barKind(wall);
      heads.push_back({kind, kind == Kind::optionBar ? optionTitle(wall) : wall->identifier()});
    } else if (auto* text = qobject_cast<QLabel*>(section)) {
      heads.push_back({Kind::plainText, text->text()});
    }
  }
  return heads;
}

const QString kObjective = QStringLiteral("Objective:");
const QString kDuration = QStringLiteral("Duration:");
const QString kTagEditor = QStringLiteral("Tag Editor");
const QString kScratchPad = QStringLiteral("Create a New Scratch Pad Page");
const QString kIntroduction = QStringLiteral(
    "Your choices below will be used to create a personalized intial configuration, but you can "
    "of course fine tune your settings at any time.");

struct PageHeads {
  const char* page;
  std::function<ModernUIState&(StateLinkingHelper&)> state;
  std::vector<Head> heads;
};

std::vector<PageHeads> expectedHeads() {
  using K = Kind;
  return {
      {"define",
       [](StateLinkingHelper& s) -> ModernUIState& { return s.defineTimeSliceState(); },
       {{K::title,
         QStringLiteral("Define Time Slice"),
         {QStringLiteral("Bring to Front After 5 Minutes of Inactivity"),
          QStringLiteral("Bring to Front After 1 Hour"),
          QStringLiteral("Bring to Front After Breakfast"),
          QStringLiteral("Bring to Front After Lunch"), QStringLiteral("---"),
          QStringLiteral("Hide Korvane-R During Time Slice"), QStringLiteral("---"),
          QStringLiteral("Start With a Timed Break Option")}},
        {K::firstLabel, kObjective, {kTagEditor}},
        {K::label,
         kDuration,
         {QStringLiteral("calendar events"), QStringLiteral("quarter hour indicators"),
          QStringLiteral("duration and end date")}},
        {K::optionBar, QStringLiteral("Start with a Timed Break")}}},
      {"running",
       [](StateLinkingHelper& s) -> ModernUIState& { return s.timeSliceRunningState(); },
       {{K::title,
         QStringLiteral("Time Slice Running..."),
         {QStringLiteral("Continuous Sound Control")}},
        {K::firstLabel, kObjective, {kTagEditor}},
        {K::label,
         kDuration,
         {QStringLiteral("quarter hour indicators"), QStringLiteral("duration and end date"),
          QStringLiteral("remaining and total time")}},
        {K::label, QStringLiteral("Continuous Sound")}}},
      {"paused",
       [](StateLinkingHelper& s) -> ModernUIState& { return s.pausedState(); },
       {{K::title, QStringLiteral("Time Slice Paused.")},
        {K::firstLabel, kObjective, {kTagEditor}}}},
      {"soft break",
       [](StateLinkingHelper& s) -> ModernUIState& { return s.softBreakState(); },
       {{K::title,
         QStringLiteral("Waiting for Inactivity"),
         {QStringLiteral("Soft Break Feature On/Off Switch"),
          QStringLiteral("Extend Time Slice Option")}},
        {K::label, QStringLiteral("Soft Break Feature")},
        {K::label, QStringLiteral("Extend Time Slice")}}},
      {"rating",
       [](StateLinkingHelper& s) -> ModernUIState& { return s.rateTimeSliceState(); },
       {{K::title,
         QStringLiteral("Rate Time Slice"),
         {QStringLiteral("Automatically Switch Pad to Weekly Statistics"),
          QStringLiteral("Disable Objective Editing for 2 Seconds after Activation"),
          QStringLiteral("---"), QStringLiteral("Add Breadcrumbs Button"),
          QStringLiteral("Add Priming Button"), QStringLiteral("Extend Time Slice Option"),
          QStringLiteral("Do Not Log Option")}},
        {K::firstLabel, kObjective, {kTagEditor}},
        {K::label, QStringLiteral("Leave Breadcrumbs for Resuming the Task Later"), {kScratchPad}},
        {K::label, QStringLiteral("Prime Your Mind for the Next Task"), {kScratchPad}},
        {K::optionBar, QStringLiteral("Continue Working")},
        {K::optionBar, QStringLiteral("Do Not Log This Time Slice")}}},
      {"prepare timed break",
       [](StateLinkingHelper& s) -> ModernUIState& { return s.prepareTimedBreakState(); },
       {{K::title,
         QStringLiteral("Prepare Timed Break"),
         {QStringLiteral("Hide Korvane-R During Timed Break"), QStringLiteral("---"),
          QStringLiteral("Lock Screen Option"),
          QStringLiteral("Straight to Next Time Slice Option"),
          QStringLiteral("Informal Break Option")}},
        {K::firstLabel,
         kDuration,
         {QStringLiteral("calendar events"), QStringLiteral("quarter hour indicators")},
         true},
        {K::firstLabel, QStringLiteral("Pomodoro Style Break Durations"), {}, true},
        {K::label, QStringLiteral("Lock Screen")},
        {K::optionBar, QStringLiteral("Go Straight to the Next Time Slice")},
        {K::optionBar, QStringLiteral("Have an Informal Break")}}},
      {"timed break",
       [](StateLinkingHelper& s) -> ModernUIState& { return s.timedBreakRunningState(); },
       {{K::title, QStringLiteral("On a Timed Break...")},
        {K::firstLabel,
         kDuration,
         {QStringLiteral("quarter hour indicators"), QStringLiteral("duration and end date"),
          QStringLiteral("remaining and total time")}}}},
      {"informal break",
       [](StateLinkingHelper& s) -> ModernUIState& { return s.informalBreakState(); },
       {{K::title,
         QStringLiteral("On Informal Break..."),
         {QStringLiteral("Automatically End Informal Break Feature")}},
        {K::firstLabel, QStringLiteral("Prepare Objective for Next Time Slice"), {kTagEditor}},
        {K::label, QStringLiteral("Automatically End Informal Break Feature")}}},
      {"welcome",
       [](StateLinkingHelper& s) -> ModernUIState& { return s.welcomeState(); },
       {{K::title, QStringLiteral("Profile Settings")},
        {K::plainText, kIntroduction},
        {K::labelBar, QStringLiteral("techniqueProfileChoice Bar")},
        {K::labelBar, QStringLiteral("notificationProfileChoice Bar")},
        {K::labelBar, QStringLiteral("continuousSoundProfileChoice Bar")}}},
  };
}

// The first section of `page` headed by a label fragment with `text`.
LabelFragment* headNamed(const ModernUIState& page, const QString& text) {
  QLayout* stack = page.fragmentStackView()->layout();
  for (int i = 0; i < stack->count(); ++i) {
    auto* fragment = qobject_cast<LabelFragment*>(stack->itemAt(i)->widget());
    if (fragment && fragment->label()->text() == text)
      return fragment;
  }
  return nullptr;
}

// The section right below `head`.
QWidget* sectionBelow(const ModernUIState& page, const QWidget* head) {
  QLayout* stack = page.fragmentStackView()->layout();
  const int index = stack->indexOf(head);
  return index >= 0 && index + 1 < stack->count() ? stack->itemAt(index + 1)->widget() : nullptr;
}

QAction* menuItem(const LabelFragment* fragment, const QString& title) {
  for (QAction* action : fragment->wheelButton()->itemMenu()->actions()) {
    if (action->text() == title)
      return action;
  }
  return nullptr;
}

} // namespace

// Every page heads its sections with the kit's fragments, with the texts and
// menus its sections need; no head is a bare text.
TEST(SectionHeads, EveryPageHeadsItsSectionsWithTheKitsFragments) {
  test::SliceFixture f;
  f.start();
  for (const PageHeads& expected : expectedHeads()) {
    SCOPED_TRACE(expected.page);
    const std::vector<Head> heads = headsOf(expected.state(f.helper));
    EXPECT_EQ(heads, expected.heads);
  }
}

// A head shows and hides with the section below it.
TEST(SectionHeads, AHeadHidesWithItsSection) {
  struct Case {
    const char* page;
    std::function<ModernUIState&(StateLinkingHelper&)> state;
    QString head;
    QString key;
    QVariant shown;
    QVariant hidden;
  };
  const auto softBreak = [](StateLinkingHelper& s) -> ModernUIState& { return s.softBreakState(); };
  const auto prepare = [](StateLinkingHelper& s) -> ModernUIState& {
    return s.prepareTimedBreakState();
  };
  const auto rating = [](StateLinkingHelper& s) -> ModernUIState& {
    return s.rateTimeSliceState();
  };
  const QString alternative = QStringLiteral("breakDurationControlAlternative");
  const QVariant fixed = QStringLiteral("default");
  const QVariant pomodoro = QStringLiteral("pomodoroStyle");
  const Case cases[] = {
      {"soft break", softBreak, QStringLiteral("Soft Break Feature"),
       QStringLiteral("softBreakOption"), false, true},
      {"soft break", softBreak, QStringLiteral("Extend Time Slice"),
       QStringLiteral("softBreakExtensionOption"), false, true},
      {"prepare timed break", prepare, kDuration, alternative, fixed, pomodoro},
      {"prepare timed break", prepare, QStringLiteral("Pomodoro Style Break Durations"),
       alternative, pomodoro, fixed},
      // An alternative no control knows hides both.
      {"prepare timed break", prepare, kDuration, alternative, fixed, QStringLiteral("other")},
      {"prepare timed break", prepare, QStringLiteral("Pomodoro Style Break Durations"),
       alternative, pomodoro, QStringLiteral("other")},
      {"prepare timed break", prepare, QStringLiteral("Lock Screen"),
       QStringLiteral("lockScreenOption"), false, true},
      {"informal break",
       [](StateLinkingHelper& s) -> ModernUIState& { return s.informalBreakState(); },
       QStringLiteral("Automatically End Informal Break Feature"),
       QStringLiteral("automaticEndToInformalBreak"), false, true},
      {"rating", rating, QStringLiteral("Leave Breadcrumbs for Resuming the Task Later"),
       QStringLiteral("completed"), false, true},
      {"rating", rating, QStringLiteral("Leave Breadcrumbs for Resuming the Task Later"),
       QStringLiteral("breadcrumbsOption"), false, true},
      {"rating", rating, QStringLiteral("Prime Your Mind for the Next Task"),
       QStringLiteral("completed"), true, false},
      {"running", [](StateLinkingHelper& s) -> ModernUIState& { return s.timeSliceRunningState(); },
       QStringLiteral("Continuous Sound"),
       QStringLiteral("hideContinuousSoundInTimeSliceRunningState"), false, true},
  };
  test::SliceFixture f;
  // Every option shown, so that each case turns only its own key.
  for (const char* key : {"breadcrumbsOption", "primingOption", "lockScreenOption"})
    store().setValue(QString::fromLatin1(key), false);
  f.start();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.page + (" / " + c.head.toStdString()));
    ModernUIState& page = c.state(f.helper);
    LabelFragment* head = headNamed(page, c.head);
    ASSERT_NE(head, nullptr);
    QWidget* section = sectionBelow(page, head);
    ASSERT_NE(section, nullptr);
    store().setValue(c.key, c.shown);
    EXPECT_FALSE(head->isHidden());
    EXPECT_FALSE(section->isHidden());
    store().setValue(c.key, c.hidden);
    EXPECT_TRUE(head->isHidden());
    EXPECT_TRUE(section->isHidden());
    store().setValue(c.key, c.shown);
    EXPECT_FALSE(head->isHidden());
  }
}

// The heads' own controls do what their sections need: the break heads switch
// the break control, the template heads ask for a fresh scratch pad page and
// the informal break's head opens its help page.
TEST(SectionHeads, HeadControlsActOnTheirSections) {
  test::SliceFixture f;
  f.start();
  const QString alternative = QStringLiteral("breakDurationControlAlternative");
  store().setValue(alternative, QStringLiteral("default"));
  const ModernUIState& prepare = f.helper.prepareTimedBreakState();
  LabelFragment* duration = headNamed(prepare, kDuration);
  LabelFragment* pomodoro = headNamed(prepare, QStringLiteral("Pomodoro Style Break Durations"));
  ASSERT_NE(duration, nullptr);
  ASSERT_NE(pomodoro, nullptr);
  duration->alternativeUIButton()->click();
  EXPECT_EQ(store().string(alternative), QStringLiteral("pomodoroStyle"));
  pomodoro->alternativeUIButton()->click();
  EXPECT_EQ(store().string(alternative), QStringLiteral("default"));

  const ModernUIState& rating = f.helper.rateTimeSliceState();
  const std::pair<QString, QString> templates[] = {
      {QStringLiteral("Leave Breadcrumbs for Resuming the Task Later"),
       QStringLiteral("createNewScratchPadPageForBreadcrumbs")},
      {QStringLiteral("Prime Your Mind for the Next Task"),
       QStringLiteral("createNewScratchPadPageForPriming")}};
  for (const auto& [title, key] : templates) {
    SCOPED_TRACE(title.toStdString());
    LabelFragment* head = headNamed(rating, title);
    ASSERT_NE(head, nullptr);
    // Nothing is registered for the option: unset, it reads off.
    EXPECT_FALSE(store().object(key).isValid());
    QAction* option = menuItem(head, kScratchPad);
    ASSERT_NE(option, nullptr);
    option->trigger();
    EXPECT_TRUE(store().boolValue(key));
    option->trigger();
    EXPECT_FALSE(store().boolValue(key));
  }

  QStringList shownPages;
  PageServices::shared().showHelpPage = [&](const QString& page, bool inBrowser) {
    shownPages.append(page + (inBrowser ? QStringLiteral(" in browser") : QString()));
  };
  LabelFragment* automaticEnd = headNamed(
      f.helper.informalBreakState(), QStringLiteral("Automatically End Informal Break Feature"));
  ASSERT_NE(automaticEnd, nullptr);
  const QList<PushButtonBrick*> buttons = automaticEnd->findChildren<PushButtonBrick*>();
  const auto help = std::find_if(buttons.begin(), buttons.end(), [&](PushButtonBrick* button) {
    return button != automaticEnd->alternativeUIButton();
  });
  ASSERT_NE(help, buttons.end());
  (*help)->click();
  PageServices::shared().showHelpPage = {};
  EXPECT_EQ(shownPages, QStringList{QStringLiteral("automatically_bring_to_front.html")});
}
