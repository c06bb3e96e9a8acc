#include "art/KorvaneStyleKit.h"
#include "platform/drawing/GraphicsContext.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

using namespace kr;

namespace {

// Renders a drawing into a w x h (design units) image, `scale` pixels per unit.
QImage render(double w, double h, const std::function<void()>& draw, double scale = 1.0) {
  QImage image(int(std::lround(w * scale)), int(std::lround(h * scale)),
               QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  {
    GraphicsContext context(&painter, image.height());
    GraphicsContext::Scope scope(context);
    context.scale(scale, scale);
    draw();
  }
  painter.end();
  return image;
}

// The pixel under design point (x, y), y up.
QRgb at(const QImage& image, double x, double y, double scale) {
  return image.pixel(int(std::floor(x * scale)), image.height() - 1 - int(std::floor(y * scale)));
}

bool near(QRgb pixel, const QColor& expected, int tolerance = 1) {
  const QColor c = expected.toRgb();
  return std::abs(qRed(pixel) - c.red()) <= tolerance &&
         std::abs(qGreen(pixel) - c.green()) <= tolerance &&
         std::abs(qBlue(pixel) - c.blue()) <= tolerance &&
         std::abs(qAlpha(pixel) - c.alpha()) <= tolerance;
}

bool isWhite(QRgb pixel) { return qAlpha(pixel) > 240 && qRed(pixel) > 240 && qBlue(pixel) > 240; }
bool isBlack(QRgb pixel) { return qAlpha(pixel) > 240 && qRed(pixel) < 15 && qBlue(pixel) < 15; }
bool isEmpty(QRgb pixel) { return qAlpha(pixel) == 0; }

std::string describe(QRgb pixel) {
  return QColor::fromRgba(pixel).name(QColor::HexArgb).toStdString();
}

// The gradient of the window's bands at fraction f from its first colour.
QColor bandColor(double f) {
  const QColor& n8 = KorvaneStyleKit::n8();
  const QColor& n6 = KorvaneStyleKit::n6();
  const QColor mid = blendedColor(n8, n6, 0.5);
  return f <= 0.1 ? blendedColor(n8, mid, f / 0.1) : blendedColor(mid, n6, (f - 0.1) / 0.9);
}

// The logotype's letters span the centre of the canvas from its first to its
// last letter: 115.6 units, starting at 35.7.
constexpr double kLogoLeft = 35.7;
constexpr double kLogoRight = 35.7 + 115.6;

} // namespace

TEST(WindowArtwork, BackgroundBandsRulesAndTopRow) {
  for (double s : {1.0, 2.0}) {
    const QImage image = render(
        200, 100, [] { KorvaneStyleKit::drawBackground(QRectF(0, 0, 200, 100)); }, s);
    EXPECT_TRUE(near(at(image, 100, 50, s), KorvaneStyleKit::n2())) << s;
    // The low band runs from n8 at the bottom towards n6.
    EXPECT_TRUE(near(at(image, 100, 0.25, s), bandColor(0.5 / 37), 2)) << s;
    EXPECT_TRUE(near(at(image, 100, 20, s), bandColor(20.25 / 37), 2))
        << s << " " << describe(at(image, 100, 20, s));
    // The high band runs from n8 at its top down to n6; the highest row stays n2.
    EXPECT_TRUE(near(at(image, 100, 99.75, s), KorvaneStyleKit::n2())) << s;
    EXPECT_TRUE(near(at(image, 100, 98.75, s), bandColor(0.5 / 36), 2)) << s;
    EXPECT_TRUE(near(at(image, 100, 70, s), bandColor((99 - 70.25) / 36), 2)) << s;
    EXPECT_TRUE(near(at(image, 0.25, 70, s), at(image, 199.75, 70, s), 0)) << "full width";
  }
  // At twice the size the two-tone rule shows: n1 covers the low half of the n8 rule.
  const QImage twice = render(
      200, 100, [] { KorvaneStyleKit::drawBackground(QRectF(0, 0, 200, 100)); }, 2);
  EXPECT_TRUE(near(at(twice, 100, 36.75, 2), KorvaneStyleKit::n8()));
  EXPECT_TRUE(near(at(twice, 100, 36.25, 2), KorvaneStyleKit::n1()));
  EXPECT_TRUE(near(at(twice, 100, 35.75, 2), KorvaneStyleKit::n1()));
  EXPECT_FALSE(near(at(twice, 100, 35.25, 2), KorvaneStyleKit::n1(), 2));
  EXPECT_TRUE(near(at(twice, 100, 37.25, 2), KorvaneStyleKit::n2()));
}

TEST(WindowArtwork, ALowBackgroundHasTheHighBandOnTopAndWholePointBandWidths) {
  for (double s : {1.0, 2.0}) {
    const QImage image = render(
        200, 60, [] { KorvaneStyleKit::drawBackground(QRectF(0, 0, 200, 60)); }, s);
    // The high band (23 to 59) covers the low band's rule at 35.5 to 37.
    const double y = 36.25;
    EXPECT_TRUE(near(at(image, 100, y, s), bandColor((59 - y) / 36), 2))
        << s << " " << describe(at(image, 100, y, s));
    EXPECT_TRUE(near(at(image, 100, 59.75, s), KorvaneStyleKit::n2())) << s;
    // Below the high band the low band shows.
    EXPECT_TRUE(near(at(image, 100, 10.25, s), bandColor(10.25 / 37), 2)) << s;
  }
  // A fractional width: the bands end on a whole point past the frame.
  const QImage wide = render(
      103, 80, [] { KorvaneStyleKit::drawBackground(QRectF(0, 0, 100.6, 80)); }, 5);
  EXPECT_TRUE(near(at(wide, 100.9, 10.1, 5), bandColor(10.1 / 37), 2));
  EXPECT_TRUE(isEmpty(at(wide, 101.1, 10.1, 5)));
  EXPECT_TRUE(isEmpty(at(wide, 100.9, 40, 5))); // the n2 base keeps to the frame
}

TEST(WindowArtwork, LogoIsWhiteLettersCentredOnItsCanvasWithAShadow) {
  for (double s : {1.0, 2.0}) {
    // Drawn at twice the size through the frame, or at design size on a
    // twice-as-dense device: the canvas units land on the same points.
    const QImage image = render(
        187 * s, 21 * s, [s] { KorvaneStyleKit::drawLogo(QRectF(0, 0, 187 * s, 21 * s)); }, 1.0);
    auto pixel = [&](double x, double y) { return at(image, x, y, s); };
    // The two bars: the K's stem (3.5 wide) and the R's (2.5 wide), 2.05 to 16.05.
    EXPECT_TRUE(isWhite(pixel(kLogoLeft + 1.75, 9))) << s;
    EXPECT_TRUE(isWhite(pixel(kLogoLeft + 1.75, 15.5))) << s;
    EXPECT_FALSE(isWhite(pixel(kLogoLeft + 1.75, 16.6))) << s;
    EXPECT_TRUE(isWhite(pixel(kLogoRight - 12.4 + 1.25, 9))) << s;
    // The hyphen, with nothing above it.
    const double hyphenX = kLogoRight - 12.4 - 2.0 - 2.5;
    EXPECT_TRUE(isWhite(pixel(hyphenX, 7.65))) << s;
    EXPECT_TRUE(isEmpty(pixel(hyphenX, 11))) << s;
    // The counter of the o is open.
    EXPECT_FALSE(isWhite(pixel(kLogoLeft + 14.2 + 2.5 + 6, 7.3))) << s;
    // The shadow falls below and right of the letters.
    const QRgb shade = pixel(kLogoLeft + 2.5, 1.5);
    EXPECT_GT(qAlpha(shade), 20) << s;
    EXPECT_LT(qRed(shade), 40) << s;
    // Nothing above the capitals, nothing outside the word.
    for (double x = 0.25; x < 187; x += 1.0) {
      EXPECT_TRUE(isEmpty(pixel(x, 19.5))) << s << " x " << x;
      EXPECT_FALSE(isWhite(pixel(x, 0.5))) << s << " x " << x;
    }
    int leftmost = image.width(), rightmost = -1;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x)
        if (isWhite(image.pixel(x, y))) {
          leftmost = std::min(leftmost, x);
          rightmost = std::max(rightmost, x);
        }
    EXPECT_NEAR(leftmost / s, kLogoLeft, 1.0) << s;
    EXPECT_NEAR(rightmost / s, kLogoRight, 2.5) << s;
  }
}

