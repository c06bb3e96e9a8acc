#include "kit/Label.h"
#include "kit/skins/BricksDrawing.h"
#include "kit/skins/BricksDrawingHelper.h"
#include "kit/skins/DarkControlSkin.h"
#include "kit/skins/GenericControlSkin.h"
#include "kit/skins/KorvaneControlSkin.h"
#include "kit/walls/BricksFactory.h"
#include "kit/walls/Wall.h"
#include "platform/drawing/SystemFont.h"

#include <QFontDatabase>
#include <QImage>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace kr;

namespace {

QImage paint(int w, int h, const std::function<void(GraphicsContext&)>& draw) {
  QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  GraphicsContext context(&painter, h);
  GraphicsContext::Scope scope(context);
  draw(context);
  return image;
}

QColor at(const QImage& image, int x, int y) { return image.pixelColor(x, image.height() - 1 - y); }

bool near(const QColor& a, const QColor& b, int tolerance = 8) {
  return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
         std::abs(a.blue() - b.blue()) <= tolerance;
}

} // namespace

TEST(DrawingStackTest, OperationsDrawInOrderWithTheirOwnFrames) {
  DrawingStack empty;
  const QImage nothing = paint(20, 20, [&](GraphicsContext&) { empty.draw(QRectF(0, 0, 20, 20)); });
  EXPECT_EQ(at(nothing, 10, 10).alpha(), 0);

  QList<QRectF> frames;
  auto fill = [&frames](QColor color) {
    return
        [&frames, color](const QRectF& frame, const QList<DrawingAsset>&, const DrawingPalette&) {
          frames << frame;
          GraphicsContext::current()->fillRect(frame, color);
        };
  };
  DrawingStack stack;
  stack.operations
      << DrawingOperation{fill(Qt::red), &DrawingOperation::Defaults::frameAdjuster, {}, {}}
      << DrawingOperation{
             fill(Qt::blue), [](const QRectF& f) { return f.adjusted(5, 5, -5, -5); }, {}, {}};
  const QImage image = paint(20, 20, [&](GraphicsContext&) { stack.draw(QRectF(0, 0, 20, 20)); });
  EXPECT_EQ(frames, (QList<QRectF>{QRectF(0, 0, 20, 20), QRectF(5, 5, 10, 10)}));
  EXPECT_EQ(at(image, 10, 10), QColor(Qt::blue));
  EXPECT_EQ(at(image, 2, 2), QColor(Qt::red));
}

TEST(ControlSkinTest, GenericPushButtonLooksAndFollowsTheTitle) {
  auto skin = std::make_shared<GenericControlSkin>();
  QPushButton button(QStringLiteral("OK"));
  const auto normal = skin->normalPushButtonDrawingStack(&button);
  const auto pressed = skin->highlightedPushButtonDrawingStack(&button);
  ASSERT_TRUE(normal && pressed);
  ASSERT_EQ(normal->operations.size(), 1);
  EXPECT_EQ(normal->operations[0].palette.kind(), DrawingPalette::Kind::fillAndStrokeAndTextColors);
  EXPECT_EQ(normal->operations[0].palette.text(), BricksDrawing::standardText());
  const QRectF frame(0, 0, 100, 30);
  const QRectF body = BricksDrawing::buttonBodyRect(frame);
  const QImage up = paint(100, 30, [&](GraphicsContext&) { normal->draw(frame); });
  EXPECT_TRUE(near(at(up, 12, int(body.center().y())), Qt::white));
  // The 0.5 outline on the body's lower edge: grey 0.46 blended with white.
  const QColor outline = at(up, 50, int(body.y()));
  EXPECT_LT(outline.red(), 250);
  const QImage down = paint(100, 30, [&](GraphicsContext&) { pressed->draw(frame); });
  EXPECT_TRUE(near(at(down, 12, int(body.y()) + 1), BricksDrawing::highlightGradientStart(), 20));
  EXPECT_TRUE(
      near(at(down, 12, int(body.bottom()) - 2), BricksDrawing::highlightGradientEnd(), 20));
  // The title is read at every drawing.
  EXPECT_EQ(GenericControlSkin::titleFrom(normal->operations[0].assets), QStringLiteral("OK"));
  button.setText(QStringLiteral("Cancel"));
  EXPECT_EQ(GenericControlSkin::titleFrom(normal->operations[0].assets), QStringLiteral("Cancel"));
}

