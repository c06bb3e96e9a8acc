#include "art/BezierPathUtility.h"
#include "art/BezierConversions.h"
#include "art/RectMapping.h"
#include "art/ShadowDrawing.h"
#include "platform/drawing/SystemFont.h"
#include "platform/settings/UserDefaults.h"
#include "support/FreshDefaults.h"
#include "support/TestEnvironment.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

using namespace kr;
using Type = BezierPath::ElementType;

namespace {

QImage render(int w, int h, const std::function<void()>& draw) {
  QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  {
    GraphicsContext context(&painter, h);
    GraphicsContext::Scope scope(context);
    draw();
  }
  painter.end();
  return image;
}

// The pixel whose centre is nearest to (x, y), y up.
QRgb at(const QImage& image, double x, double y) {
  return image.pixel(int(std::floor(x)), image.height() - 1 - int(std::floor(y)));
}

QList<QPointF> pointsOf(const BezierPath& path) {
  QList<QPointF> points;
  for (const BezierPath::Element& e : path.elements())
    if (e.type == Type::moveTo || e.type == Type::lineTo)
      points.append(e.points[0]);
  return points;
}

const QString kKey = QStringLiteral("nowPadBackgroundColor");
const QString kAlphaKey = QStringLiteral("nowAndLaterBoardAlpha");

} // namespace

TEST(BezierPathUtility, StoredColoursForceOrTakeTheirAlpha) {
  test::freshStandardDefaults();
  UserDefaults& defaults = UserDefaults::standard();
  defaults.registerDefault(kKey, QStringLiteral("#ffffcc"));
  // A stored colour with alpha 0.5 reads with alpha 1.0.
  defaults.setValue(kKey, QStringLiteral("#80336699"));
  EXPECT_EQ(BezierPathUtility::colorWithKey(kKey), QColor(0x33, 0x66, 0x99, 255));
  defaults.setValue(kKey, QStringLiteral("#336699"));
  EXPECT_EQ(BezierPathUtility::colorWithKey(kKey), QColor(0x33, 0x66, 0x99, 255));

  // With an alpha key, its value; inactive, 0.7 of it but at least 0.2.
  defaults.setValue(kAlphaKey, 0.2);
  EXPECT_NEAR(BezierPathUtility::colorWithKey(kKey, kAlphaKey).alphaF(), 0.2, 1e-3);
  EXPECT_NEAR(BezierPathUtility::inactiveColorWithKey(kKey, kAlphaKey).alphaF(), 0.2, 1e-3);
  defaults.setValue(kAlphaKey, 1.0);
  EXPECT_NEAR(BezierPathUtility::colorWithKey(kKey, kAlphaKey).alphaF(), 1.0, 1e-3);
  EXPECT_NEAR(BezierPathUtility::inactiveColorWithKey(kKey, kAlphaKey).alphaF(), 0.7, 1e-3);
  EXPECT_EQ(BezierPathUtility::inactiveColorWithKey(kKey, kAlphaKey).rgb(),
            QColor(0x33, 0x66, 0x99).rgb());
  // An alpha beyond 1 is taken as 1.
  defaults.setValue(kAlphaKey, 3.0);
  EXPECT_NEAR(BezierPathUtility::colorWithKey(kKey, kAlphaKey).alphaF(), 1.0, 1e-3);

  // Unset, the registered colour.
  defaults.remove(kKey);
  EXPECT_EQ(BezierPathUtility::colorWithKey(kKey), QColor(0xff, 0xff, 0xcc));
  // Another store is read the same way.
  UserDefaults other(test::temporaryHome() + QStringLiteral("/other.conf"));
  other.setValue(kKey, QStringLiteral("#010203"));
  EXPECT_EQ(BezierPathUtility::colorWithKey(other, kKey), QColor(1, 2, 3));
}

TEST(BezierPathUtility, AnUnreadableStoredColourFallsBackToTheRegisteredOneWithAConsoleLine) {
  test::freshStandardDefaults();
  UserDefaults& defaults = UserDefaults::standard();
  defaults.registerDefault(kKey, QStringLiteral("#ffffcc"));
  for (const QString& bad :
       {QStringLiteral("yellow"), QStringLiteral("#fffcc"), QStringLiteral("#ffffccz")}) {
    defaults.setValue(kKey, bad);
    test::ConsoleCapture console;
    EXPECT_EQ(BezierPathUtility::colorWithKey(kKey), QColor(0xff, 0xff, 0xcc)) << bad.toStdString();
    ASSERT_EQ(console.lines().size(), 1) << bad.toStdString();
    EXPECT_TRUE(console.contains(kKey));
  }
}

