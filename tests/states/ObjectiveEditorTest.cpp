#include "SliceTestFixture.h"

#include "states/InformalBreakState.h"
#include "states/ModernUIState.h"

#include "engine/ObjectiveText.h"
#include "kit/Label.h"
#include "kit/bricks/PullDownButtonBrick.h"
#include "kit/text/BorderedBackgroundView.h"
#include "kit/text/ObjectiveTextView.h"
#include "kit/text/TextIndicatorsView.h"
#include "kit/walls/LabelFragment.h"
#include "kit/walls/Wall.h"

#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextCursor>

#include <gtest/gtest.h>

using namespace kr;

namespace {

// A page with nothing but the objective sections.
class ObjectivePage : public ModernUIState {
public:
  void build() override {
    createStackView();
    const auto [label, indicators] = createAndInstallObjectiveLabelFragment();
    labelFragment = label;
    editor = createAndInstallObjectiveTextViewFragment(indicators).first;
  }
  LabelFragment* labelFragment = nullptr;
  ObjectiveTextView* editor = nullptr;
};

QString storedObjective() { return DataModel::shared().objectiveData().plainText().trimmed(); }

void storeObjective(const QString& text) {
  UserDefaults::standard().setValue(QStringLiteral("objective"),
                                    ObjectiveText::fromPlainText(text, {}).data());
}

void selectAll(ObjectiveTextView* editor) {
  QTextCursor cursor = editor->textCursor();
  cursor.select(QTextCursor::Document);
  editor->setTextCursor(cursor);
}

} // namespace

TEST(ObjectiveEditor, DefinePageBuildsTheSectionsInOrderAndFocusesTheEditor) {
  test::SliceFixture f;
  f.start();
  ObjectiveTextView* editor = f.define().objectiveTextView();
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(f.define().firstResponder(), editor);
  // On the objective's background, inside its frame.
  auto* background = qobject_cast<BorderedBackgroundView*>(editor->parentWidget());
  ASSERT_NE(background, nullptr);
  EXPECT_EQ(background->colorKey(), QStringLiteral("objectiveBackgroundColor"));
  EXPECT_EQ(background->size(), QSize(420, 100));
  EXPECT_EQ(editor->geometry(), QRect(1, 1, 418, 98));
  auto* wall = qobject_cast<Wall*>(background->parentWidget());
  ASSERT_NE(wall, nullptr);
  EXPECT_EQ(wall->size(), QSize(436, 108));
  // The title, then the objective head, then the editor.
  auto* layout = f.define().fragmentStackView()->layout();
  ASSERT_GE(layout->count(), 3);
  auto* label = qobject_cast<LabelFragment*>(layout->itemAt(1)->widget());
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->label()->text(), QStringLiteral("Objective:"));
  EXPECT_TRUE(label->isFirstLabel);
  EXPECT_EQ(layout->itemAt(2)->widget(), wall);
  // Typing on a freshly shown page replaces the last objective.
  EXPECT_EQ(editor->textCursor().selectedText(), editor->toPlainText());

  // The head's wheel menu shows and hides the tag editor.
  UserDefaults::standard().setValue(QStringLiteral("hideTagEditor"), false);
  QAction* tagEditorItem = nullptr;
  for (QAction* action : label->wheelButton()->itemMenu()->actions()) {
    if (action->text().endsWith(QStringLiteral("Tag Editor")))
      tagEditorItem = action;
  }
  ASSERT_NE(tagEditorItem, nullptr);
  tagEditorItem->trigger();
  EXPECT_TRUE(UserDefaults::standard().boolValue(QStringLiteral("hideTagEditor")));
  UserDefaults::standard().setValue(QStringLiteral("hideTagEditor"), false);

  TextIndicatorsView* indicators = editor->textIndicatorsView();
  ASSERT_NE(indicators, nullptr);
  EXPECT_EQ(indicators->parentWidget(), label);
  const QStringList titles = {"N", "B", "i", "U", "S"};
  for (int i = 0; i < TextIndicatorsView::IndicatorCount; ++i) {
    QPushButton* button = indicators->indicator(TextIndicatorsView::Indicator(i));
    // Drawn glyphs, no titles; the object names keep the letters.
    EXPECT_TRUE(button->text().isEmpty());
    EXPECT_FALSE(button->icon().isNull());
    EXPECT_EQ(button->objectName(), QStringLiteral("indicator ") + titles[i]);
    EXPECT_EQ(button->geometry(), QRect(i * 25, 3, 24, 20));
    EXPECT_EQ(button->isHidden(), i == 0) << titles[i].toStdString();
  }
}

