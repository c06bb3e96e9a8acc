// Builds a page from the kit alone, the way the state pages are built, and
// saves a picture of it beside the test for people to look at.
#include "art/KorvaneStyleKit.h"
#include "engine/TagManager.h"
#include "kit/IntegerTextField.h"
#include "kit/SmartMenuItem.h"
#include "kit/SmartTextField.h"
#include "kit/bricks/CheckBoxBrick.h"
#include "kit/bricks/PopUpButtonBrick.h"
#include "kit/bricks/PullDownButtonBrick.h"
#include "kit/bricks/PushButtonBrick.h"
#include "kit/bricks/SegmentedControlBrick.h"
#include "kit/bricks/SliderBrick.h"
#include "kit/bricks/TagTokenField.h"
#include "kit/walls/BricksFactory.h"
#include "kit/walls/FragmentStackView.h"
#include "kit/walls/HideableFragmentWall.h"
#include "kit/walls/LabelFragment.h"
#include "kit/walls/LayoutConstraintMaker.h"
#include "kit/walls/TagTokenFieldHelper.h"
#include "kit/walls/TitleFragment.h"
#include "platform/layout/ConstraintLayout.h"
#include "platform/settings/UserDefaults.h"

#include "support/FreshDefaults.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QImage>

#include <gtest/gtest.h>

using namespace kr;

namespace {

using A = LayoutAttribute;

// Each brick under the one before, inset from the section's sides.
void below(LayoutConstraintMaker& make, bool first) {
  make.container().place(A::Left, A::Left).place(A::Right, A::Right);
  if (first)
    make.container().place(A::Top, A::Top);
  else
    make.previous().place(A::Top, A::Bottom);
}

Wall* controlsSection() {
  auto* wall = new Wall();
  BricksFactory& f = *wall->factory();
  f.pushButton(
      QStringLiteral("Start Time Slice"), [] {}, [](LayoutConstraintMaker& m) { below(m, true); });
  f.smartCheckBoxButton(
       QStringLiteral("Completed"), [](bool) {}, [](LayoutConstraintMaker& m) { below(m, false); })
      ->setChecked(true);
  SliderBrick* slider =
      f.slider([](float v) { return v; }, [](LayoutConstraintMaker& m) { below(m, false); });
  slider->setRange(1, 60);
  slider->setValue(25);
  PopUpButtonBrick* popUp = f.popupButton([](LayoutConstraintMaker& m) { below(m, false); });
  for (const char* rating : {"Good Focus", "Some Focus", "Poor Focus"})
    popUp->addAction(new SmartMenuItem(QString::fromLatin1(rating), [] {}));
  f.pullDownButtonBrick(QStringLiteral("Recent Objectives"), [](LayoutConstraintMaker& m) {
     below(m, false);
   })->addItem(QStringLiteral("Write the report"));
  SegmentedControlBrick* segments = f.segmentedControl(
      {QStringLiteral("Day"), QStringLiteral("Week"), QStringLiteral("Month")}, [](int) {},
      [](LayoutConstraintMaker& m) {
        below(m, false);
        m.container().place(A::Bottom, A::Bottom);
      });
  segments->setSelectedSegment(1);
  return wall;
}

Wall* fieldsSection() {
  auto* wall = new Wall();
  BricksFactory& f = *wall->factory();
  f.textField(QStringLiteral("Objective text"), [](LayoutConstraintMaker& m) { below(m, true); });
  f.integerTextField(25, 1, 60, [](LayoutConstraintMaker& m) {
    below(m, false);
    m.container().place(A::Bottom, A::Bottom);
  });
  return wall;
}

} // namespace

