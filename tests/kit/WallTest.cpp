#include "kit/walls/Wall.h"
#include "kit/EndOfLifeBag.h"
#include "kit/Label.h"
#include "kit/ViewWithInstrinsicSize.h"
#include "kit/walls/BricksFactory.h"
#include "kit/walls/LayoutConstraintMaker.h"
#include "kit/walls/TabWall.h"
#include "kit/walls/WallWithInstrinsicSize.h"
#include "platform/layout/ConstraintLayout.h"

#include "support/TestEnvironment.h"

#include <QCoreApplication>
#include <QImage>
#include <QLoggingCategory>
#include <QPainter>

#include <gtest/gtest.h>

using namespace kr;
using A = LayoutAttribute;

namespace {

QImage render(QWidget& widget) {
  QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::white);
  widget.render(&image);
  return image;
}

} // namespace

TEST(WallLayoutTest, ChainOfBricksInsideAWallThatSizesItself) {
  Wall page;
  Wall* column = page.factory()->wall({}, [](LayoutConstraintMaker& m) {
    m.container().place(A::Left, A::Left).place(A::Top, A::Top);
  });
  auto factory = column->factory();
  const QSizeF sizes[] = {{100, 20}, {140, 30}, {80, 25}};
  QList<QWidget*> bricks;
  for (int i = 0; i < 3; ++i) {
    bricks << factory->viewWithIntrinicSize(sizes[i], [i](LayoutConstraintMaker& m) {
      m.container().place(A::Left, A::Left);
      m.container().place(A::Right, A::Right);
      if (i == 0)
        m.container().place(A::Top, A::Top);
      else
        m.previous().place(A::Top, A::Bottom);
      if (i == 2)
        m.container().place(A::Bottom, A::Bottom);
    });
  }
  page.resize(400, 300);
  ConstraintLayout::layoutSubtreeIfNeeded(&page);
  // 8 + 20 + 8 + 30 + 8 + 25 + 8 high; as wide as the widest brick plus
  // insets, the narrower bricks stretched to the common width.
  EXPECT_EQ(column->geometry(), QRect(8, 8, 156, 107));
  EXPECT_EQ(bricks[0]->geometry(), QRect(8, 8, 140, 20));
  EXPECT_EQ(bricks[1]->geometry(), QRect(8, 36, 140, 30));
  EXPECT_EQ(bricks[2]->geometry(), QRect(8, 74, 140, 25));
  // A taller brick grows the column with it.
  auto* tall = new ViewWithInstrinsicSize(QRectF(0, 0, 10, 10));
  column->factory()->internalAddBrick(tall, [](LayoutConstraintMaker& m) {
    m.container().place(A::Left, A::Left).place(A::Right, A::Right).place(A::Bottom, A::Bottom);
    m.minHeight(200).minWidth(300);
    m.previous().place(A::Top, A::Top);
  });
  ConstraintLayout::layoutSubtreeIfNeeded(&page);
  EXPECT_EQ(column->size(), QSize(316, 74 + 8 + 200 + 8));
  EXPECT_EQ(tall->geometry(), QRect(8, 82, 300, 200));
}

TEST(WallLayoutTest, SplitsProportionallyAndAbsolutely) {
  Wall wall;
  auto [left, right] = wall.split(SplittingSize::proportional, 0.5, SplitDirection::right);
  const auto& constraints = ConstraintLayout::of(&wall)->constraints();
  ASSERT_EQ(constraints.size(), 8);
  EXPECT_EQ(constraints[0].firstItem(), right);
  EXPECT_EQ(constraints[0].firstAttribute(), A::Width);
  EXPECT_EQ(constraints[0].secondItem(), &wall);
  EXPECT_DOUBLE_EQ(constraints[0].multiplier(), 0.5);
  for (const auto& c : constraints.mid(1))
    EXPECT_NE(c.firstAttribute(), A::Width);
  wall.resize(300, 100);
  ConstraintLayout::layoutSubtreeIfNeeded(&wall);
  EXPECT_EQ(left->geometry(), QRect(0, 0, 150, 100));
  EXPECT_EQ(right->geometry(), QRect(150, 0, 150, 100));

  Wall other;
  auto [fixed, rest] = other.split(SplittingSize::absolute, 120, SplitDirection::left);
  other.resize(300, 60);
  ConstraintLayout::layoutSubtreeIfNeeded(&other);
  EXPECT_EQ(fixed->geometry(), QRect(0, 0, 120, 60));
  EXPECT_EQ(rest->geometry(), QRect(120, 0, 180, 60));
}