TEST(WindowArtwork, PadIconsFitTheirFrameAndScaleTheirShadow) {
  struct Icon {
    void (*draw)(const QRectF&, ResizingBehavior);
    QColor page;
  };
  const Icon pages[] = {
      {KorvaneStyleKit::drawNowPadIcon, KorvaneStyleKit::lightYellow()},
      {KorvaneStyleKit::drawLaterPadIcon, QColor::fromRgbF(0.722f, 0.965f, 0.514f)},
      {KorvaneStyleKit::drawScratchPadIcon, QColor::fromRgbF(0.832f, 0.757f, 0.993f)}};
  for (const Icon& icon : pages) {
    for (double s : {1.0, 2.0}) {
      const QImage image = render(
          18, 18, [&] { icon.draw(QRectF(0, 0, 18, 18), ResizingBehavior::fit); }, s);
      EXPECT_TRUE(near(at(image, 9, 8, s), icon.page)) << describe(at(image, 9, 8, s));
      EXPECT_TRUE(isBlack(at(image, 4.5, 8, s))); // the binding strip
      EXPECT_TRUE(isEmpty(at(image, 9, 17.5, s)));
      // The joint shadow falls right of the page, not left of it.
      EXPECT_GT(qAlpha(at(image, 15.25, 8, s)), 40);
      EXPECT_GT(qAlpha(at(image, 15.25, 8, s)), qAlpha(at(image, 2.25, 8, s)) + 20);
    }
  }
  // Fitted into 36 x 18: design size, centred, the shadow as at design size.
  const QImage alone =
      render(40, 20, [] { KorvaneStyleKit::drawNowPadIcon(QRectF(0, 1, 18, 18)); });
  const QImage wide = render(40, 20, [] { KorvaneStyleKit::drawNowPadIcon(QRectF(0, 1, 36, 18)); });
  EXPECT_TRUE(near(at(wide, 18, 9, 1), KorvaneStyleKit::lightYellow()));
  EXPECT_TRUE(isEmpty(at(wide, 5, 9, 1)));
  for (int dx = 0; dx < 4; ++dx)
    EXPECT_EQ(at(wide, 24.5 + dx, 9, 1), at(alone, 15.5 + dx, 9, 1)) << dx;
  // Fitted into a larger frame it grows, and so do its shadow's offset and
  // blur: compared with the icon drawn at design size on an equally dense
  // device, more shadow shows beside the page. (The context places shadows on
  // whole device pixels, so the difference shows from four times the size.)
  auto shadowBesidePage = [](double factor, bool throughFrame) {
    const double size = 18 * factor;
    const QImage image = render(
        size + 10, size + 10,
        [&] {
          KorvaneStyleKit::drawNowPadIcon(
              QRectF(0, 0, throughFrame ? size : 18, throughFrame ? size : 18));
        },
        throughFrame ? 1 : factor);
    EXPECT_TRUE(near(image.pixel(int(9 * factor), image.height() - 1 - int(8 * factor)),
                     KorvaneStyleKit::lightYellow()));
    int sum = 0;
    const int row = image.height() - 1 - int(8 * factor);
    for (int x = int(15 * factor); x < image.width(); ++x)
      sum += qAlpha(image.pixel(x, row));
    return sum;
  };
  EXPECT_GE(shadowBesidePage(2, true), shadowBesidePage(2, false));
  EXPECT_GT(shadowBesidePage(4, true), shadowBesidePage(4, false) + 100);
}