TEST(DemonstrationPageTest, BuildsAPageFromTheKitAndSavesAPicture) {
  kr::test::freshStandardDefaults();
  UserDefaults& defaults = UserDefaults::standard();
  defaults.setValue(QStringLiteral("tags"), QStringLiteral("writing,review"));
  TagManager::sharedInstance().addTagsFromString(QStringLiteral("writing,review,mail"));

  FragmentStackView page;
  page.backgroundColor = KorvaneStyleKit::n4();
  page.setEdgeInsets(QMargins(0, 0, 0, 8));
  TitleFragment* title = TitleFragment::titleFragment(QStringLiteral("Define Time Slice"), &page);
  title->addVisibilityManagedOption(QStringLiteral("Controls"), QStringLiteral("demoHideControls"));
  title->addVisibilityManagedOption(QStringLiteral("Fields"), QStringLiteral("demoHideFields"));

  LabelFragment* controlsLabel = LabelFragment::labelFragment(
      QStringLiteral("Controls:"), QStringLiteral("demoHideControls"), false);
  controlsLabel->isFirstLabel = true;
  page.addFragment(controlsLabel);
  HideableFragmentWall* controls = HideableFragmentWall::embedViewInHideableFragment(
      controlsSection(), QStringLiteral("demoHideControls"), false, true);
  page.addFragment(controls);

  LabelFragment* fieldsLabel = LabelFragment::labelFragment(
      QStringLiteral("Fields:"), {QStringLiteral("demoHideFields"), QStringLiteral("demoShowAll")},
      {false, true}, &HideableFragmentWall::OrNot);
  fieldsLabel->addCheckedOption(QStringLiteral("Speak"), QStringLiteral("demoSpeak"), true);
  page.addFragment(fieldsLabel);
  HideableFragmentWall* fields = HideableFragmentWall::embedViewInHideableFragment(
      fieldsSection(), {QStringLiteral("demoHideFields"), QStringLiteral("demoShowAll")},
      {false, true}, &HideableFragmentWall::OrNot);
  page.addFragment(fields);

  auto* tagRow = new HideableFragmentWall(QStringLiteral("demoHideFields"), false);
  TagTokenField* tagField = TagTokenFieldHelper::installTagTokenFieldInsideFragment(
      tagRow, QStringLiteral("tags"),
      [](TagTokenField* field) {
        field->setTokens(UserDefaults::standard().string(QStringLiteral("tags")).split(u','));
      },
      {}, false);
  ConstraintLayout::of(tagRow)->addConstraint(LayoutConstraint(
      tagRow, A::Height, LayoutRelation::GreaterThanOrEqual, nullptr, A::NotAnAttribute, 1, 30));
  page.addFragment(tagRow);

  page.resize(360, page.sizeHint().height());
  page.show();
  ConstraintLayout::layoutSubtreeIfNeeded(&page);
  EXPECT_EQ(page.views().size(), 6);
  EXPECT_EQ(tagField->tokens(), (QStringList{QStringLiteral("writing"), QStringLiteral("review")}));
  const QImage full = page.grab().toImage();
  ASSERT_FALSE(full.isNull());
  const QString path = QDir(QStringLiteral(QT_TESTCASE_BUILDDIR))
                           .filePath(QStringLiteral("kit-demonstration-page.png"));
  EXPECT_TRUE(full.save(path));

  // Hiding the controls from elsewhere takes their label and section away.
  const int fullHeight = page.sizeHint().height();
  defaults.setValue(QStringLiteral("demoHideControls"), true);
  EXPECT_EQ(page.views().size(), 4);
  EXPECT_LT(page.sizeHint().height(), fullHeight);
  defaults.setValue(QStringLiteral("demoShowAll"), false); // OrNot: the second key false hides
  EXPECT_EQ(page.views(), (QList<QWidget*>{title, tagRow}));
  page.resize(360, page.sizeHint().height());
  EXPECT_LT(page.height(), fullHeight / 2);
  EXPECT_TRUE(page.grab().toImage().save(
      QDir(QStringLiteral(QT_TESTCASE_BUILDDIR))
          .filePath(QStringLiteral("kit-demonstration-page-hidden.png"))));
}
