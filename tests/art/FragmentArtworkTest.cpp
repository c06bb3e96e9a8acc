#include "art/KorvaneStyleKit.h"
#include "platform/drawing/GraphicsContext.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <functional>

using namespace kr;

namespace {

// Renders a drawing into a w x h image filled with `background`, `scale`
// pixels per unit; pixels are read in y-down image rows.
QImage render(double w, double h, const std::function<void()>& draw, double scale = 1.0,
              QColor background = Qt::transparent) {
  QImage image(int(w * scale), int(h * scale), QImage::Format_ARGB32_Premultiplied);
  image.fill(background);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  {
    GraphicsContext context(&painter, image.height());
    GraphicsContext::Scope scope(context);
    context.scale(scale, scale);
    draw();
  }
  painter.end();
  return image;
}

// The colour at drawing point (x, y), y up.
QRgb at(const QImage& image, double x, double y, double scale = 1.0) {
  return image.pixel(int(x * scale), image.height() - 1 - int(y * scale));
}

int opaquePixels(const QImage& image, int fromRow, int toRow) {
  int count = 0;
  for (int y = fromRow; y < toRow; ++y)
    for (int x = 0; x < image.width(); ++x)
      count += qAlpha(image.pixel(x, y)) > 0;
  return count;
}

} // namespace

TEST(FragmentArtworkTest, PlaceholdersLeaveEveryPixelAlone) {
  const QColor marker(10, 200, 30);
  for (ResizingBehavior behavior : {ResizingBehavior::fit, ResizingBehavior::fill,
                                    ResizingBehavior::stretch, ResizingBehavior::center}) {
    const QImage image = render(
        40, 30,
        [&] {
          KorvaneStyleKit::drawEmptyPlaceholderIcon(QRectF(0, 0, 40, 30), behavior);
          KorvaneStyleKit::drawEmptyEndPlaceholderIcon(QRectF(3, 3, 10, 10), behavior);
          KorvaneStyleKit::drawEmptyStartPlaceholderIcon(QRectF(0, 0, 40, 30), behavior);
        },
        1.0, marker);
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x)
        ASSERT_EQ(image.pixel(x, y), marker.rgba());
  }
}

TEST(FragmentArtworkTest, OptionBarAndInbetweenWallDifferOnlyInTheBar) {
  const QRectF frame(0, 0, 100, 20);
  const QImage option = render(100, 20, [&] { KorvaneStyleKit::drawOptionFragmentBar(frame); });
  const QImage wall = render(100, 20, [&] { KorvaneStyleKit::drawInbetweenWall(frame); });
  EXPECT_EQ(at(option, 50, 5), KorvaneStyleKit::n3().rgba());
  EXPECT_EQ(at(wall, 50, 5), KorvaneStyleKit::n2().rgba());
  for (const QImage* image : {&option, &wall}) {
    EXPECT_EQ(at(*image, 50, 19), KorvaneStyleKit::n6().rgba()); // the top row
    EXPECT_EQ(at(*image, 50, 18), KorvaneStyleKit::n1().rgba()); // the second row from the top
    EXPECT_EQ(at(*image, 0, 5), at(*image, 50, 5)); // the bar reaches past the left edge
  }
  // A frame lower than two units still draws both lines, partly outside it.
  const QImage thin =
      render(100, 4, [] { KorvaneStyleKit::drawOptionFragmentBar(QRectF(0, 1, 100, 1)); });
  EXPECT_EQ(at(thin, 50, 1), KorvaneStyleKit::n6().rgba());
  EXPECT_EQ(at(thin, 50, 0), KorvaneStyleKit::n1().rgba());
}

TEST(FragmentArtworkTest, LabelBarGradientChangesOnlyInItsTopPart) {
  const QImage image =
      render(100, 100, [] { KorvaneStyleKit::drawFirstLabelFragmentBar(QRectF(0, 0, 100, 100)); });
  const QColor bottom = QColor::fromRgba(at(image, 50, 0.5));
  const QColor mid = QColor::fromRgba(at(image, 50, 50));
  const QColor top = QColor::fromRgba(at(image, 50, 99.5));
  const QColor& n4 = KorvaneStyleKit::n4();
  const QColor& n2 = KorvaneStyleKit::n2();
  EXPECT_NEAR(bottom.redF(), n4.redF(), 0.01);
  // Half-way it is still near n4: the blend is reached only at 95 %.
  EXPECT_NEAR(mid.redF(), n4.redF() + (n2.redF() - n4.redF()) * 0.5 * 50 / 95, 0.01);
  EXPECT_NEAR(top.redF(), n2.redF(), 0.01);
  // The title bar's rounded top corners leave the corner pixel uncovered.
  const QImage titleBar = render(
      40, 20, [] { KorvaneStyleKit::drawDefaultFragmentBackground(QRectF(3, 0, 34, 20)); }, 10);
  EXPECT_EQ(qAlpha(at(titleBar, 0.05, 19.95, 10)), 0);
  EXPECT_EQ(at(titleBar, 0.05, 0.05, 10), KorvaneStyleKit::n4().rgba()); // square below
}

