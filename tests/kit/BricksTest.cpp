#include "kit/IntegerTextField.h"
#include "kit/SmartMenuItem.h"
#include "kit/SmartTextField.h"
#include "kit/bricks/BrickPainting.h"
#include "kit/bricks/CheckBoxBrick.h"
#include "kit/bricks/PopUpButtonBrick.h"
#include "kit/bricks/PullDownButtonBrick.h"
#include "kit/bricks/PushButtonBrick.h"
#include "kit/bricks/SegmentedControlBrick.h"
#include "kit/bricks/SliderBrick.h"
#include "kit/skins/ControlSkin.h"
#include "kit/skins/StandardImages.h"
#include "kit/walls/BricksFactory.h"
#include "kit/walls/Wall.h"
#include "platform/QnLog.h"

#include "support/TestEnvironment.h"

#include <QApplication>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <cmath>

using namespace kr;

namespace {

// A skin that hands every kind of brick a one-operation stack.
class StackSkin : public ControlSkin {
public:
  static DrawingStack stack() {
    DrawingStack s;
    s.operations.append(
        DrawingOperation{[](const QRectF&, const QList<DrawingAsset>&, const DrawingPalette&) {},
                         &DrawingOperation::Defaults::frameAdjuster,
                         {},
                         {}});
    return s;
  }
  std::optional<DrawingStack> normalPushButtonDrawingStack(QAbstractButton*) const override {
    return stack();
  }
  std::optional<DrawingStack> pullDownButtonDrawingStack(QAbstractButton*) const override {
    return stack();
  }
  std::optional<DrawingStack> popUpButtonDrawingStack(QAbstractButton*) const override {
    return stack();
  }
  std::optional<DrawingStack> checkBoxOnDrawingStack(QAbstractButton*) const override {
    return stack();
  }
};

// Opens a menu button's menu the way a click does and closes it again at once.
void clickAndDismiss(QPushButton* button) {
  QTimer::singleShot(0, [] {
    if (QWidget* popup = QApplication::activePopupWidget())
      popup->close();
  });
  QTest::mouseClick(button, Qt::LeftButton);
}

} // namespace

TEST(BricksTest, ButtonsReportOncePerClick) {
  Wall wall;
  int presses = 0;
  QList<bool> states;
  PushButtonBrick* push = wall.factory()->pushButton(QStringLiteral("Start"), [&] { ++presses; });
  CheckBoxBrick* box = wall.factory()->smartCheckBoxButton(QStringLiteral("Completed"),
                                                           [&](bool on) { states.append(on); });
  CheckBoxBrick* silent = wall.factory()->smartCheckBoxButton(QStringLiteral("Silent"));
  wall.resize(300, 200);
  wall.show();
  QTest::mouseClick(push, Qt::LeftButton);
  QTest::mouseClick(push, Qt::LeftButton);
  EXPECT_EQ(presses, 2);
  QTest::mouseClick(box, Qt::LeftButton);
  QTest::mouseClick(box, Qt::LeftButton);
  EXPECT_EQ(states, (QList<bool>{true, false}));
  // A state set from outside (a binding) is no user action.
  box->setChecked(true);
  EXPECT_EQ(states.size(), 2);
  // Without an action the box still changes its state.
  QTest::mouseClick(silent, Qt::LeftButton);
  EXPECT_TRUE(silent->isChecked());
  EXPECT_EQ(push->text(), QStringLiteral("Start"));
}

TEST(BricksTest, SliderKeepsTheValueItsFunctionReturns) {
  QList<float> seen;
  SliderBrick slider([&](float value) {
    seen.append(value);
    return float(std::round(value / 5.0f) * 5.0f); // snaps to steps of 5
  });
  EXPECT_EQ(slider.minimum(), 0);
  EXPECT_EQ(slider.maximum(), 1);
  slider.setRange(0, 60);
  slider.setValue(20);
  slider.show();
  QnLog::setOn(true);
  test::ConsoleCapture console;
  QTest::keyClick(&slider, Qt::Key_Right);  // 21 snaps back to 20
  QTest::keyClick(&slider, Qt::Key_PageUp); // 30 stays
  QTest::keyClick(&slider, Qt::Key_Right);  // 31 -> 30
  QnLog::setOn(false);
  EXPECT_EQ(seen, (QList<float>{21.0f, 30.0f, 31.0f}));
  EXPECT_EQ(slider.value(), 30);
  EXPECT_TRUE(console.contains(QStringLiteral("\"floatValue: 30\"")));
  slider.setValue(10); // not a user action
  EXPECT_EQ(seen.size(), 3);

  // A function that returns its argument keeps the user's value.
  SliderBrick free([](float value) { return value; });
  free.setRange(0, 60);
  free.setValue(7);
  free.show();
  QTest::keyClick(&free, Qt::Key_Right);
  EXPECT_EQ(free.value(), 8);
}

