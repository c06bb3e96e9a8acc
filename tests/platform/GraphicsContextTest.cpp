#include "platform/drawing/GraphicsContext.h"
#include "platform/drawing/DrawnImage.h"

#include <QImage>

#include <gtest/gtest.h>

#include <functional>

using namespace kr;

namespace {

// Renders into a white image; `at` reads a pixel by y-up drawing coordinates.
struct Canvas {
  QImage image;
  Canvas(int w, int h, const std::function<void(GraphicsContext&)>& draw)
      : image(w, h, QImage::Format_ARGB32_Premultiplied) {
    image.fill(Qt::white);
    QPainter painter(&image);
    GraphicsContext context(&painter, h);
    GraphicsContext::Scope scope(context);
    draw(context);
  }
  QColor at(int x, int y) const { return image.pixelColor(x, image.height() - 1 - y); }
};

bool near(const QColor& a, const QColor& b, int tolerance = 6) {
  return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
         std::abs(a.blue() - b.blue()) <= tolerance;
}

} // namespace

TEST(GraphicsContextTest, DrawingCoordinatesGrowUpwards) {
  Canvas c(40, 40, [](GraphicsContext& g) { g.fillRect(QRectF(0, 0, 10, 10), Qt::red); });
  EXPECT_EQ(c.at(5, 5), QColor(Qt::red));
  EXPECT_EQ(c.image.pixelColor(5, 35), QColor(Qt::red)); // the bottom rows of the image
  EXPECT_EQ(c.at(5, 15), QColor(Qt::white));
  EXPECT_EQ(GraphicsContext::current(), nullptr);
}

TEST(GraphicsContextTest, GradientEndsFollowTheAngle) {
  const Gradient g = Gradient::between(Qt::red, Qt::blue);
  const BezierPath square = BezierPath::rect(QRectF(0, 0, 100, 100));
  Canvas up(100, 100, [&](GraphicsContext& c) { c.drawLinearGradient(g, square, 90); });
  EXPECT_TRUE(near(up.at(50, 0), Qt::red)) << up.at(50, 0).name().toStdString();
  EXPECT_TRUE(near(up.at(50, 99), Qt::blue)) << up.at(50, 99).name().toStdString();
  EXPECT_TRUE(near(up.at(0, 50), up.at(99, 50), 2)); // no change across
  Canvas down(100, 100, [&](GraphicsContext& c) { c.drawLinearGradient(g, square, -90); });
  EXPECT_TRUE(near(down.at(50, 0), Qt::blue));
  EXPECT_TRUE(near(down.at(50, 99), Qt::red));
  Canvas across(100, 100, [&](GraphicsContext& c) { c.drawLinearGradient(g, square, 0); });
  EXPECT_TRUE(near(across.at(0, 50), Qt::red));
  EXPECT_TRUE(near(across.at(99, 50), Qt::blue));
  // Only inside the path, spanning the path's own bounds.
  const BezierPath band = BezierPath::rect(QRectF(20, 40, 60, 20));
  Canvas inside(100, 100, [&](GraphicsContext& c) { c.drawLinearGradient(g, band, 90); });
  EXPECT_TRUE(near(inside.at(50, 40), Qt::red));
  EXPECT_TRUE(near(inside.at(50, 59), Qt::blue));
  EXPECT_EQ(inside.at(50, 70), QColor(Qt::white));
}

TEST(GraphicsContextTest, RotationIsCounterClockwiseAndArcsRunThatWay) {
  Canvas turned(100, 100, [](GraphicsContext& c) {
    c.translate(50, 50);
    c.rotate(90);
    c.fillRect(QRectF(10, -2, 30, 4), Qt::black); // along +x before turning
  });
  EXPECT_EQ(turned.at(50, 80), QColor(Qt::black)); // now above the centre
  EXPECT_EQ(turned.at(80, 50), QColor(Qt::white));

  Canvas arc(100, 100, [](GraphicsContext& c) {
    BezierPath quarter;
    quarter.moveTo(QPointF(50, 50));
    quarter.appendArc(QPointF(50, 50), 40, 0, 90); // from +x up to +y
    quarter.closePath();
    c.fill(quarter, Qt::black);
  });
  EXPECT_EQ(arc.at(70, 70), QColor(Qt::black));
  EXPECT_EQ(arc.at(30, 30), QColor(Qt::white));
  EXPECT_EQ(arc.at(70, 30), QColor(Qt::white));
}

TEST(GraphicsContextTest, PolylineStaysOpenAndPolygonCloses) {
  const BezierPath open = BezierPath::polyline({QPointF(0, 0), QPointF(10, 0), QPointF(0, 10)});
  const BezierPath closed = BezierPath::polygon({QPointF(0, 0), QPointF(10, 0), QPointF(0, 10)});
  EXPECT_EQ(open.bounds(), QRectF(0, 0, 10, 10));
  ASSERT_EQ(open.painterPath().elementCount(), 3);
  EXPECT_TRUE(open.painterPath().elementAt(0).isMoveTo());
  EXPECT_EQ(QPointF(open.painterPath().elementAt(2)), QPointF(0, 10));
  // Closing draws the last edge back to the first point.
  ASSERT_EQ(closed.painterPath().elementCount(), 4);
  EXPECT_EQ(QPointF(closed.painterPath().elementAt(3)), QPointF(0, 0));
  EXPECT_TRUE(closed.contains(QPointF(2, 2)));
  EXPECT_FALSE(closed.contains(QPointF(8, 8)));
  EXPECT_TRUE(BezierPath::polygon({}).isEmpty());
}