TEST(ControlSkinTest, WhatEachSkinHandsOut) {
  auto base = std::make_shared<ControlSkin>();
  auto generic = std::make_shared<GenericControlSkin>();
  auto dark = std::make_shared<DarkControlSkin>();
  QPushButton button;
  EXPECT_FALSE(base->normalPushButtonDrawingStack(&button));
  EXPECT_FALSE(base->highlightedPushButtonDrawingStack(&button));
  for (const ControlSkin* skin :
       {static_cast<const ControlSkin*>(base.get()), static_cast<const ControlSkin*>(generic.get()),
        static_cast<const ControlSkin*>(dark.get())}) {
    EXPECT_FALSE(skin->popUpButtonDrawingStack(&button));
    EXPECT_FALSE(skin->highlightedPopUpButtonDrawingStack(&button));
  }
  EXPECT_FALSE(generic->pullDownButtonDrawingStack(&button));
  EXPECT_TRUE(dark->pullDownButtonDrawingStack(&button));
  EXPECT_TRUE(dark->checkBoxOnDrawingStack(&button));
  EXPECT_EQ(base->labelPalette().color(), QColor(Qt::red));
  EXPECT_EQ(generic->labelPalette().color(), BricksDrawing::standardText());
  EXPECT_EQ(dark->labelPalette().color(), QColor(Qt::green));
  const auto darkPressed = dark->highlightedPushButtonDrawingStack(&button);
  EXPECT_EQ(darkPressed->operations[0].palette.stroke().alpha(), 0); // no outline when pressed

  // A wrong palette draws in red.
  EXPECT_EQ(GenericControlSkin::faceColors(DrawingPalette::textColor(Qt::blue)).fill,
            QColor(Qt::red));
  EXPECT_EQ(GenericControlSkin::faceColors(DrawingPalette::frameColor(Qt::blue)).fill.alpha(), 0);
}

TEST(ControlSkinTest, FactorySkinColoursItsLabels) {
  Wall wall;
  wall.factory()->setControlSkin(std::make_shared<GenericControlSkin>());
  Label* generic = wall.factory()->label(QStringLiteral("a"));
  EXPECT_EQ(generic->textColor(), BricksDrawing::standardText());
  wall.factory()->setControlSkin(std::make_shared<ControlSkin>());
  Label* base = wall.factory()->label(QStringLiteral("b"));
  EXPECT_EQ(base->textColor(), QColor(Qt::red));
}

TEST(ControlSkinTest, PageFontsFallBackToTheSystemFont) {
  const auto skin = KorvaneControlSkin::shared();
  EXPECT_EQ(skin, KorvaneControlSkin::shared());
  if (!QFontDatabase::families().contains(QStringLiteral("Gill Sans"))) {
    EXPECT_EQ(skin->titleFont.family(), systemFontOfSize(18).family());
  }
  EXPECT_EQ(skin->titleFont.pixelSize(), 18);
  EXPECT_EQ(skin->secondaryTitleFont.pixelSize(), 14);
  EXPECT_EQ(skin->tertiaryTitleFont.pixelSize(), 11);
  EXPECT_EQ(skin->tertiaryTitleFont.weight(), QFont::Light);
  EXPECT_EQ(skin->proportionalDigitsFont.pixelSize(), 24);
}

TEST(BricksDrawingTest, ButtonBodySitsOffTheMiddleOfTallerFrames) {
  EXPECT_EQ(BricksDrawing::buttonBodyRect(QRectF(0, 0, 100, 19.5)), QRectF(6.75, -0.25, 87, 19.5));
  // 10.5 extra: floor(3.99 - 0.25) + 0.75
  EXPECT_EQ(BricksDrawing::buttonBodyRect(QRectF(0, 0, 100, 30)), QRectF(6.75, 3.75, 87, 19.5));
  const QImage box = paint(120, 20, [](GraphicsContext&) {
    BricksDrawing::drawCheckBoxInOnState(QRectF(0, 0, 120, 20), Qt::white, Qt::black, Qt::black,
                                         QStringLiteral("A title much longer than the box"));
  });
  EXPECT_TRUE(near(at(box, 9, 14), Qt::white) || near(at(box, 9, 14), Qt::black)); // inside box
  EXPECT_EQ(at(box, 119, 10).alpha(), 0); // the title is cut at its rectangle
}

TEST(BricksDrawingHelperTest, FunctionBeatsStackBeatsPlatform) {
  QStringList calls;
  DrawingStack stack;
  stack.operations << DrawingOperation{
      [&](const QRectF&, const QList<DrawingAsset>&, const DrawingPalette&) { calls << "stack"; },
      &DrawingOperation::Defaults::frameAdjuster,
      {},
      {}};
  auto platform = [&](const QRectF&) { calls << QStringLiteral("platform"); };
  const auto text = ButtonDrawingFuncType::text(
      [&](const QRectF&, const QString& title) { calls << QStringLiteral("text ") + title; });
  const QList<DrawingAsset> assets{DrawingAsset::text(QStringLiteral("one")),
                                   DrawingAsset::text(QStringLiteral("two"))};
  paint(10, 10, [&](GraphicsContext&) {
    BricksDrawingHelper::draw(QRectF(0, 0, 10, 10), stack, text, platform, assets);
    BricksDrawingHelper::draw(QRectF(0, 0, 10, 10), stack, std::nullopt, platform, assets);
    BricksDrawingHelper::draw(QRectF(0, 0, 10, 10), std::nullopt, std::nullopt, platform, assets);
  });
  EXPECT_EQ(calls, (QStringList{QStringLiteral("text two"), QStringLiteral("stack"),
                                QStringLiteral("platform")}));
}
