#include "kit/walls/BricksFactory.h"
#include "kit/ControlSize.h"
#include "kit/Label.h"
#include "kit/ViewWithInstrinsicSize.h"
#include "kit/VisualEffectView.h"
#include "kit/walls/LayoutConstraintMaker.h"
#include "kit/walls/Wall.h"
#include "kit/walls/WallWithSpecialEffectsView.h"
#include "platform/layout/ConstraintLayout.h"

#include "support/TestEnvironment.h"

#include <QPushButton>

#include <gtest/gtest.h>

using namespace kr;
using A = LayoutAttribute;
using R = LayoutRelation;

namespace {

void expectConstraint(const LayoutConstraint& c, QWidget* first, A a, R relation, QWidget* second,
                      A b, double multiplier, double constant) {
  EXPECT_EQ(c.firstItem(), first);
  EXPECT_EQ(c.firstAttribute(), a);
  EXPECT_EQ(c.relation(), relation);
  EXPECT_EQ(c.secondItem(), second);
  EXPECT_EQ(c.secondAttribute(), b);
  EXPECT_DOUBLE_EQ(c.multiplier(), multiplier);
  EXPECT_DOUBLE_EQ(c.constant(), constant);
  EXPECT_TRUE(c.isRequired());
}

// Constraints made for a view inside `wall`, with `wall`'s factory current.
LayoutConstraints make(Wall& wall, QWidget* subject,
                       const std::function<void(LayoutConstraintMaker&)>& build) {
  wall.factory()->makeCurrent();
  LayoutConstraintMaker maker(subject);
  build(maker);
  return maker.constraints();
}

} // namespace

TEST(LayoutConstraintMakerTest, ListsAreExactlyTheOnesAskedFor) {
  Wall wall;
  auto* view = new QWidget(&wall);

  const auto fill = make(wall, view, [](auto& m) { m.fillContainer(); });
  ASSERT_EQ(fill.size(), 4);
  const A order[] = {A::Top, A::Bottom, A::Left, A::Right};
  for (int i = 0; i < 4; ++i)
    expectConstraint(fill[i], view, order[i], R::Equal, &wall, order[i], 1.0, 0.0);

  const auto bottom = make(wall, view, [](auto& m) { m.container().place(A::Bottom, A::Bottom); });
  ASSERT_EQ(bottom.size(), 1);
  expectConstraint(bottom[0], view, A::Bottom, R::Equal, &wall, A::Bottom, 1.0, -8.0);

  wall.factory()->setHorizontalInset(30);
  wall.factory()->setVerticalInset(40);
  const auto centre =
      make(wall, view, [](auto& m) { m.container().place(A::CenterX, A::CenterX); });
  expectConstraint(centre[0], view, A::CenterX, R::Equal, &wall, A::CenterX, 1.0, 0.0);
  const auto leading =
      make(wall, view, [](auto& m) { m.container().place(A::Leading, A::Trailing); });
  expectConstraint(leading[0], view, A::Leading, R::Equal, &wall, A::Trailing, 1.0, 30.0);

  const auto half = make(wall, view, [](auto& m) { m.container().width(0.5); });
  expectConstraint(half[0], view, A::Width, R::Equal, &wall, A::Width, 0.5, 0.0);

  const auto sizes =
      make(wall, view, [](auto& m) { m.width(10).height(20).minWidth(30).minHeight(40); });
  ASSERT_EQ(sizes.size(), 4);
  expectConstraint(sizes[0], view, A::Width, R::Equal, nullptr, A::NotAnAttribute, 1.0, 10);
  expectConstraint(sizes[1], view, A::Height, R::Equal, nullptr, A::NotAnAttribute, 1.0, 20);
  expectConstraint(sizes[2], view, A::Width, R::GreaterThanOrEqual, nullptr, A::NotAnAttribute, 1.0,
                   30);
  expectConstraint(sizes[3], view, A::Height, R::GreaterThanOrEqual, nullptr, A::NotAnAttribute,
                   1.0, 40);

  const auto centred = make(wall, view, [](auto& m) { m.pin(); });
  ASSERT_EQ(centred.size(), 2);
  expectConstraint(centred[0], view, A::CenterX, R::Equal, &wall, A::CenterX, 1.0, 0.0);
  expectConstraint(centred[1], view, A::CenterY, R::Equal, &wall, A::CenterY, 1.0, 0.0);

  const auto low = make(wall, view, [](auto& m) { m.width(5).lowPriority(); });
  EXPECT_EQ(low[0].priority(), LayoutPriority::defaultLow);
}