TEST(BezierPathUtilityDeathTest, AKeyWithNoColourAtAllStopsTheProgram) {
  test::freshStandardDefaults();
  EXPECT_DEATH(BezierPathUtility::colorWithKey(QStringLiteral("noSuchColour")),
               "colorWithKey: noSuchColour could not be deserialized");
  EXPECT_DEATH(BezierPathUtility::colorWithKey(QStringLiteral("noSuchColour"), kAlphaKey),
               "colorWithKey: noSuchColour and alphaKey: nowAndLaterBoardAlpha could not be "
               "deserialized");
  EXPECT_DEATH(BezierPathUtility::inactiveColorWithKey(QStringLiteral("noSuchColour"), kAlphaKey),
               "inactiveColorWithKey: noSuchColour and alphaKey: nowAndLaterBoardAlpha could not");
  // Stored garbage with nothing registered behind it stops as well.
  UserDefaults::standard().setValue(QStringLiteral("noSuchColour"), QStringLiteral("blue"));
  EXPECT_DEATH(BezierPathUtility::colorWithKey(QStringLiteral("noSuchColour")),
               "could not be deserialized");
}

TEST(BezierPathUtility, GradientsShadowsAndColours) {
  auto same = [](const Gradient& a, const Gradient& b) {
    return a.colors() == b.colors() && a.locations() == b.locations();
  };
  EXPECT_TRUE(same(BezierPathUtility::pushedGradient(), BezierPathUtility::highlightGradient()));
  EXPECT_TRUE(same(BezierPathUtility::knobColor(), BezierPathUtility::disabledKnobColor()));
  EXPECT_FALSE(same(BezierPathUtility::knobColor(), BezierPathUtility::highlightKnobColor()));
  const Gradient pushed = BezierPathUtility::pushedGradient();
  EXPECT_EQ(pushed.locations(), (QList<double>{0.0, 0.5, 0.5, 1.0}));
  EXPECT_EQ(pushed.colors()[1], QColor::fromRgbF(0.445f, 0.453f, 0.469f, 0.7f));
  EXPECT_EQ(pushed.colors()[2], QColor::fromRgbF(0.406f, 0.414f, 0.433f, 0.7f));
  EXPECT_EQ(BezierPathUtility::alphaValue(), 0.7);
  const Gradient normal = BezierPathUtility::normalGradient();
  for (const QColor& c : normal.colors())
    EXPECT_NEAR(c.alphaF(), 0.7, 1e-3);
  EXPECT_EQ(BezierPathUtility::whiteGradient().colors(),
            (QList<QColor>{QColor::fromRgbF(0.96f, 0.961f, 0.96f),
                           QColor::fromRgbF(0.892f, 0.893f, 0.892f)}));
  EXPECT_EQ(BezierPathUtility::purpleGradient().colors()[1], QColor::fromRgbF(0.3f, 0.3f, 1.0f));
  EXPECT_EQ(BezierPathUtility::strokeColor(), QColor::fromRgbF(0.749f, 0.761f, 0.788f, 0.7f));
  const Shadow focus = BezierPathUtility::focusRingShadow();
  EXPECT_EQ(focus.color, QColor(Qt::white));
  EXPECT_EQ(focus.blurRadius, 3.0);
  EXPECT_EQ(focus.offset, QPointF(0, 0));
  EXPECT_EQ(BezierPathUtility::shadow().offset, QPointF(3.0, -5.0));
  EXPECT_NEAR(BezierPathUtility::darkTextShadow().color.alphaF(), 0.5, 1e-3);

  // The two stops at 0.5 make a hard step in the drawn gradient.
  const QImage image = render(10, 100, [&] {
    GraphicsContext::current()->drawLinearGradient(pushed, BezierPath::rect(QRectF(0, 0, 10, 100)),
                                                   90);
  });
  const int below = qRed(at(image, 5, 49.5)), above = qRed(at(image, 5, 50.5));
  EXPECT_GE(below - above, 5) << below << " " << above;
  EXPECT_LE(std::abs(qRed(at(image, 5, 30.5)) - qRed(at(image, 5, 31.5))), 1);
  EXPECT_NEAR(qRed(at(image, 5, 0.5)), 0.524 * 0.7 * 255, 2.0);
}

