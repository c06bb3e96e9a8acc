#include "kit/IntegerTextField.h"
#include "kit/Label.h"
#include "kit/NiblessViewController.h"
#include "kit/PopUpButton.h"
#include "kit/SmartMenuItem.h"
#include "kit/text/PadScrollView.h"
#include "platform/layout/ConstraintLayout.h"

#include "support/TestEnvironment.h"

#include <QMenu>
#include <QScrollArea>
#include <QTest>

#include <gtest/gtest.h>

using namespace kr;

TEST(IntegerTextFieldTest, ArrowsStepWithinTheBounds) {
  std::unique_ptr<IntegerTextField> field(IntegerTextField::integerTextField(25, 1, 60));
  EXPECT_EQ(field->text(), QStringLiteral("25"));
  EXPECT_TRUE(field->alignment() & Qt::AlignRight);
  int returns = 0;
  field->returnKeyActionFunction = [&] { ++returns; };
  QTest::keyClick(field.get(), Qt::Key_Up);
  EXPECT_EQ(field->intValue(), 26);
  field->setIntValue(60);
  field->setCursorPosition(1);
  QTest::keyClick(field.get(), Qt::Key_Up);
  EXPECT_EQ(field->intValue(), 60);
  EXPECT_EQ(field->cursorPosition(), 1);
  field->setIntValue(1);
  QTest::keyClick(field.get(), Qt::Key_Down);
  EXPECT_EQ(field->intValue(), 1);
  EXPECT_EQ(returns, 0); // steps run the return function only when asked to
  field->callsReturnKeyFunctionOnTextHasChanged = true;
  QTest::keyClick(field.get(), Qt::Key_Up);
  field->setCursorPosition(1);
  QTest::keyClick(field.get(), Qt::Key_0); // an edit: "20"
  EXPECT_EQ(field->intValue(), 20);
  EXPECT_EQ(returns, 2);
}

TEST(IntegerTextFieldTest, MissingBoundsAndTheFormattersOwnMinimum) {
  std::unique_ptr<IntegerTextField> noMax(
      IntegerTextField::integerTextField(5, std::nullopt, std::nullopt));
  EXPECT_FALSE(noMax->increment());
  EXPECT_EQ(noMax->intValue(), 5);
  noMax->setIntValue(0);
  EXPECT_TRUE(noMax->decrement()); // handled, stays at the formatter's minimum 0
  EXPECT_EQ(noMax->intValue(), 0);
}

TEST(IntegerTextFieldTest, TypingIsCheckedKeystrokeByKeystroke) {
  IntegerValidatingNumberFormatter formatter;
  formatter.setMaximum(60);
  EXPECT_TRUE(formatter.isPartialStringValid(QString()));
  EXPECT_FALSE(formatter.isPartialStringValid(QStringLiteral("-")));
  EXPECT_FALSE(formatter.isPartialStringValid(QStringLiteral("1.5")));
  EXPECT_FALSE(formatter.isPartialStringValid(QStringLiteral("1 ")));
  EXPECT_FALSE(formatter.isPartialStringValid(QStringLiteral("99999999999999999999")));
  EXPECT_TRUE(formatter.isPartialStringValid(QStringLiteral("-3"))); // below the minimum is fine
  EXPECT_TRUE(formatter.isPartialStringValid(QStringLiteral("6")));
  EXPECT_FALSE(formatter.isPartialStringValid(QStringLiteral("61")));

  std::unique_ptr<IntegerTextField> field(IntegerTextField::integerTextField(5, 10, 60));
  field->clear();
  QTest::keyClicks(field.get(), QStringLiteral("61"));
  EXPECT_EQ(field->text(), QStringLiteral("6"));
  int seen = -1;
  field->returnKeyActionFunction = [&] { seen = field->intValue(); };
  QTest::keyClick(field.get(), Qt::Key_Return);
  EXPECT_EQ(seen, 10); // raised to the minimum before the function runs
}

TEST(SmartMenuItemTest, RunsItsClosureValidatesAndUpdates) {
  QMenu menu;
  int pressed = 0;
  auto* item = new SmartMenuItem(
      QStringLiteral("Item"), [&] { ++pressed; },
      [](SmartMenuItem* i) { i->setText(QStringLiteral("Updated")); }, &menu);
  menu.addAction(item);
  item->trigger();
  EXPECT_EQ(pressed, 1);
  EXPECT_TRUE(item->validateMenuItem());
  item->traditionalValidateFunc = [](SmartMenuItem*) { return false; };
  SmartMenuItem::validateItemsOf(&menu);
  EXPECT_FALSE(item->isEnabled());
  SmartMenuItem::updateItemsOf(&menu);
  EXPECT_EQ(item->text(), QStringLiteral("Updated"));
}

TEST(CommonElementsTest, StandardPullDownLabelAndScrollView) {
  std::unique_ptr<PopUpButton> pullDown(
      PopUpButton::standardPullDownButton(QStringLiteral("Tags")));
  EXPECT_TRUE(pullDown->pullsDown());
  EXPECT_EQ(pullDown->numberOfItems(), 1);
  EXPECT_EQ(pullDown->itemTitleAt(0), QStringLiteral("Tags"));
  EXPECT_EQ(pullDown->text(), QStringLiteral("Tags"));

  std::unique_ptr<Label> label(Label::standardLabel(QStringLiteral("Hello")));
  EXPECT_EQ(label->text(), QStringLiteral("Hello"));
  EXPECT_EQ(label->textInteractionFlags(), Qt::NoTextInteraction);

  auto* content = new QWidget();
  std::unique_ptr<PadScrollView> scroll(PadScrollView::wrap(content));
  EXPECT_EQ(scroll->widget(), content);
  EXPECT_FALSE(scroll->allowsVibrancy());
  EXPECT_EQ(ConstraintLayout::contentCompressionResistancePriority(scroll.get(), Qt::Vertical),
            750.0f);
}

namespace {
class Page : public NiblessViewController {
public:
  explicit Page(bool delayed) : NiblessViewController(delayed) {}
  void build() override {
    ++builds;
    setView(new QWidget());
  }
  int builds = 0;
};
} // namespace

TEST(NiblessViewControllerTest, BuildsAtOnceUnlessDelayed) {
  auto now = NiblessViewController::create<Page>(false);
  EXPECT_EQ(now->builds, 1);
  EXPECT_NE(now->view(), nullptr);
  auto later = NiblessViewController::create<Page>(true);
  EXPECT_EQ(later->builds, 0);
  later->build();
  EXPECT_EQ(later->builds, 1);
}