TEST(LayoutConstraintMakerTest, OwnHorizontalInsetWithInheritedVerticalOne) {
  Wall outer;
  Wall* inner = outer.factory()->wall();
  inner->factory()->setHorizontalInset(20);
  auto* view = new QWidget(inner);
  const auto left = make(*inner, view, [](auto& m) { m.container().place(A::Left, A::Left); });
  const auto top = make(*inner, view, [](auto& m) { m.container().place(A::Top, A::Top); });
  const auto right = make(*inner, view, [](auto& m) { m.container().place(A::Right, A::Right); });
  EXPECT_DOUBLE_EQ(left[0].constant(), 20.0);
  EXPECT_DOUBLE_EQ(top[0].constant(), 8.0);
  EXPECT_DOUBLE_EQ(right[0].constant(), -20.0);
}

TEST(BricksFactoryTest, PreviousChainsBricksAndStopsWhenThereIsNone) {
  Wall wall;
  auto factory = wall.factory();
  QWidget* a = factory->viewWithIntrinicSize(QSizeF(10, 10));
  QWidget* b = factory->viewWithIntrinicSize(QSizeF(10, 10));
  QWidget* seenPrevious = nullptr;
  QWidget* c = factory->viewWithIntrinicSize(QSizeF(10, 10), [&](LayoutConstraintMaker& m) {
    seenPrevious = m.previous().relation();
    m.previous().place(A::Top, A::Bottom);
  });
  EXPECT_EQ(seenPrevious, b);
  EXPECT_EQ(factory->currentView(), c);
  EXPECT_EQ(factory->previous(), b);
  EXPECT_NE(a, b);
  const auto& installed = ConstraintLayout::of(&wall)->constraints();
  ASSERT_EQ(installed.size(), 1);
  expectConstraint(installed[0], c, A::Top, R::Equal, b, A::Bottom, 1.0, 8.0);

  EXPECT_DEATH(
      {
        Wall fresh;
        fresh.factory()->viewWithIntrinicSize(
            QSizeF(1, 1), [](LayoutConstraintMaker& m) { m.previous().place(A::Top, A::Bottom); });
      },
      "previous called but does not exist");
}

TEST(BricksFactoryTest, FactoryWithoutTargetLeavesBrickUnattached) {
  auto factory = BricksFactory::create();
  bool ran = false;
  std::unique_ptr<Label> label(
      factory->label(QStringLiteral("x"), [&](LayoutConstraintMaker&) { ran = true; }));
  EXPECT_FALSE(ran);
  EXPECT_EQ(label->parentWidget(), nullptr);
  EXPECT_EQ(factory->currentView(), label.get());
  EXPECT_EQ(BricksFactory::current(), factory);
}

TEST(BricksFactoryTest, UnplacedWallReadsTheRootSettings) {
  Wall wall;
  EXPECT_EQ(wall.factory()->inheritedHorizontalInset(), 8.0);
  EXPECT_EQ(wall.factory()->inheritedVerticalInset(), 8.0);
  EXPECT_EQ(wall.factory()->inheritedBrickSize(), BrickSize::standard);
  EXPECT_EQ(wall.factory()->brickSize(), BrickSize::inherited);
  // A new wall makes its own factory current.
  EXPECT_EQ(BricksFactory::current(), wall.factory());
}

TEST(BricksFactoryTest, BrickSizesAreInheritedThroughNestedWalls) {
  Wall outer;
  outer.factory()->setBrickSize(BrickSize::small);
  Wall* middle = outer.factory()->wall();
  Wall* inner = middle->factory()->wall();
  Label* label = inner->factory()->label(QStringLiteral("small label"));
  EXPECT_EQ(controlSize(label), ControlSize::small);

  outer.factory()->setBrickSize(BrickSize::mini);
  Label* kitBrick = inner->factory()->label(QStringLiteral("stays"));
  auto* plain = new QPushButton(QStringLiteral("plain"));
  inner->factory()->internalAddBrick(plain, {});
  EXPECT_EQ(controlSize(kitBrick), ControlSize::regular);
  EXPECT_EQ(controlSize(plain), ControlSize::mini);
}

TEST(BricksFactoryTest, FactoryForFindsTheEnclosingWall) {
  WallWithSpecialEffectsView wall;
  auto* button = new QPushButton(QStringLiteral("b"));
  wall.factory()->internalAddBrick(button, {});
  EXPECT_EQ(button->parentWidget(), wall.effectView());
  EXPECT_EQ(BricksFactory::factoryFor(button), wall.factory());
  QWidget loose;
  auto* inLoose = new QWidget(&loose);
  EXPECT_EQ(BricksFactory::factoryFor(inLoose), BricksFactory::topLevel());
}