TEST(ObjectiveEditor, TypingStoresAndOutsideChangesShowWithoutEchoOrCaretJump) {
  test::SliceFixture f;
  f.start();
  ObjectiveTextView* editor = f.define().objectiveTextView();
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(editor->toPlainText(), storedObjective()) << "shows the stored objective at once";

  selectAll(editor);
  QTest::keyClicks(editor, QStringLiteral("Write the report"));
  EXPECT_EQ(storedObjective(), QStringLiteral("Write the report"));
  editor->undo();
  EXPECT_NE(storedObjective(), QStringLiteral("Write the report")) << "undo reaches the store";
  EXPECT_EQ(storedObjective(), editor->toPlainText().trimmed());
  editor->redo();
  EXPECT_EQ(storedObjective(), QStringLiteral("Write the report"));

  QTextCursor cursor = editor->textCursor();
  cursor.setPosition(5);
  editor->setTextCursor(cursor);
  QSignalSpy edits(editor, &ObjectiveTextView::dataChanged);
  storeObjective(QStringLiteral("Read the whole chapter"));
  EXPECT_EQ(editor->toPlainText(), QStringLiteral("Read the whole chapter"));
  EXPECT_EQ(edits.count(), 0) << "a change from the store is not an edit";
  EXPECT_EQ(editor->textCursor().position(), 5) << "the caret keeps its place";
  storeObjective(QStringLiteral("Go"));
  EXPECT_EQ(editor->toPlainText(), QStringLiteral("Go"));
  EXPECT_LE(editor->textCursor().position(), 2);
  // Undo does not reach back past a change from outside.
  editor->undo();
  EXPECT_EQ(editor->toPlainText(), QStringLiteral("Go"));
  EXPECT_EQ(storedObjective(), QStringLiteral("Go"));
  QTest::keyClicks(editor, QStringLiteral("!"));
  editor->undo();
  editor->undo();
  EXPECT_EQ(storedObjective(), QStringLiteral("Go")) << "only the user's own edit is undone";

  // Damaged data empties the editor rather than failing.
  UserDefaults::standard().setValue(QStringLiteral("objective"), QByteArray("not rich text"));
  EXPECT_TRUE(editor->toPlainText().isEmpty());
}

TEST(ObjectiveEditor, FormatTogglesActOnTheSelectionAndTheIndicatorsFollowTheCaret) {
  test::SliceFixture f;
  f.start();
  ObjectiveTextView* editor = f.define().objectiveTextView();
  ASSERT_NE(editor, nullptr);
  TextIndicatorsView* indicators = editor->textIndicatorsView();
  storeObjective(QStringLiteral("Plain bold"));
  const CharFormat before = DataModel::shared().objectiveData().richText().formatAt(6);

  QTextCursor cursor = editor->textCursor();
  cursor.setPosition(6);
  cursor.setPosition(10, QTextCursor::KeepAnchor);
  editor->setTextCursor(cursor);
  indicators->boldIndicator()->click();
  RichText stored = DataModel::shared().objectiveData().richText();
  EXPECT_FALSE(stored.formatAt(0).bold);
  EXPECT_TRUE(stored.formatAt(6).bold);
  EXPECT_TRUE(stored.formatAt(9).bold);
  // Only the weight changed.
  CharFormat expected = before;
  expected.bold = true;
  EXPECT_EQ(stored.formatAt(6), expected);
  EXPECT_TRUE(indicators->boldIndicator()->isChecked());

  cursor.setPosition(2);
  editor->setTextCursor(cursor);
  EXPECT_FALSE(indicators->boldIndicator()->isChecked()) << "caret in plain text";
  cursor.setPosition(8);
  editor->setTextCursor(cursor);
  EXPECT_TRUE(indicators->boldIndicator()->isChecked()) << "caret in bold text";

  // Italics, underline and strike-through on the first word, then back to plain.
  cursor.setPosition(0);
  cursor.setPosition(5, QTextCursor::KeepAnchor);
  editor->setTextCursor(cursor);
  editor->toggleItalicAttribute();
  editor->underline();
  editor->toggleStrikeOutAttribute();
  stored = DataModel::shared().objectiveData().richText();
  EXPECT_TRUE(stored.formatAt(1).italic);
  EXPECT_TRUE(stored.formatAt(1).underline);
  EXPECT_TRUE(stored.formatAt(1).strikeThrough);
  EXPECT_FALSE(stored.formatAt(7).italic) << "outside the selection nothing changes";
  EXPECT_TRUE(indicators->italicsIndicator()->isChecked());
  EXPECT_TRUE(indicators->strikeThroughIndicator()->isChecked());
  editor->toggleItalicAttribute();
  EXPECT_FALSE(DataModel::shared().objectiveData().richText().formatAt(1).italic)
      << "a second toggle takes it off";
  editor->makePlainText();
  stored = DataModel::shared().objectiveData().richText();
  EXPECT_EQ(stored.formatAt(1), before);
  EXPECT_TRUE(stored.formatAt(7).bold);
}

