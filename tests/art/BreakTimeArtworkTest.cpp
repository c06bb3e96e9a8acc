#include "art/BreakTimeStyleKit.h"
#include "platform/drawing/GraphicsContext.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>

using namespace kr;

namespace {

constexpr double kScale = 4.0;

// The pixel under design point (x, y), y up, of an image `kScale` pixels per unit.
QRgb at(const QImage& image, double x, double y) {
  return image.pixel(int(std::floor(x * kScale)), image.height() - 1 - int(std::floor(y * kScale)));
}

bool isDarkGrey(QRgb pixel) {
  return qAlpha(pixel) > 240 && std::abs(qRed(pixel) - 85) <= 2 && std::abs(qBlue(pixel) - 85) <= 2;
}
bool isBlack(QRgb pixel, int alpha = 255) {
  return std::abs(qAlpha(pixel) - alpha) <= 2 && qRed(pixel) < 3 && qBlue(pixel) < 3;
}
bool isEmpty(QRgb pixel) { return qAlpha(pixel) == 0; }

QImage canvas(const QRectF& frame, QSize size) {
  QImage image(size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  {
    GraphicsContext context(&painter, image.height());
    GraphicsContext::Scope scope(context);
    BreakTimeStyleKit::drawCanvas1(frame);
  }
  return image;
}

int grey(QRgb pixel) { return qGray(pixel); }

} // namespace

// The dial's wedge runs clockwise from twelve o'clock: a quarter at 270, three
// quarters at 90; the ring round it is drawn either way, and every call makes
// a new image.
TEST(BreakTimeArtwork, StatusDialWedgeRunsClockwiseFromTwelve) {
  const DrawnImage quarter = BreakTimeStyleKit::imageOfStatusItem(270);
  ASSERT_EQ(quarter.size(), QSizeF(18, 18));
  EXPECT_FALSE(quarter.isSameImage(BreakTimeStyleKit::imageOfStatusItem(270)));
  const QImage q = quarter.toImage(kScale);
  const QImage t = BreakTimeStyleKit::imageOfStatusItem(90).toImage(kScale);
  // Quadrants round the centre (8.75, 8.75): upper right, lower right, lower
  // left, upper left.
  const QPointF quadrants[] = {{11, 11}, {11, 6.5}, {6.5, 6.5}, {6.5, 11}};
  const bool quarterCovers[] = {true, false, false, false};
  const bool threeQuartersCover[] = {true, true, true, false};
  for (int i = 0; i < 4; ++i) {
    const QPointF p = quadrants[i];
    EXPECT_EQ(isDarkGrey(at(q, p.x(), p.y())), quarterCovers[i]) << "270, quadrant " << i;
    EXPECT_EQ(isDarkGrey(at(t, p.x(), p.y())), threeQuartersCover[i]) << "90, quadrant " << i;
    if (!quarterCovers[i]) {
      EXPECT_TRUE(isEmpty(at(q, p.x(), p.y()))) << "270, quadrant " << i;
    }
  }
  for (const QImage* image : {&q, &t}) {
    EXPECT_TRUE(isDarkGrey(at(*image, 15.0, 8.75))) << "the ring at three o'clock";
    EXPECT_TRUE(isDarkGrey(at(*image, 8.75, 2.5))) << "the ring at six o'clock";
  }
}

// Each button's image is made once; its shapes sit where the 16 x 16 canvas
// puts them, the fast-forward and transparent ones at half opacity.
TEST(BreakTimeArtwork, ButtonImagesAreKeptAndDrawTheirShapes) {
  using Image = DrawnImage (*)();
  struct Button {
    Image image;
    QList<QPointF> black;
    QList<QPointF> halfBlack;
    QList<QPointF> empty;
  };
  const Button buttons[] = {
      {&BreakTimeStyleKit::imageOfPlayButton, {{5, 8}, {12, 8}}, {}, {{12, 3}, {2, 8}}},
      {&BreakTimeStyleKit::imageOfPauseButton, {{4.5, 8}, {11.5, 13}}, {}, {{8, 8}, {4.5, 15}}},
      {&BreakTimeStyleKit::imageOfFastForwardButton, {}, {{3, 8}, {10, 8}}, {{3, 14}, {15.5, 3}}},
      {&BreakTimeStyleKit::imageOfTransparentPlayButton, {}, {{5, 8}}, {{12, 3}}},
      {&BreakTimeStyleKit::imageOfAddButton, {{8, 8}, {3, 8}, {8, 13}}, {}, {{3, 3}, {13, 13}}},
  };
  for (size_t i = 0; i < std::size(buttons); ++i) {
    const Button& button = buttons[i];
    const DrawnImage image = button.image();
    EXPECT_TRUE(image.isSameImage(button.image())) << i;
    ASSERT_EQ(image.size(), QSizeF(16, 16)) << i;
    const QImage pixels = image.toImage(kScale);
    for (const QPointF& p : button.black)
      EXPECT_TRUE(isBlack(at(pixels, p.x(), p.y()))) << i << " at " << p.x() << "," << p.y();
    for (const QPointF& p : button.halfBlack)
      EXPECT_TRUE(isBlack(at(pixels, p.x(), p.y()), 128)) << i << " at " << p.x() << "," << p.y();
    for (const QPointF& p : button.empty)
      EXPECT_TRUE(isEmpty(at(pixels, p.x(), p.y()))) << i << " at " << p.x() << "," << p.y();
  }
  EXPECT_FALSE(BreakTimeStyleKit::imageOfPlayButton().isSameImage(
      BreakTimeStyleKit::imageOfTransparentPlayButton()));
}

// The panel: a light frame round a dark display with light digits over a
// caption; drawn into a frame twice its size it is twice as large.
TEST(BreakTimeArtwork, BreakPanelShowsItsReadOutAtAnySize) {
  for (const double scale : {1.0, 2.0}) {
    const QSize size(int(385 * scale), int(191 * scale));
    const QImage image = canvas(QRectF(QPointF(0, 0), QSizeF(size)), size);
    // y down in the image: the display spans design y 48 to 173.
    const auto pixel = [&](double x, double yUp) {
      return image.pixel(int(x * scale), int((191 - yUp) * scale));
    };
    EXPECT_NEAR(grey(pixel(9, 100)), 223, 2) << "the frame, scale " << scale;
    EXPECT_LT(grey(pixel(24, 54)), 90) << "the display";
    EXPECT_LT(grey(pixel(24, 14)), 60) << "the caption bar";
    int lightDigits = 0;
    int lightCaption = 0;
    for (int x = 30; x < 355; ++x) {
      for (int y = 60; y < 165; y += 3)
        lightDigits += grey(pixel(x, y)) > 200;
      for (int y = 14; y < 36; ++y)
        lightCaption += grey(pixel(x, y)) > 150;
    }
    EXPECT_GT(lightDigits, 300) << "\"05:03\" is drawn, scale " << scale;
    EXPECT_GT(lightCaption, 100) << "the caption is drawn, scale " << scale;
  }
}
