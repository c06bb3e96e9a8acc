#include "art/ResizingBehavior.h"
#include "art/KorvaneStyleKit.h"
#include "platform/drawing/GraphicsContext.h"

#include <QImage>

#include <gtest/gtest.h>

using namespace kr;

TEST(ResizingBehaviorTest, MapsTheCanvasAsEachBehaviourSays) {
  const QRectF canvas(0, 0, 18, 18);
  const QRectF target(0, 0, 36, 18);
  EXPECT_EQ(ResizingBehavior(ResizingBehavior::fit).apply(canvas, target), QRectF(9, 0, 18, 18));
  EXPECT_EQ(ResizingBehavior(ResizingBehavior::fill).apply(canvas, target), QRectF(0, -9, 36, 36));
  EXPECT_EQ(ResizingBehavior(ResizingBehavior::stretch).apply(canvas, target), target);
  EXPECT_EQ(ResizingBehavior(ResizingBehavior::center).apply(canvas, target), QRectF(9, 0, 18, 18));
  EXPECT_EQ(ResizingBehavior(ResizingBehavior::center)
                .apply(QRectF(0, 0, 187, 21), QRectF(0, 0, 100, 21)),
            QRectF(-43.5, 0, 187, 21));
  // A negative width still gives positive scales and a centred result.
  EXPECT_EQ(ResizingBehavior(ResizingBehavior::fit).apply(canvas, QRectF(36, 0, -36, 18)),
            QRectF(9, 0, 18, 18));
}

TEST(ResizingBehaviorTest, ShortcutsComeBeforeTheBehaviour) {
  const QRectF canvas(0, 0, 18, 18);
  const ResizingBehavior bad = ResizingBehavior::uncheckedFromRawValue(7);
  EXPECT_EQ(bad.apply(canvas, canvas), canvas);
  EXPECT_EQ(bad.apply(canvas, QRectF()), canvas);
  EXPECT_DEATH(bad.apply(canvas, QRectF(0, 0, 36, 18)), "unexpected resizing behaviour 7");
  EXPECT_EQ(ResizingBehavior::fromRawValue(2), ResizingBehavior(ResizingBehavior::stretch));
  EXPECT_FALSE(ResizingBehavior::fromRawValue(4).has_value());
  EXPECT_FALSE(ResizingBehavior::fromRawValue(-1).has_value());
}

namespace {

// An 18 x 18 design: a red square in its lower-left quarter, a blue one in its
// upper-right quarter.
void drawQuarters(const QRectF& frame, ResizingBehavior resizing) {
  GraphicsContext& c = *GraphicsContext::current();
  ResizedDrawing canvas(c, QSizeF(18, 18), frame, resizing);
  c.fillRect(QRectF(0, 0, 9, 9), Qt::red);
  c.fillRect(QRectF(9, 9, 9, 9), Qt::blue);
}

QImage drawn(int w, int h, ResizingBehavior behavior) {
  QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::white);
  QPainter painter(&image);
  GraphicsContext context(&painter, h);
  GraphicsContext::Scope scope(context);
  drawQuarters(QRectF(0, 0, w, h), behavior);
  return image;
}

// Pixel by y-up coordinates.
QColor at(const QImage& image, int x, int y) { return image.pixelColor(x, image.height() - 1 - y); }

} // namespace

TEST(ResizingBehaviorTest, ResizedDrawingsLandWhereTheBehaviourPutsThem) {
  // 72 x 36 frame: fit and center leave the sides empty, fill overflows top
  // and bottom, stretch covers everything.
  const QImage fit = drawn(72, 36, ResizingBehavior::fit); // design at (18, 0, 36, 36)
  EXPECT_EQ(at(fit, 5, 5), QColor(Qt::white));
  EXPECT_EQ(at(fit, 20, 2), QColor(Qt::red));
  EXPECT_EQ(at(fit, 52, 34), QColor(Qt::blue));
  EXPECT_EQ(at(fit, 66, 30), QColor(Qt::white));

  const QImage fill = drawn(72, 36, ResizingBehavior::fill); // design at (0, -18, 72, 72)
  EXPECT_EQ(at(fill, 2, 2), QColor(Qt::red));
  EXPECT_EQ(at(fill, 34, 16), QColor(Qt::red));
  EXPECT_EQ(at(fill, 38, 20), QColor(Qt::blue));
  EXPECT_EQ(at(fill, 70, 34), QColor(Qt::blue));

  const QImage stretch = drawn(72, 36, ResizingBehavior::stretch);
  EXPECT_EQ(at(stretch, 2, 2), QColor(Qt::red));
  EXPECT_EQ(at(stretch, 34, 16), QColor(Qt::red));
  EXPECT_EQ(at(stretch, 70, 34), QColor(Qt::blue));
  EXPECT_EQ(at(stretch, 2, 34), QColor(Qt::white));

  const QImage center = drawn(72, 36, ResizingBehavior::center); // design at (27, 9, 18, 18)
  EXPECT_EQ(at(center, 28, 10), QColor(Qt::red));
  EXPECT_EQ(at(center, 44, 26), QColor(Qt::blue));
  EXPECT_EQ(at(center, 25, 10), QColor(Qt::white));
  EXPECT_EQ(at(center, 28, 7), QColor(Qt::white));
}

TEST(ResizingBehaviorTest, ShadowsScaleWithTheDrawing) {
  QImage image(36, 36, QImage::Format_ARGB32_Premultiplied);
  QPainter painter(&image);
  GraphicsContext context(&painter, 36);
  ResizedDrawing canvas(context, QSizeF(18, 18), QRectF(0, 0, 36, 36), ResizingBehavior::fit);
  const Shadow scaled = canvas.scaled(Shadow{Qt::black, QPointF(0.5, -0.5), 1.0});
  EXPECT_EQ(scaled.offset, QPointF(1, -1));
  EXPECT_DOUBLE_EQ(scaled.blurRadius, 2.0);
}

namespace {
int iconDraws = 0;
void drawTestIcon(const QRectF& frame, ResizingBehavior resizing) {
  ++iconDraws;
  EXPECT_EQ(resizing, ResizingBehavior(ResizingBehavior::fit));
  GraphicsContext::current()->fillRect(frame, Qt::green);
}
} // namespace

TEST(KorvaneStyleKitTest, CachedImagesAreMadeOnceAndDrawnLazily) {
  const DrawnImage first = KorvaneStyleKit::cachedImage("TestIcon", QSizeF(18, 18), &drawTestIcon);
  const DrawnImage second = KorvaneStyleKit::cachedImage("TestIcon", QSizeF(18, 18), &drawTestIcon);
  EXPECT_TRUE(first.isSameImage(second));
  EXPECT_EQ(iconDraws, 0);
  const QImage pixels = first.toImage(2.0);
  EXPECT_EQ(iconDraws, 1);
  EXPECT_EQ(pixels.size(), QSize(36, 36));
  EXPECT_EQ(pixels.pixelColor(18, 18), QColor(Qt::green));
  EXPECT_EQ(&KorvaneStyleKit::n2(), &KorvaneStyleKit::n2());
  EXPECT_EQ(KorvaneStyleKit::n2(), QColor::fromRgbF(0.255f, 0.26f, 0.29f));
}