TEST(BricksTest, SliderWithoutFunctionStopsAtTheFirstChange) {
  EXPECT_DEATH(
      {
        SliderBrick slider;
        slider.setRange(0, 10);
        slider.triggerAction(QAbstractSlider::SliderSingleStepAdd);
      },
      "Fatal error");
}

TEST(BricksTest, OpeningAMenuRunsThePressFunctionThenTheUpdates) {
  Wall wall;
  PopUpButtonBrick* popUp = wall.factory()->popupButton();
  int presses = 0;
  int updates = 0;
  QStringList order;
  popUp->buttonPressFunction = [&] {
    ++presses;
    order.append(QStringLiteral("press"));
  };
  QAction* plain = popUp->addItem(QStringLiteral("Plain"));
  auto* updated = new SmartMenuItem(
      QStringLiteral("Updated"), [] {},
      [&](SmartMenuItem* item) {
        ++updates;
        order.append(QStringLiteral("update"));
        item->setText(QStringLiteral("Updated %1").arg(updates));
      });
  auto* without = new SmartMenuItem(QStringLiteral("Without"), [] {});
  popUp->addAction(updated);
  popUp->addAction(without);
  wall.resize(200, 100);
  wall.show();
  clickAndDismiss(popUp);
  EXPECT_EQ(presses, 1);
  EXPECT_EQ(updates, 1);
  EXPECT_EQ(order, (QStringList{QStringLiteral("press"), QStringLiteral("update")}));
  EXPECT_EQ(updated->text(), QStringLiteral("Updated 1"));
  EXPECT_EQ(plain->text(), QStringLiteral("Plain"));
  EXPECT_EQ(without->text(), QStringLiteral("Without"));
  EXPECT_TRUE(updated->isEnabled());

  // An item whose validation answers false is shown disabled at the next opening.
  updated->traditionalValidateFunc = [](SmartMenuItem*) { return false; };
  clickAndDismiss(popUp);
  EXPECT_FALSE(updated->isEnabled());
  EXPECT_TRUE(without->isEnabled());
  EXPECT_EQ(presses, 2);

  // Choosing an item runs its closure once and selects it.
  int chosen = 0;
  without->actionFunc = [&] { ++chosen; };
  without->trigger();
  EXPECT_EQ(chosen, 1);
  EXPECT_EQ(popUp->indexOfSelectedItem(), 2);
  EXPECT_EQ(popUp->text(), QStringLiteral("Without"));
}

TEST(BricksTest, PullDownsShowTheirFaceAndListTheRest) {
  PullDownButtonBrick titled(QStringLiteral("Actions"));
  titled.addItem(QStringLiteral("First"));
  EXPECT_EQ(titled.text(), QStringLiteral("Actions"));
  PullDownButtonBrick imaged(StandardImages::addTemplate());
  EXPECT_TRUE(imaged.text().isEmpty());
  EXPECT_FALSE(imaged.icon().isNull());
  ASSERT_EQ(imaged.numberOfItems(), 1);
  EXPECT_FALSE(imaged.itemAt(0)->icon().isNull());
  imaged.addItem(QStringLiteral("Choice"));
  imaged.menuWillOpen();
  EXPECT_FALSE(imaged.itemAt(0)->isVisible()); // the face is never a choice
  EXPECT_TRUE(imaged.itemAt(1)->isVisible());
}

TEST(BricksTest, SegmentsAndTextFieldsReportUserActionsOnly) {
  Wall wall;
  QList<int> selections;
  SegmentedControlBrick* segments = wall.factory()->segmentedControl(
      {QStringLiteral("Day"), QStringLiteral("Week"), QStringLiteral("Month")},
      [&](int index) { selections.append(index); });
  QStringList texts;
  SmartTextField* field = wall.factory()->textField(QStringLiteral("ab"));
  field->textChangedAction = [&](const QString& text) { texts.append(text); };
  wall.resize(300, 200);
  wall.show();
  ASSERT_EQ(segments->segmentCount(), 3);
  EXPECT_EQ(segments->label(1), QStringLiteral("Week"));
  QTest::mouseClick(segments->segment(2), Qt::LeftButton);
  QTest::mouseClick(segments->segment(0), Qt::LeftButton);
  segments->setSelectedSegment(1);
  EXPECT_EQ(selections, (QList<int>{2, 0}));
  EXPECT_EQ(segments->selectedSegment(), 1);

  field->setFocus();
  field->end(false);
  QTest::keyClick(field, Qt::Key_C);
  QTest::keyClick(field, Qt::Key_Return);
  field->setText(QStringLiteral("set")); // no user edit
  EXPECT_EQ(texts, (QStringList{QStringLiteral("abc"), QStringLiteral("abc")}));
}