TEST(WallLayoutTest, CenteredWallIsPinnedTopAndBottomAndSizedByContent) {
  Wall wall;
  Wall* centred = wall.createCenteredWallInside();
  EXPECT_EQ(wall.factory()->currentView(), centred);
  centred->factory()->viewWithIntrinicSize(QSizeF(60, 10), [](LayoutConstraintMaker& m) {
    m.container().pin(A::Left, A::Left, 0).pin(A::Right, A::Right, 0).pin(A::Top, A::Top, 0);
  });
  wall.resize(200, 50);
  ConstraintLayout::layoutSubtreeIfNeeded(&wall);
  EXPECT_EQ(centred->geometry(), QRect(70, 0, 60, 50));
}

TEST(WallLayoutTest, NestedWallInheritsInsetsAndBrickSize) {
  Wall outer;
  outer.factory()->setHorizontalInset(20);
  outer.factory()->setVerticalInset(12);
  outer.factory()->setBrickSize(BrickSize::small);
  Wall* inner = outer.factory()->wall(QSizeF(200, 100), [](LayoutConstraintMaker& m) {
    m.container().place(A::Left, A::Left).place(A::Top, A::Top);
  });
  Label* label = inner->factory()->label(QStringLiteral("Inherited"), [](LayoutConstraintMaker& m) {
    m.container().place(A::Left, A::Left).place(A::Top, A::Top);
  });
  QWidget* box =
      inner->factory()->viewWithIntrinicSize(QSizeF(30, 30), [](LayoutConstraintMaker& m) {
        m.container().place(A::Right, A::Right).place(A::Bottom, A::Bottom);
      });
  outer.resize(400, 300);
  ConstraintLayout::layoutSubtreeIfNeeded(&outer);
  EXPECT_EQ(inner->geometry(), QRect(20, 12, 200, 100));
  EXPECT_EQ(label->pos(), QPoint(20, 12));
  EXPECT_EQ(box->geometry(), QRect(150, 58, 30, 30));
  EXPECT_TRUE(label->testAttribute(Qt::WA_MacSmallSize));
}

TEST(WallLayoutTest, MinimumWidthBeatsSmallerIntrinsicSize) {
  Wall wall;
  Label* label = wall.factory()->label(QStringLiteral("Hi"), [](LayoutConstraintMaker& m) {
    m.container().place(A::Left, A::Left).place(A::Top, A::Top);
    m.minWidth(150);
  });
  ASSERT_LT(label->sizeHint().width(), 150);
  wall.resize(400, 100);
  ConstraintLayout::layoutSubtreeIfNeeded(&wall);
  EXPECT_EQ(label->width(), 150);
  EXPECT_EQ(label->height(), label->sizeHint().height());
}

TEST(WallLayoutTest, WallWithIntrinsicSizeKeepsTheSizeOfItsFrame) {
  // The same content makes a plain wall 200 x 60 (with the insets).
  const auto fill = [](Wall* wall) {
    wall->factory()->viewWithIntrinicSize(QSizeF(184, 44), [](LayoutConstraintMaker& m) {
      m.container().place(A::Left, A::Left).place(A::Top, A::Top);
      m.container().place(A::Right, A::Right).place(A::Bottom, A::Bottom);
    });
  };
  Wall page;
  auto* fixed = new WallWithInstrinsicSize(QRect(30, 20, 120, 40));
  fill(fixed);
  page.factory()->internalAddBrick(fixed, [](LayoutConstraintMaker& m) {
    m.container().place(A::Left, A::Left).place(A::Top, A::Top);
  });
  Wall* plain = page.factory()->wall({}, [](LayoutConstraintMaker& m) {
    m.container().place(A::Right, A::Right).place(A::Top, A::Top);
  });
  fill(plain);
  page.resize(500, 200);
  ConstraintLayout::layoutSubtreeIfNeeded(&page);
  EXPECT_EQ(fixed->geometry(), QRect(8, 8, 120, 40));
  EXPECT_EQ(plain->size(), QSize(200, 60));
}