TEST(ObjectiveEditor, TwoPagesShowTheSameObjectiveAndAGonePageUnbinds) {
  test::SliceFixture f;
  f.start();
  ObjectiveTextView* defineEditor = f.define().objectiveTextView();
  ASSERT_NE(defineEditor, nullptr);
  {
    ObjectivePage page;
    page.build();
    ASSERT_NE(page.editor, nullptr);
    EXPECT_TRUE(page.labelFragment->isFirstLabel);
    EXPECT_EQ(page.editor->toPlainText(), defineEditor->toPlainText());

    selectAll(defineEditor);
    QTest::keyClicks(defineEditor, QStringLiteral("Shared"));
    EXPECT_EQ(page.editor->toPlainText(), QStringLiteral("Shared"));
    selectAll(page.editor);
    QTest::keyClicks(page.editor, QStringLiteral("Back"));
    EXPECT_EQ(defineEditor->toPlainText(), QStringLiteral("Back"));
    EXPECT_EQ(storedObjective(), QStringLiteral("Back"));
  }
  // The page's editor is gone; the store and the other editor carry on.
  storeObjective(QStringLiteral("After"));
  EXPECT_EQ(defineEditor->toPlainText(), QStringLiteral("After"));
}

TEST(ObjectiveEditor, EveryCyclePageEditsTheOneObjective) {
  test::SliceFixture f;
  f.start();
  InformalBreakState& informal = f.helper.informalBreakState();
  const std::vector<std::pair<ModernUIState*, ObjectiveTextView*>> pages = {
      {&f.running(), f.running().objectiveTextView()},
      {&f.paused(), f.paused().objectiveTextView()},
      {&f.rate(), f.rate().objectiveTextView()},
      {&informal, informal.objectiveTextView()}};
  storeObjective(QStringLiteral("Outline the talk"));
  for (const auto& [page, editor] : pages) {
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(page->firstResponder(), editor);
    EXPECT_EQ(editor->toPlainText(), QStringLiteral("Outline the talk"));
    auto* layout = page->fragmentStackView()->layout();
    auto* label = qobject_cast<LabelFragment*>(layout->itemAt(1)->widget());
    ASSERT_NE(label, nullptr);
    EXPECT_TRUE(label->isFirstLabel);
    EXPECT_EQ(layout->itemAt(2)->widget(), editor->parentWidget()->parentWidget());
  }
  EXPECT_EQ(
      qobject_cast<LabelFragment*>(informal.fragmentStackView()->layout()->itemAt(1)->widget())
          ->label()
          ->text(),
      QStringLiteral("Prepare Objective for Next Time Slice"));

  // Running, then paused: each shows the page with the objective selected, and
  // an edit while paused is the objective the slice goes on with.
  f.define().startTimeSlice();
  ObjectiveTextView* running = f.running().objectiveTextView();
  EXPECT_EQ(running->textCursor().selectedText(), running->toPlainText());
  f.running().pauseOrResumeTimeSlice();
  ASSERT_EQ(f.machine.currentState(), &f.paused());
  ObjectiveTextView* paused = f.paused().objectiveTextView();
  EXPECT_EQ(paused->textCursor().selectedText(), paused->toPlainText());
  QTest::keyClicks(paused, QStringLiteral("Outline and rehearse"));
  EXPECT_EQ(storedObjective(), QStringLiteral("Outline and rehearse"));
  EXPECT_EQ(running->toPlainText(), QStringLiteral("Outline and rehearse"));
  EXPECT_EQ(f.define().objectiveTextView()->toPlainText(), QStringLiteral("Outline and rehearse"));
}

TEST(ObjectiveEditor, ColoursFollowTheSettingsAndUnreadableOnesReadAsRegistered) {
  test::SliceFixture f;
  UserDefaults& d = UserDefaults::standard();
  d.registerDefault(QStringLiteral("objectiveBackgroundColor"), QStringLiteral("#e2eeff"));
  d.registerDefault(QStringLiteral("textColor"), QStringLiteral("#202020"));
  d.setValue(QStringLiteral("objectiveBackgroundColor"), QStringLiteral("not a colour"));
  d.setValue(QStringLiteral("textColor"), QStringLiteral("#12345"));
  ObjectivePage page;
  page.build();
  auto* background = qobject_cast<BorderedBackgroundView*>(page.editor->parentWidget());
  ASSERT_NE(background, nullptr);
  EXPECT_EQ(background->backgroundColor(), QColor(QStringLiteral("#e2eeff")));
  EXPECT_EQ(page.editor->palette().color(QPalette::Text), QColor(QStringLiteral("#202020")));
  // Changed while shown: both follow at once.
  d.setValue(QStringLiteral("objectiveBackgroundColor"), QStringLiteral("#336699"));
  d.setValue(QStringLiteral("textColor"), QStringLiteral("#aa0000"));
  EXPECT_EQ(background->backgroundColor(), QColor(QStringLiteral("#336699")));
  EXPECT_EQ(page.editor->palette().color(QPalette::Text), QColor(QStringLiteral("#aa0000")));
  // The editor is clear: the background shows through it, inside the frame.
  background->resize(420, 100);
  const QImage image = background->grab().toImage();
  EXPECT_EQ(image.pixelColor(200, 90), QColor(QStringLiteral("#336699")));
  EXPECT_EQ(image.pixelColor(0, 50), QColor(Qt::black));
  EXPECT_EQ(image.pixelColor(1, 50), QColor(QStringLiteral("#336699")));
}