TEST(BricksTest, IntegerFieldRefusesWhatIsNotAWholeNumberInRange) {
  Wall wall;
  IntegerTextField* field = wall.factory()->integerTextField(5, 1, 60);
  wall.resize(200, 100);
  wall.show();
  field->setFocus();
  field->selectAll();
  QTest::keyClicks(field, QStringLiteral("6x1.5"));
  EXPECT_EQ(field->text(), QStringLiteral("6")); // "x", "1" (61) and "." refused
  QTest::keyClick(field, Qt::Key_Backspace);
  QTest::keyClick(field, Qt::Key_Minus);
  EXPECT_EQ(field->text(), QString()); // a lone sign is refused, an empty text allowed
  QTest::keyClicks(field, QStringLiteral("61"));
  EXPECT_EQ(field->text(), QStringLiteral("6"));
}

TEST(BricksTest, SmallSizesAndSkins) {
  PushButtonBrick push;
  SliderBrick slider([](float v) { return v; });
  const QFont sliderFont = slider.font();
  const double pushSize = push.font().pointSizeF();
  push.small();
  slider.small();
  EXPECT_LT(push.font().pointSizeF(), pushSize);
  EXPECT_EQ(slider.font(), sliderFont);

  const StackSkin skin;
  push.apply(skin);
  EXPECT_TRUE(push.normalDrawingStack.has_value());
  // The base skin's pressed look is its normal look.
  EXPECT_TRUE(push.highlightedDrawingStack.has_value());
  PopUpButtonBrick popUp;
  popUp.normalDrawingStack = StackSkin::stack();
  popUp.apply(skin);
  EXPECT_FALSE(popUp.normalDrawingStack.has_value());
  EXPECT_FALSE(popUp.highlightedDrawingStack.has_value());
  PullDownButtonBrick pullDown(QStringLiteral("Menu"));
  pullDown.apply(skin);
  EXPECT_TRUE(pullDown.normalDrawingStack.has_value());
  CheckBoxBrick box(QStringLiteral("Box"), {});
  box.apply(skin);
  EXPECT_TRUE(box.onStateDrawingStack.has_value());
  EXPECT_FALSE(box.offStateDrawingStack.has_value());
}

TEST(BricksTest, FacesDrawWithTheFunctionOverTheStackAndGetTheirAssets) {
  PushButtonBrick push;
  push.setText(QStringLiteral("Go"));
  push.resize(80, 30);
  QStringList drawn;
  int stackRuns = 0;
  DrawingStack stack;
  stack.operations.append(DrawingOperation{
      [&](const QRectF&, const QList<DrawingAsset>&, const DrawingPalette&) { ++stackRuns; },
      &DrawingOperation::Defaults::frameAdjuster,
      {},
      {}});
  push.normalDrawingStack = stack;
  push.normalDrawFunc = ButtonDrawingFuncType::text([&](const QRectF& frame, const QString& title) {
    drawn.append(title);
    EXPECT_EQ(frame, QRectF(0, 0, 80, 30));
  });
  push.grab();
  EXPECT_EQ(drawn, QStringList{QStringLiteral("Go")});
  EXPECT_EQ(stackRuns, 0);
  push.normalDrawFunc.reset();
  push.grab();
  EXPECT_EQ(stackRuns, 1);

  // Without an image the assets are the title alone; with one, image then title.
  EXPECT_EQ(buttonAssets(&push).size(), 1);
  push.setIcon(StandardImages::addTemplate());
  const QList<DrawingAsset> assets = buttonAssets(&push);
  ASSERT_EQ(assets.size(), 2);
  EXPECT_EQ(assets[0].kind(), DrawingAsset::Kind::image);
  EXPECT_EQ(assets[1].kind(), DrawingAsset::Kind::text);

  // A check box hands over nothing: a plain function draws it.
  CheckBoxBrick box(QStringLiteral("Box"), {});
  box.resize(60, 20);
  int plainRuns = 0;
  box.offStateDrawFunc = ButtonDrawingFuncType::plain([&](const QRectF&) { ++plainRuns; });
  box.grab();
  EXPECT_EQ(plainRuns, 1);
  box.setChecked(true);
  box.grab(); // on: no function and no stack, the platform draws
  EXPECT_EQ(plainRuns, 1);
}