TEST(FragmentArtworkTest, StrikeThroughHasRoundCapsAndUnderlineButtCaps) {
  const double s = 10.0;
  const QImage strike = render(
      20, 20, [] { KorvaneStyleKit::drawStrikeThroughIndicator(QRectF(0, 0, 20, 20)); }, s);
  const QImage underline = render(
      20, 20, [] { KorvaneStyleKit::drawUnderlineIndicator(QRectF(0, 0, 20, 20)); }, s);
  EXPECT_GT(qAlpha(at(strike, 14.3, 9.5, s)), 200);
  EXPECT_GT(qAlpha(at(strike, 14.75, 9.5, s)), 100); // the round cap reaches past the end
  EXPECT_GT(qAlpha(at(underline, 14.3, 3.5, s)), 200);
  EXPECT_EQ(qAlpha(at(underline, 14.75, 3.5, s)), 0); // a butt cap stops at 14.48
  EXPECT_EQ(qAlpha(at(underline, 5.25, 3.5, s)), 0);
  EXPECT_GT(qAlpha(at(underline, 5.75, 3.5, s)), 200);
}

TEST(FragmentArtworkTest, PlainIndicatorCentresItsLetterAndSpace) {
  const double s = 10.0;
  const QImage plain = render(
      20, 20, [] { KorvaneStyleKit::drawPlainIndicator(QRectF(0, 0, 20, 20)); }, s);
  int left = 0;
  int right = 0;
  for (int y = 0; y < plain.height(); ++y)
    for (int x = 0; x < plain.width(); ++x)
      (x < plain.width() / 2 ? left : right) += qAlpha(plain.pixel(x, y)) > 0;
  EXPECT_GT(left, 0);
  EXPECT_GT(left, right); // the P sits left of the centre
}

TEST(FragmentArtworkTest, CalendarTextsKeepTheirBoxesBelowTheTop) {
  const QImage image =
      render(600, 100, [] { KorvaneStyleKit::drawCalendarNoEvents(QRectF(0, 0, 600, 100)); });
  EXPECT_EQ(opaquePixels(image, 0, 12), 0);   // nothing in the top 12 units
  EXPECT_GT(opaquePixels(image, 12, 32), 0);  // the first line
  EXPECT_EQ(opaquePixels(image, 54, 100), 0); // nothing below the second box
  EXPECT_GT(opaquePixels(image, 34, 54), 0);  // the second line
  int rightmost = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (qAlpha(image.pixel(x, y)) > 0)
        rightmost = std::max(rightmost, x);
  EXPECT_LT(rightmost, 435); // the boxes do not follow a wider frame
}

TEST(FragmentArtworkTest, IconsAreCachedAndDrawnWithinTheirCanvas) {
  EXPECT_TRUE(KorvaneStyleKit::imageOfStatePreferencesIcon().isSameImage(
      KorvaneStyleKit::imageOfStatePreferencesIcon()));
  EXPECT_EQ(KorvaneStyleKit::imageOfFilterIcon().size(), QSizeF(10, 12));
  EXPECT_EQ(KorvaneStyleKit::imageOfMainWindowMask().size(), QSizeF(64, 64));
  const QImage mask = KorvaneStyleKit::imageOfMainWindowMask().toImage();
  EXPECT_EQ(qAlpha(mask.pixel(32, 32)), 255);
  EXPECT_EQ(qAlpha(mask.pixel(0, 0)), 0); // the rounded corner
  const QImage preferences = KorvaneStyleKit::imageOfStatePreferencesIcon().toImage(4.0);
  EXPECT_EQ(qRed(preferences.pixel(4 * 8, preferences.height() - 1 - 4 * 8)), 255); // a white bar
  for (const DrawnImage& icon :
       {KorvaneStyleKit::imageOfAlternativeUIIcon(), KorvaneStyleKit::imageOfHelpIndexIcon(),
        KorvaneStyleKit::imageOfFilterIcon(), KorvaneStyleKit::imageOfItalicsIndicator(),
        KorvaneStyleKit::imageOfBoldIndicator()}) {
    const QImage image = icon.toImage(2.0);
    EXPECT_GT(opaquePixels(image, 0, image.height()), 10);
  }
}