TEST(WallDrawingTest, FirstBackgroundThatIsSetWinsAndFunctionGetsDirtyRect) {
  Wall wall;
  wall.resize(40, 20);
  wall.setBackgroundColor(QColor(Qt::blue));
  QList<QRectF> dirty;
  wall.setBackgroundDrawingFunc([&](const QRectF& rect) {
    dirty << rect;
    GraphicsContext::current()->fillRect(QRectF(0, 0, 40, 20), Qt::green);
  });
  DrawingStack stack;
  stack.operations << DrawingOperation{[](const QRectF& frame, const auto&, const auto&) {
                                         GraphicsContext::current()->fillRect(frame, Qt::red);
                                       },
                                       &DrawingOperation::Defaults::frameAdjuster,
                                       {},
                                       {}};
  wall.setDrawingStack(stack);
  EXPECT_EQ(render(wall).pixelColor(5, 5), QColor(Qt::red));
  EXPECT_TRUE(dirty.isEmpty());
  wall.setDrawingStack(std::nullopt);
  EXPECT_EQ(render(wall).pixelColor(5, 5), QColor(Qt::green));
  ASSERT_EQ(dirty.size(), 1);
  EXPECT_EQ(dirty[0], QRectF(0, 0, 40, 20));
  // A part of the wall: the dirty rectangle, in y-up coordinates.
  QImage part(40, 20, QImage::Format_ARGB32_Premultiplied);
  wall.render(&part, QPoint(), QRegion(0, 0, 10, 5));
  EXPECT_EQ(dirty.last(), QRectF(0, 15, 10, 5));
  wall.setBackgroundDrawingFunc({});
  EXPECT_EQ(render(wall).pixelColor(5, 5), QColor(Qt::blue));
}

TEST(WallDrawingTest, BorderBandsFollowTheFlags) {
  const QRectF bounds(0, 0, 100, 50);
  const auto all = Wall::borderBands(bounds, true, true, true, true);
  ASSERT_EQ(all.size(), 4);
  EXPECT_EQ(all[0], QRectF(99, 1, 1, 48));
  EXPECT_EQ(all[1], QRectF(0, 1, 1, 48));
  EXPECT_EQ(all[2], QRectF(0, 49, 100, 1));
  EXPECT_EQ(all[3], QRectF(0, 0, 100, 1));
  const auto right = Wall::borderBands(bounds, false, false, false, true);
  ASSERT_EQ(right.size(), 1);
  EXPECT_EQ(right[0], QRectF(99, 0, 1, 50));

  Wall wall;
  wall.resize(100, 50);
  wall.setBorderColor(Qt::black);
  wall.setDrawTopBorder(true);
  wall.setDrawRightBorder(true);
  const QImage image = render(wall);
  EXPECT_EQ(image.pixelColor(50, 0), QColor(Qt::black));  // top band is the widget's first row
  EXPECT_EQ(image.pixelColor(99, 25), QColor(Qt::black)); // right band
  EXPECT_NE(image.pixelColor(50, 49), QColor(Qt::black)); // no bottom band
  EXPECT_NE(image.pixelColor(0, 25), QColor(Qt::black));  // no left band
  EXPECT_NE(image.pixelColor(98, 25), QColor(Qt::black)); // one point wide
}