TEST(BezierPathUtility, BoxesAndArrows) {
  const QRectF r(10, 20, 100, 40);
  const BezierPath arrow = BezierPathUtility::bezierPathForRightFacingArrow(r);
  EXPECT_EQ(pointsOf(arrow), (QList<QPointF>{QPointF(10, 60), QPointF(110, 40), QPointF(10, 20)}));
  EXPECT_EQ(arrow.elements().back().type, Type::closePath);
  EXPECT_EQ(arrow.lineWidth(), 1.0);
  EXPECT_EQ(arrow.miterLimit(), 0.0);

  EXPECT_EQ(BezierPathUtility::bezierPathForEventBoxWithoutArrows(r, 5).bounds(),
            QRectF(10, 25, 100, 35));
  EXPECT_EQ(pointsOf(BezierPathUtility::bezierPathForEventBoxWithBothArrows(r, 5)),
            (QList<QPointF>{QPointF(10, 60), QPointF(110, 60), QPointF(110, 20), QPointF(105, 25),
                            QPointF(15, 25), QPointF(10, 20)}));
  EXPECT_EQ(pointsOf(BezierPathUtility::bezierPathForEventBoxWithRightArrow(r, 5)),
            (QList<QPointF>{QPointF(10, 60), QPointF(110, 60), QPointF(110, 20), QPointF(105, 25),
                            QPointF(10, 25)}));
  EXPECT_EQ(pointsOf(BezierPathUtility::bezierPathForEventBoxWithLeftArrow(r, 5)),
            (QList<QPointF>{QPointF(10, 60), QPointF(110, 60), QPointF(110, 25), QPointF(15, 25),
                            QPointF(10, 20)}));
  const BezierPath down = BezierPathUtility::bezierDownBoxFittingInRect(r, 30, 5);
  EXPECT_EQ(pointsOf(down),
            (QList<QPointF>{QPointF(10, 60), QPointF(110, 60), QPointF(110, 25), QPointF(45, 25),
                            QPointF(40, 20), QPointF(35, 25), QPointF(10, 25), QPointF(10, 60)}));
  EXPECT_EQ(down.miterLimit(), 0.0);

  BezierPath moved = BezierPath::rect(QRectF(0, 0, 2, 2));
  BezierPath& same = BezierPathUtility::offsetByHalfPixelForDrawing(moved);
  EXPECT_EQ(&same, &moved);
  EXPECT_EQ(moved.bounds(), QRectF(0.5, 0.5, 2, 2));
}

TEST(BezierPathUtility, BubbleRoundsOnlyTheCornersTheTriangleLeavesRoomFor) {
  const QRectF r(0, 0, 60, 30);
  auto curves = [](const BezierPath& path) {
    int count = 0;
    for (const BezierPath::Element& e : path.elements())
      count += e.type == Type::curveTo;
    return count;
  };
  // The triangle in the middle: four rounded corners; its tip touches the top.
  const BezierPath bubble = BezierPathUtility::bezierPathFittingInRect(r, 30, 4, 5);
  EXPECT_EQ(bubble.lineJoinStyle(), Qt::MiterJoin);
  EXPECT_EQ(bubble.lineWidth(), 1.0);
  EXPECT_EQ(bubble.miterLimit(), 10.0);
  EXPECT_EQ(bubble.elements()[1].points[0], QPointF(30, 30));
  const QRectF bounds = bubble.bounds();
  EXPECT_NEAR(bounds.left(), 0, 1e-9);
  EXPECT_NEAR(bounds.right(), 60, 1e-9);
  EXPECT_NEAR(bounds.top(), 0, 1e-9);
  EXPECT_NEAR(bounds.bottom(), 30, 1e-9);
  const int rounded = curves(bubble);
  EXPECT_GT(rounded, 0);
  EXPECT_FALSE(bubble.contains(QPointF(1.0, 1.0))); // a rounded low corner
  // Closer than the radius to the right edge: the high right corner is square.
  const BezierPath right = BezierPathUtility::bezierPathFittingInRect(r, 53, 4, 5);
  EXPECT_EQ(right.elements()[3].type, Type::lineTo);
  EXPECT_EQ(right.elements()[3].points[0], QPointF(60, 25));
  EXPECT_LT(curves(right), rounded);
  EXPECT_TRUE(right.contains(QPointF(59.5, 24.5)));
  EXPECT_FALSE(bubble.contains(QPointF(59.5, 24.5)));
  // Closer than the radius to the left edge: the high left corner is square.
  const BezierPath left = BezierPathUtility::bezierPathFittingInRect(r, 8, 4, 5);
  EXPECT_TRUE(left.contains(QPointF(0.5, 24.5)));
  EXPECT_FALSE(bubble.contains(QPointF(0.5, 24.5)));
}