TEST(WindowArtwork, LogBookStatsHelpAndHideIcons) {
  for (double s : {1.0, 2.0}) {
    const QRectF canvas(0, 0, 18, 18);
    const QImage book = render(
        18, 18, [&] { KorvaneStyleKit::drawLogBookIcon(canvas); }, s);
    EXPECT_TRUE(isWhite(at(book, 9, 6, s)));
    EXPECT_TRUE(isBlack(at(book, 9, 11.5, s)));
    EXPECT_GT(qAlpha(at(book, 15.25, 6, s)), 40); // shadow

    const QImage stats = render(
        18, 18, [&] { KorvaneStyleKit::drawStatsIcon(canvas); }, s);
    EXPECT_TRUE(isWhite(at(stats, 4, 13, s)));    // the first bar reaches 14
    EXPECT_LT(qAlpha(at(stats, 9, 12.5, s)), 60); // the second only 10
    EXPECT_TRUE(isWhite(at(stats, 9, 9, s)));
    EXPECT_TRUE(isWhite(at(stats, 14, 5, s)));
    EXPECT_FALSE(isWhite(at(stats, 14, 6.6, s)));
    EXPECT_TRUE(isWhite(at(stats, 2.25, 2.25, s))); // square low corner

    const QImage help = render(
        18, 18, [&] { KorvaneStyleKit::drawHelpIcon(canvas); }, s);
    int whiteInside = 0, whiteOutside = 0;
    for (int y = 0; y < help.height(); ++y)
      for (int x = 0; x < help.width(); ++x) {
        const QPointF p(x / s, (help.height() - 1 - y) / s);
        const bool inside = QRectF(1, 2, 16, 14).contains(p);
        (inside ? whiteInside : whiteOutside) += isWhite(help.pixel(x, y));
      }
    EXPECT_GT(whiteInside, 8 * s * s);
    EXPECT_EQ(whiteOutside, 0);

    const QImage hide = render(
        18, 18, [&] { KorvaneStyleKit::drawHideIcon(canvas); }, s);
    // The stroke runs from the high left to the low right, through the centre.
    const QRgb stroke = at(hide, 4.44, 14.41, s);
    EXPECT_GT(qAlpha(stroke), 180) << describe(stroke);
    EXPECT_LT(qRed(stroke), 15);
    EXPECT_GT(qAlpha(at(hide, 13.56, 3.79, s)), 180);
    EXPECT_TRUE(isEmpty(at(hide, 13.56, 14.41, s)));
    EXPECT_TRUE(isBlack(at(hide, 13.5, 9, s))) << describe(at(hide, 13.5, 9, s));   // the eye
    EXPECT_TRUE(isEmpty(at(hide, 7.6, 8.6, s))) << describe(at(hide, 7.6, 8.6, s)); // pupil
    EXPECT_TRUE(isEmpty(at(hide, 9, 16.5, s))); // above the eye, off the stroke
  }
}