TEST(GraphicsContextTest, ShadowFallsBelowAndLayerCastsOneShadow) {
  const Shadow shadow{QColor(0, 0, 0, 255), QPointF(0, -10), 0.0};
  Canvas single(60, 60, [&](GraphicsContext& c) {
    c.saveState();
    c.setShadow(shadow);
    c.fillRect(QRectF(20, 30, 20, 20), Qt::red);
    c.restoreState();
    c.fillRect(QRectF(0, 0, 5, 5), Qt::blue); // after restore: no shadow
  });
  EXPECT_EQ(single.at(30, 40), QColor(Qt::red));
  EXPECT_EQ(single.at(30, 25), QColor(Qt::black)); // 10 below the square
  EXPECT_EQ(single.at(30, 15), QColor(Qt::white));
  EXPECT_EQ(single.at(2, 2), QColor(Qt::blue));
  EXPECT_EQ(single.at(7, 2), QColor(Qt::white));

  // Two overlapping squares in a layer: the shadow of the upper one does not
  // fall on the lower one.
  Canvas layered(60, 60, [&](GraphicsContext& c) {
    c.saveState();
    c.setShadow(shadow);
    c.beginTransparencyLayer();
    c.fillRect(QRectF(20, 10, 20, 20), Qt::green);
    c.fillRect(QRectF(20, 25, 20, 20), Qt::red);
    c.endTransparencyLayer();
    c.restoreState();
  });
  EXPECT_EQ(layered.at(30, 20), QColor(Qt::green));
  EXPECT_EQ(layered.at(30, 5), QColor(Qt::black));

  Canvas blurred(60, 60, [&](GraphicsContext& c) {
    c.setShadow(Shadow{Qt::black, QPointF(0, 0), 8.0});
    c.fillRect(QRectF(20, 20, 20, 20), Qt::red);
  });
  const QColor edge = blurred.at(30, 18);
  EXPECT_LT(edge.red(), 255);
  EXPECT_GT(edge.red(), 0); // a soft edge, neither white nor black
}

TEST(GraphicsContextTest, TextIsUprightAndMeasured) {
  QFont font;
  font.setPixelSize(30);
  const QSizeF size = GraphicsContext::measureText(QStringLiteral("T"), font, 200);
  EXPECT_GT(size.height(), 25);
  const QSizeF wrapped =
      GraphicsContext::measureText(QStringLiteral("word word word word"), font, 60);
  EXPECT_GT(wrapped.height(), 2 * size.height());
  Canvas c(60, 60, [&](GraphicsContext& g) {
    g.drawText(QStringLiteral("T"), QRectF(0, 0, 60, 60), font, Qt::black, Qt::AlignHCenter);
  });
  // A "T" drawn from the top edge: ink in the top half, its bar above its stem.
  int topInk = 0, bottomInk = 0;
  for (int y = 0; y < 60; ++y) {
    for (int x = 0; x < 60; ++x) {
      if (c.at(x, y).red() < 128)
        (y >= 30 ? topInk : bottomInk)++;
    }
  }
  EXPECT_GT(topInk, 20);
  EXPECT_EQ(bottomInk, 0);
  int widestRowY = -1, widest = 0;
  for (int y = 0; y < 60; ++y) {
    int ink = 0;
    for (int x = 0; x < 60; ++x)
      ink += c.at(x, y).red() < 128;
    if (ink > widest) {
      widest = ink;
      widestRowY = y;
    }
  }
  int lowestInk = 60;
  for (int y = 0; y < 60; ++y) {
    for (int x = 0; x < 60; ++x) {
      if (c.at(x, y).red() < 128)
        lowestInk = std::min(lowestInk, y);
    }
  }
  EXPECT_GT(widestRowY, lowestInk + 5); // the bar is high, the stem below it
}

TEST(DrawnImageTest, HandlerRunsOnlyWhenDrawnAndScales) {
  int runs = 0;
  DrawnImage image(QSizeF(10, 10), [&](const QRectF& frame) {
    ++runs;
    GraphicsContext::current()->fillRect(QRectF(0, 0, frame.width() / 2, frame.height()), Qt::red);
  });
  EXPECT_EQ(runs, 0);
  Canvas c(40, 40, [&](GraphicsContext& g) { image.draw(g, QRectF(0, 0, 40, 40)); });
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(c.at(10, 30), QColor(Qt::red));
  EXPECT_EQ(c.at(30, 10), QColor(Qt::white));
  const QImage pixels = image.toImage(2.0);
  EXPECT_EQ(pixels.size(), QSize(20, 20));
  EXPECT_EQ(pixels.pixelColor(5, 5), QColor(Qt::red));
  EXPECT_EQ(pixels.pixelColor(15, 5).alpha(), 0);
}