TEST(BezierPathUtility, RectMappingAndItsZeroSizedSources) {
  QTransform t;
  mapFrom(t, QRectF(1, 2, 10, 20), QRectF(100, 200, 30, 10));
  EXPECT_EQ(t.map(QPointF(1, 2)), QPointF(100, 200));
  EXPECT_EQ(t.map(QPointF(11, 22)), QPointF(130, 210));
  // A source without width or height leaves the transform as it was.
  const QTransform before = t;
  mapFrom(t, QRectF(1, 2, 0, 20), QRectF(0, 0, 5, 5));
  EXPECT_EQ(t, before);
  mapFrom(t, QRectF(1, 2, 10, 0), QRectF(0, 0, 5, 5));
  EXPECT_EQ(t, before);
  scaleBounds(t, QRectF(0, 0, 10, 0), 40, 5);
  EXPECT_EQ(t, before);
  EXPECT_TRUE(std::isfinite(t.m11()));

  QTransform s;
  scaleBounds(s, QRectF(0, 0, 10, 20), 40, 5, QPointF(100, 0));
  EXPECT_EQ(s.map(QPointF(0, 0)), QPointF(90, 5));
  EXPECT_EQ(s.map(QPointF(10, 20)), QPointF(110, 45));
  QTransform o;
  scaleBounds(o, QRectF(0, 0, 10, 20), 10, 1);
  EXPECT_EQ(o.map(QPointF(0, 0)), QPointF(-2.5, 1));

  QTransform f;
  flipVertical(f, QRectF(5, 5, 50, 10));
  EXPECT_EQ(f.map(QPointF(3, 2)), QPointF(3, 8));
}

TEST(BezierPathUtility, ShadowAtDegreesFallsThatWay) {
  const QImage image = render(40, 40, [] {
    fillWithShadowAtDegrees(BezierPath::rect(QRectF(10, 10, 10, 10)), Qt::white, 0, 6);
  });
  EXPECT_EQ(at(image, 15, 15), qRgba(255, 255, 255, 255));
  const QRgb right = at(image, 23, 15);
  EXPECT_GT(qAlpha(right), 40);
  EXPECT_LE(qAlpha(right), 80); // black at 0.3
  EXPECT_EQ(qRed(right), 0);
  EXPECT_EQ(qAlpha(at(image, 7, 15)), 0);
  // Pointing down: 270 degrees.
  const QImage down = render(40, 40, [] {
    fillWithShadowAtDegrees(BezierPath::rect(QRectF(10, 10, 10, 10)), Qt::white, 270, 6);
  });
  EXPECT_GT(qAlpha(at(down, 15, 7)), 40);
  EXPECT_EQ(qAlpha(at(down, 15, 27.5)), 0);
}

TEST(BezierPathUtility, TextOutlinesAreUprightAndDrawnCentred) {
  const QFont font = systemFontOfSize(40);
  const BezierPath t = bezierWithFont(QStringLiteral("T"), font);
  const QRectF b = t.bounds();
  ASSERT_GT(b.width(), 10);
  ASSERT_GT(b.height(), 10);
  // The T's bar lies along the top of its bounds, its stem alone at the bottom.
  EXPECT_TRUE(t.contains(QPointF(b.left() + 1, b.bottom() - 1)));
  EXPECT_FALSE(t.contains(QPointF(b.left() + 1, b.top() + 1)));
  EXPECT_TRUE(t.contains(QPointF(b.center().x(), b.top() + 1)));

  const QImage image = render(100, 60, [] {
    BezierPathUtility::drawText(QStringLiteral("T"), QRectF(0, 0, 100, 60),
                                Gradient::between(Qt::white, Qt::white), std::nullopt, Qt::white);
  });
  int left = image.width(), right = -1, top = image.height(), bottom = -1;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (qAlpha(image.pixel(x, y)) > 128) {
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
  ASSERT_GE(right, left);
  EXPECT_NEAR((left + right) / 2.0, 49.5, 1.5);
  EXPECT_NEAR((top + bottom) / 2.0, 29.5, 1.5);
  // Upright: the bar's ends are at the top rows (image rows grow downwards).
  EXPECT_GT(qAlpha(image.pixel(left + 1, top + 1)), 128);
  EXPECT_EQ(qAlpha(image.pixel(left + 1, bottom - 1)), 0);
}