TEST(WindowArtwork, StatsBarsHaveRoundedHighCorners) {
  const QImage stats = render(
      18, 18, [] { KorvaneStyleKit::drawStatsIcon(QRectF(0, 0, 18, 18)); }, 4);
  EXPECT_LT(qAlpha(at(stats, 2.1, 13.9, 4)), 100);
  EXPECT_TRUE(isWhite(at(stats, 2.1, 2.1, 4)));
  EXPECT_TRUE(isWhite(at(stats, 3, 13.9, 4)));
}

TEST(WindowArtwork, EventViewTicksAndLabel) {
  for (double s : {1.0, 2.0}) {
    const QRectF frame(0, 0, 120, 50);
    const QImage plain = render(
        120, 50, [&] { KorvaneStyleKit::drawEventView(frame, false, false, QString()); }, s);
    const QImage ticks = render(
        120, 50, [&] { KorvaneStyleKit::drawEventView(frame, true, true, QString()); }, s);
    // The rule, 28 below the top, from one point in to the right edge.
    EXPECT_TRUE(isWhite(at(plain, 60, 22.5, s)));
    EXPECT_TRUE(isWhite(at(plain, 119.5, 22.5, s)));
    EXPECT_TRUE(isEmpty(at(plain, 0.5, 22.5, s)));
    EXPECT_TRUE(isEmpty(at(plain, 0.5, 20, s)));
    EXPECT_TRUE(isEmpty(at(plain, 119.5, 20, s)));
    // The ticks fill the outermost columns from 32 to 23 below the top.
    for (double x : {0.5, 119.5}) {
      EXPECT_TRUE(isWhite(at(ticks, x, 18.25, s))) << x;
      EXPECT_TRUE(isWhite(at(ticks, x, 26.75, s))) << x;
      EXPECT_TRUE(isEmpty(at(ticks, x, 17.75, s))) << x;
      EXPECT_TRUE(isEmpty(at(ticks, x, 27.25, s))) << x;
    }
    EXPECT_TRUE(isEmpty(at(ticks, 1.5, 20, s)));
  }
  // A short label stands on the text rect's low edge; a long one wraps and is
  // cut at the text rect (11, 17, 118, 42 inside this frame).
  const QRectF frame(10, 10, 120, 50);
  const QImage shortLabel = render(140, 70, [&] {
    KorvaneStyleKit::drawEventView(frame, false, false, QStringLiteral("Team"));
  });
  const QString words = QStringLiteral("A very long calendar event title ").repeated(12);
  const QImage longLabel =
      render(140, 70, [&] { KorvaneStyleKit::drawEventView(frame, false, false, words); });
  auto inkRows = [](const QImage& image, double fromY, double toY, double fromX, double toX) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) {
        const double py = image.height() - 1 - y + 0.5, px = x + 0.5;
        if (py > fromY && py < toY && px > fromX && px < toX)
          count += qAlpha(image.pixel(x, y)) > 0;
      }
    return count;
  };
  EXPECT_GT(inkRows(shortLabel, 17, 31, 11, 129), 0);
  EXPECT_EQ(inkRows(shortLabel, 33, 59, 0, 140), 0);
  EXPECT_GT(inkRows(longLabel, 50, 59, 11, 129), 0); // the wrapped text fills the rect
  EXPECT_EQ(inkRows(longLabel, 59, 70, 0, 140), 0);  // and is cut at its high edge
  EXPECT_EQ(inkRows(longLabel, 0, 17, 0, 140), 0);
  EXPECT_EQ(inkRows(longLabel, 0, 70, 130, 140), 0);
  EXPECT_EQ(inkRows(longLabel, 0, 70, 0, 10), 0);
}