TEST(EndOfLifeBagTest, RunsClosuresInOrderWhenItsWallGoesAway) {
  QStringList runs;
  {
    // The line is a debug line, off unless its category is switched on.
    test::ConsoleCapture console;
    { EndOfLifeBag quiet; }
    EXPECT_FALSE(console.contains(QStringLiteral("disposing of end of life bag")));
    QLoggingCategory::setFilterRules(QStringLiteral("kr.kit.debug=true"));
    { EndOfLifeBag empty; }
    QLoggingCategory::setFilterRules(QString());
    EXPECT_TRUE(console.contains(QStringLiteral("\"disposing of end of life bag\"")));
  }
  auto* wall = new Wall();
  wall->endOfLifeBag()->add([&] { runs << QStringLiteral("A"); });
  wall->endOfLifeBag()->add([&] { runs << QStringLiteral("B"); });
  EXPECT_TRUE(runs.isEmpty());
  delete wall;
  EXPECT_EQ(runs, (QStringList{QStringLiteral("A"), QStringLiteral("B")}));
}

TEST(TabWallTest, PagesHaveIdentifiersAndOnlyKnownWallsSwitch) {
  TabWall tabs;
  Wall* first = tabs.createNewWall();
  Wall* second = tabs.createNewWall();
  ASSERT_EQ(tabs.tabViewItems().size(), 2);
  EXPECT_EQ(tabs.tabViewItems()[0]->identifier().toInt(), 0);
  EXPECT_EQ(tabs.tabViewItems()[1]->identifier().toInt(), 1);
  EXPECT_TRUE(tabs.isCurrentWall(first));
  tabs.switchToWall(second);
  EXPECT_TRUE(tabs.isCurrentWall(second));
  EXPECT_FALSE(tabs.isCurrentWall(first));
  Wall stranger;
  tabs.switchToWall(&stranger);
  EXPECT_FALSE(tabs.isCurrentWall(&stranger));
  EXPECT_TRUE(tabs.isCurrentWall(second));
  tabs.resize(120, 80);
  tabs.show();
  ConstraintLayout::layoutSubtreeIfNeeded(&tabs);
  EXPECT_EQ(second->size(), QSize(120, 80));
}

TEST(WallLayoutTest, WindowShowsAtItsFittingSizeAndFollowsContentChanges) {
  Wall fitted;
  fitted.factory()->viewWithIntrinicSize(QSizeF(50, 20), [](LayoutConstraintMaker& m) {
    m.container().place(A::Left, A::Left).place(A::Top, A::Top);
    m.container().place(A::Right, A::Right).place(A::Bottom, A::Bottom);
  });
  fitted.show();
  QCoreApplication::processEvents();
  EXPECT_EQ(fitted.size(), QSize(66, 36));

  Wall window;
  window.resize(200, 200);
  Wall* inner = window.factory()->wall({}, [](LayoutConstraintMaker& m) {
    m.container().place(A::Left, A::Left).place(A::Top, A::Top);
  });
  inner->factory()->viewWithIntrinicSize(QSizeF(50, 20), [](LayoutConstraintMaker& m) {
    m.container().pin(A::Left, A::Left, 0).pin(A::Top, A::Top, 0);
    m.container().pin(A::Right, A::Right, 0).pin(A::Bottom, A::Bottom, 0).lowPriority();
  });
  window.show();
  QCoreApplication::processEvents();
  EXPECT_EQ(inner->geometry(), QRect(8, 8, 50, 20));
  // New content below the first brick: the inner wall grows at the next pass.
  QWidget* second =
      inner->factory()->viewWithIntrinicSize(QSizeF(30, 30), [](LayoutConstraintMaker& m) {
        m.container().pin(A::Left, A::Left, 0).pin(A::Bottom, A::Bottom, 0);
        m.previous().pin(A::Top, A::Bottom, 0);
      });
  QCoreApplication::processEvents();
  EXPECT_EQ(inner->geometry(), QRect(8, 8, 50, 50));
  EXPECT_EQ(second->geometry(), QRect(0, 20, 30, 30));
}
