#include "kit/walls/LabelFragment.h"
#include "art/KorvaneStyleKit.h"
#include "kit/Label.h"
#include "kit/SmartMenuItem.h"
#include "kit/bricks/PullDownButtonBrick.h"
#include "kit/bricks/PushButtonBrick.h"
#include "kit/walls/FragmentStackView.h"
#include "kit/walls/TitleFragment.h"
#include "platform/layout/ConstraintLayout.h"
#include "platform/settings/UserDefaults.h"

#include "support/FreshDefaults.h"
#include "support/TestEnvironment.h"

#include <QMenu>

#include <gtest/gtest.h>

using namespace kr;

namespace {

UserDefaults& defaults() { return UserDefaults::standard(); }

int widthConstraintsOn(QWidget* fragment, QWidget* wheel) {
  int count = 0;
  for (const LayoutConstraint& c : ConstraintLayout::of(fragment)->constraints()) {
    if (c.firstItem() == wheel && c.firstAttribute() == LayoutAttribute::Width)
      ++count;
  }
  return count;
}

// What the user sees as the wheel menu opens.
void openMenu(LabelFragment* fragment) { fragment->wheelButton()->menuWillOpen(); }

class LabelFragmentTest : public ::testing::Test {
protected:
  void SetUp() override { kr::test::freshStandardDefaults(); }
  void TearDown() override { kr::test::freshStandardDefaults(); }
  FragmentStackView stack;
};

} // namespace

TEST_F(LabelFragmentTest, IdentifiersAndTheWheelButtonsWidth) {
  TitleFragment* title = TitleFragment::titleFragment(QStringLiteral("Define Time Slice"), &stack);
  EXPECT_EQ(title->identifier(), QStringLiteral("Define Time Slice Title Fragment"));
  EXPECT_EQ(title->stackView(), &stack);
  EXPECT_EQ(stack.views(), QList<QWidget*>{title});
  EXPECT_EQ(title->wheelButton()->toolTip(), QStringLiteral("Customize this view"));
  EXPECT_FALSE(title->wheelButton()->icon().isNull());
  LabelFragment* label = LabelFragment::labelFragment(QStringLiteral("Objective:"));
  stack.addFragment(label);
  EXPECT_EQ(label->identifier(), QStringLiteral("Objective: Fragment"));
  EXPECT_EQ(label->label()->text(), QStringLiteral("Objective:"));
  EXPECT_TRUE(label->label()->isHidden());
  EXPECT_TRUE(label->alternativeUIButton()->isHidden());

  // No option: the wheel stays hidden and 14 wide.
  EXPECT_TRUE(label->wheelButton()->isHidden());
  ASSERT_TRUE(label->wheelButtonWidthConstraint());
  EXPECT_EQ(label->wheelButtonWidthConstraint()->constant(), 14.0);
  label->addVisibilityManagedOption(QStringLiteral("Tags"), QStringLiteral("hideTags"));
  label->addCheckedOption(QStringLiteral("Sound"), QStringLiteral("useSound"), std::nullopt);
  EXPECT_FALSE(label->wheelButton()->isHidden());
  EXPECT_EQ(label->wheelButtonWidthConstraint()->constant(), 40.0);
  EXPECT_EQ(widthConstraintsOn(label, label->wheelButton()), 1);
}

TEST_F(LabelFragmentTest, VisibilityItemTitlesFollowTheKey) {
  LabelFragment* label = LabelFragment::labelFragment(QStringLiteral("Objective:"));
  stack.addFragment(label);
  defaults().setValue(QStringLiteral("hideTagEditor"), true);
  SmartMenuItem* item = label->addVisibilityManagedOption(QStringLiteral("Tag Editor"),
                                                          QStringLiteral("hideTagEditor"));
  openMenu(label);
  EXPECT_EQ(item->text(), QStringLiteral("Show Tag Editor"));
  item->trigger(); // the user chooses it
  EXPECT_FALSE(defaults().boolValue(QStringLiteral("hideTagEditor")));
  openMenu(label);
  EXPECT_EQ(item->text(), QStringLiteral("Hide Tag Editor"));
  // A change made elsewhere shows at the next opening.
  defaults().setValue(QStringLiteral("hideTagEditor"), true);
  openMenu(label);
  EXPECT_EQ(item->text(), QStringLiteral("Show Tag Editor"));
}

TEST_F(LabelFragmentTest, CheckedItemsFollowTheKeyAndRegisterOnlyAGivenDefault) {
  LabelFragment* label = LabelFragment::labelFragment(QStringLiteral("Options"));
  stack.addFragment(label);
  label->addCheckedOption(QStringLiteral("None"), QStringLiteral("noDefault"), std::nullopt);
  EXPECT_FALSE(defaults().registeredValue(QStringLiteral("noDefault")).isValid());
  SmartMenuItem* item =
      label->addCheckedOption(QStringLiteral("Speak"), QStringLiteral("speak"), false);
  EXPECT_TRUE(defaults().registeredValue(QStringLiteral("speak")).isValid());
  openMenu(label);
  EXPECT_FALSE(item->isChecked());
  EXPECT_FALSE(item->icon().isNull()); // the faint check mark
  item->trigger();
  EXPECT_TRUE(defaults().boolValue(QStringLiteral("speak")));
  openMenu(label);
  EXPECT_TRUE(item->isChecked());
  EXPECT_TRUE(item->icon().isNull());
  defaults().setValue(QStringLiteral("speak"), false);
  openMenu(label);
  EXPECT_FALSE(item->isChecked());
}

TEST_F(LabelFragmentTest, ALabelHiddenByItsKeyAndItsMenuShowingIt) {
  LabelFragment* label =
      LabelFragment::labelFragment(QStringLiteral("Notes"), QStringLiteral("hideNotes"), true);
  stack.addFragment(label);
  EXPECT_TRUE(stack.isDetached(label));
  TitleFragment* title = TitleFragment::titleFragment(QStringLiteral("Page"), &stack);
  SmartMenuItem* item =
      title->addVisibilityManagedOption(QStringLiteral("Notes"), QStringLiteral("hideNotes"));
  openMenu(title);
  EXPECT_EQ(item->text(), QStringLiteral("Show Notes"));
  item->trigger();
  EXPECT_FALSE(stack.isDetached(label));
  EXPECT_EQ(stack.views(), (QList<QWidget*>{label, title}));
}

TEST_F(LabelFragmentTest, BarsDrawBehindTheTitle) {
  TitleFragment* title = TitleFragment::titleFragment(QStringLiteral("A"), &stack);
  LabelFragment* label = LabelFragment::labelFragment(QStringLiteral("B"));
  stack.addFragment(label);
  stack.resize(240, stack.sizeHint().height());
  stack.show();
  ConstraintLayout::layoutSubtreeIfNeeded(&stack);
  ASSERT_GT(title->height(), 4);
  ASSERT_GT(label->height(), 4);
  // Far from the title text and the wheel, the bar shows its colour.
  const QImage image = title->grab().toImage();
  EXPECT_EQ(image.pixelColor(image.width() / 2, image.height() / 2).rgb(),
            KorvaneStyleKit::n6().rgb());
  const QImage bar = label->grab().toImage();
  const int middle = bar.width() / 2;
  EXPECT_EQ(bar.pixelColor(middle, 1).rgb(),
            KorvaneStyleKit::n2().rgb()); // second row from the top
  // Near the bottom the gradient is n4.
  EXPECT_NEAR(bar.pixelColor(middle, bar.height() - 1).redF(), KorvaneStyleKit::n4().redF(), 0.02);
}