TEST(WindowArtwork, BubbleIsALabelAndAChevronThatMayStandOutsideTheFrame) {
  for (double s : {1.0, 2.0}) {
    const QImage image = render(
        100, 25,
        [] {
          KorvaneStyleKit::drawBubbleWithArrowOnTop(QRectF(0, 0, 60, 25), QStringLiteral("10:15"),
                                                    30);
        },
        s);
    // The chevron (26.5, 20.5) -> (29.5, 23.5) -> (32.5, 20.5), light grey.
    const QRgb arm = at(image, 27.5, 21.5, s);
    EXPECT_GT(qAlpha(arm), 100) << describe(arm);
    EXPECT_NEAR(qRed(arm) * 255.0 / std::max(1, qAlpha(arm)), 170, 3);
    EXPECT_GT(qAlpha(at(image, 31.5, 21.5, s)), 100);
    EXPECT_TRUE(isEmpty(at(image, 29.5, 20.25, s))); // open below the tip
    EXPECT_TRUE(isEmpty(at(image, 29.5, 24.6, s)));
    // The label lies in its 10-point band; no body is drawn.
    int label = 0, elsewhere = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < int(60 * s); ++x) {
        const double py = (image.height() - 1 - y + 0.5) / s;
        if (qAlpha(image.pixel(x, y)) == 0)
          continue;
        if (py > 8 && py < 18)
          ++label;
        else if (py < 20)
          ++elsewhere;
      }
    EXPECT_GT(label, 10);
    EXPECT_EQ(elsewhere, 0);
    EXPECT_TRUE(isEmpty(at(image, 5, 3, s)));
  }
  // A centre beyond the frame's right edge draws the chevron there all the same.
  const QImage outside = render(100, 25, [] {
    KorvaneStyleKit::drawBubbleWithArrowOnTop(QRectF(0, 0, 60, 25), QString(), 80);
  });
  EXPECT_GT(qAlpha(at(outside, 77.5, 21.5, 1)), 100);
  EXPECT_GT(qAlpha(at(outside, 81.5, 21.5, 1)), 100);
}

TEST(WindowArtwork, AlternativeOptionTagFieldAndTheEmptyDrawings) {
  for (double s : {1.0, 2.0}) {
    const QImage option = render(
        40, 20, [] { KorvaneStyleKit::drawAlternativeOption(QRectF(0, 0, 40, 20)); }, s);
    EXPECT_TRUE(near(at(option, 20, 18.6, s), QColor::fromRgbF(0.9f, 0.94f, 1.0f), 2));
    EXPECT_TRUE(near(at(option, 20, 1.4, s), QColor::fromRgbF(0.902f, 0.929f, 0.97f), 2));
    EXPECT_TRUE(isEmpty(at(option, 0.5, 10, s)));       // inset by one point
    EXPECT_EQ(qAlpha(at(option, 1.05, 18.95, s)), 255); // square high left
    for (QPointF corner : {QPointF(38.95, 18.95), QPointF(1.05, 1.05), QPointF(38.95, 1.05)})
      EXPECT_LT(qAlpha(at(option, corner.x(), corner.y(), s)), 128) << corner.x();

    const QImage field = render(
        50, 20, [] { KorvaneStyleKit::drawTagTokenFieldBackground(QRectF(0, 0, 50, 20)); }, s);
    EXPECT_TRUE(near(at(field, 25, 10, s), KorvaneStyleKit::n4()));
    EXPECT_LT(qAlpha(at(field, 0.01, 0.01, s)), 255);
  }
  const QImage none = render(50, 50, [] {
    KorvaneStyleKit::drawPadBackground(QRectF(0, 0, 50, 50));
    KorvaneStyleKit::drawSegmentedControl(QRectF(0, 0, 50, 50));
    KorvaneStyleKit::drawHighlightedSegmentedControl(QRectF(0, 0, 50, 50));
  });
  for (int y = 0; y < none.height(); ++y)
    for (int x = 0; x < none.width(); ++x)
      ASSERT_EQ(none.pixel(x, y), 0u);
}

TEST(WindowArtwork, IconImagesAreMadeOnceAndDrawnOnlyWhenPainted) {
  // Read outside any drawing pass: making an image draws nothing (a drawing
  // would need a current graphics context).
  ASSERT_EQ(GraphicsContext::current(), nullptr);
  const DrawnImage images[] = {
      KorvaneStyleKit::imageOfHideIcon(),     KorvaneStyleKit::imageOfNowPadIcon(),
      KorvaneStyleKit::imageOfLaterPadIcon(), KorvaneStyleKit::imageOfScratchPadIcon(),
      KorvaneStyleKit::imageOfLogBookIcon(),  KorvaneStyleKit::imageOfStatsIcon(),
      KorvaneStyleKit::imageOfHelpIcon()};
  const DrawnImage again[] = {
      KorvaneStyleKit::imageOfHideIcon(),     KorvaneStyleKit::imageOfNowPadIcon(),
      KorvaneStyleKit::imageOfLaterPadIcon(), KorvaneStyleKit::imageOfScratchPadIcon(),
      KorvaneStyleKit::imageOfLogBookIcon(),  KorvaneStyleKit::imageOfStatsIcon(),
      KorvaneStyleKit::imageOfHelpIcon()};
  for (size_t i = 0; i < std::size(images); ++i) {
    EXPECT_TRUE(images[i].isSameImage(again[i])) << i;
    EXPECT_EQ(images[i].size(), QSizeF(18, 18)) << i;
    for (size_t j = 0; j < i; ++j)
      EXPECT_FALSE(images[i].isSameImage(images[j])) << i << " " << j;
  }
  // Painted, each shows its drawing at the resolution asked for.
  const QImage now = KorvaneStyleKit::imageOfNowPadIcon().toImage(2.0);
  EXPECT_EQ(now.size(), QSize(36, 36));
  EXPECT_TRUE(near(at(now, 9, 8, 2), KorvaneStyleKit::lightYellow()));
  const QImage stats = KorvaneStyleKit::imageOfStatsIcon().toImage(1.0);
  EXPECT_TRUE(isWhite(at(stats, 4, 13, 1)));
  const QImage hide = KorvaneStyleKit::imageOfHideIcon().toImage(1.0);
  EXPECT_TRUE(isBlack(at(hide, 13.5, 9, 1)));
}
