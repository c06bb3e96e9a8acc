#include "kit/CountDownView.h"
#include "kit/ProportionValueProvider.h"
#include "kit/ReadoutLayer.h"
#include "kit/walls/DurationView.h"
#include "kit/walls/SmallDurationView.h"

#include "art/BreakTimeStyleKit.h"
#include "art/CountDownStyleKit.h"
#include "platform/drawing/GraphicsContext.h"
#include "support/TestClock.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QSet>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <utility>

using namespace kr;

namespace {

struct FixedProportion final : ProportionValueProvider {
  double currentProportion() const override { return value; }
  double value = 0.0;
};

bool isWhite(const QImage& image, int x, int yUp) {
  return image.pixelColor(x, image.height() - 1 - yUp).alpha() > 200 &&
         image.pixelColor(x, image.height() - 1 - yUp).lightness() > 200;
}

QImage lockIcon(double endAngle) {
  QImage image(39, 39, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  GraphicsContext context(&painter, 39);
  GraphicsContext::Scope scope(context);
  BreakTimeStyleKit::drawLockIcon(QRectF(0, 0, 39, 39), ResizingBehavior::fit, endAngle);
  return image;
}

// A rest screen's dial at 600x600 through a whole pulse and round the dial,
// in steps as the rest screen takes them, some of them larger.
struct SteppedDial {
  SteppedDial() {
    view.resize(600, 600);
    view.setProportionValueProvider(&provider);
    view.animate(600.0);
  }
  // Whether step `step` (from 1) asks for a repaint.
  bool step(int step) {
    clock.advance(step % 7 == 0 ? 1.3 : 0.5);
    provider.value = std::min(1.0, provider.value + (step % 5 == 0 ? 0.11 : 0.004));
    return view.refresh();
  }
  test::TestClock clock;
  CountDownView view;
  FixedProportion provider;
};

} // namespace

TEST(CountDownView, SliceAngleTurnsClockwiseFromTwelveOClockOnceRound) {
  EXPECT_DOUBLE_EQ(CountDownView::endAngleForProportion(0.0), 90.0);
  EXPECT_DOUBLE_EQ(CountDownView::endAngleForProportion(0.5), -90.0);
  EXPECT_DOUBLE_EQ(CountDownView::endAngleForProportion(1.0), -270.0);
}

TEST(CountDownView, ProviderDecidesTheSliceElseTheAnimatedTimeAndThePulseEases) {
  test::TestClock clock;
  CountDownView view;
  view.resize(600, 600);
  view.animate(100.0);
  clock.advance(25.0);
  EXPECT_NEAR(view.proportionNow(), 0.25, 1e-9);
  FixedProportion provider;
  provider.value = 0.7;
  view.setProportionValueProvider(&provider);
  EXPECT_DOUBLE_EQ(view.proportionNow(), 0.7);
  clock.set(clock.now() - 25.0 + 3.0); // 3 s in: the ring at its largest
  EXPECT_NEAR(view.pulseScaleNow(), 1.05, 1e-9);
  clock.advance(3.0);
  EXPECT_NEAR(view.pulseScaleNow(), 1.0, 1e-9);
}

TEST(CountDownView, RepaintsOnlyWhenTheSliceOrTheRingMovedVisibly) {
  test::TestClock clock;
  CountDownView view;
  view.resize(600, 600);
  FixedProportion provider;
  view.setProportionValueProvider(&provider);
  view.animate(600.0);
  QPixmap canvas(view.size());
  view.render(&canvas);
  const int painted = view.paintCount();
  EXPECT_GE(painted, 1);
  // The ring barely moves at the turn of its pulse, the slice not at all.
  clock.advance(0.05);
  EXPECT_FALSE(view.refresh());
  provider.value = 0.0001; // 0.036 degrees
  EXPECT_FALSE(view.refresh());
  provider.value = 0.001; // 0.36 degrees: about a pixel and a half at the edge
  EXPECT_TRUE(view.refresh());
  EXPECT_FALSE(view.refresh()) << "one repaint asked for until it is painted";
  view.render(&canvas);
  EXPECT_EQ(view.paintCount(), painted + 1);
  EXPECT_FALSE(view.refresh());
  // Half way through a pulse the ring moves a pixel in a fraction of a second.
  clock.advance(1.45);
  EXPECT_TRUE(view.refresh());

  // A view too small to show anything has nothing to repaint: its frame is
  // taken without waiting for a painting that never comes, and once grown
  // it repaints as the slice moves.
  CountDownView tiny;
  tiny.setProportionValueProvider(&provider);
  tiny.animate(600.0);
  tiny.resize(0, 0);
  provider.value = 0.01;
  EXPECT_TRUE(tiny.refresh());
  EXPECT_TRUE(tiny.requestedRegion().isEmpty());
  tiny.resize(600, 600);
  provider.value = 0.02;
  EXPECT_TRUE(tiny.refresh());
  EXPECT_FALSE(tiny.requestedRegion().isEmpty());
}

TEST(CountDownStyleKit, WedgeFillsTheQuarterFromTwelveToThreeInTheInsetEllipse) {
  EXPECT_EQ(CountDownStyleKit::sliceRect(QRectF(0, 0, 200, 200)), QRectF(40, 39, 120, 120));
  const QImage quarter = CountDownStyleKit::imageOfSlice(QSizeF(200, 200), 90.0, 0.0);
  EXPECT_TRUE(isWhite(quarter, 130, 130)) << "upper right of the centre (100, 99)";
  EXPECT_FALSE(isWhite(quarter, 70, 130)) << "upper left stays empty";
  EXPECT_FALSE(isWhite(quarter, 130, 70)) << "lower right stays empty";
  EXPECT_FALSE(isWhite(quarter, 185, 185)) << "outside the inset ellipse";
  const QImage full = CountDownStyleKit::imageOfSlice(QSizeF(200, 200), 90.0, -270.0);
  EXPECT_TRUE(isWhite(full, 70, 70));
  EXPECT_EQ(CountDownStyleKit::imageOfReadOut(QStringLiteral("02′05″")).size(), QSize(300, 40));
}

TEST(ReadoutLayer, ShowsTheTimeLeftAndRunsToANewOneFromWhatIsOnScreen) {
  for (const auto& [seconds, text] : {std::pair{125.9, "02′05″"},
                                      {0.0, "00′00″"},
                                      {3725.0, "62′05″"},
                                      {1e9, "546′07″"},
                                      {std::nan(""), "00′00″"}}) {
    EXPECT_EQ(ReadoutLayer::readoutText(seconds), QString::fromUtf8(text)) << seconds;
  }
  test::TestClock clock;
  ReadoutLayer layer;
  EXPECT_EQ(layer.shownText(), QStringLiteral("00′00″"));
  EXPECT_EQ(layer.contents().size(), QSize(300, 40));
  struct Step {
    double setTo; // < 0: no new value
    double advance;
    double presented;
  };
  const Step steps[] = {
      {100.0, 0.125, 50.0}, // half way from 0
      {-1.0, 0.2, 100.0},   // arrived
      {40.0, 0.1, 76.0},    // 100 to 40, 0.4 of the way
      {0.0, 0.125, 38.0},   // from the 76 on screen towards 0
  };
  for (const Step& step : steps) {
    if (step.setTo >= 0.0)
      layer.setTimeLeft(step.setTo);
    clock.advance(step.advance);
    EXPECT_NEAR(layer.presentedTimeLeft(), step.presented, 1e-3) << step.setTo;
    if (step.setTo < 0.0) {
      EXPECT_FALSE(layer.isAnimating());
      EXPECT_EQ(layer.shownText(), QStringLiteral("01′40″"));
    }
  }
  clock.advance(1.0);
  EXPECT_EQ(layer.shownText(), QStringLiteral("00′00″"));
  // The text is drawn anew at the frames on the way, not only at the end.
  layer.setTimeLeft(60.0);
  QSet<QString> seen;
  for (int i = 0; i < 10; ++i) {
    clock.advance(0.03);
    seen.insert(layer.shownText());
  }
  EXPECT_GE(seen.size(), 6);
  EXPECT_EQ(layer.shownText(), QStringLiteral("01′00″"));
  EXPECT_FALSE(layer.isAnimating());
  EXPECT_EQ(clock.runningTimerCount(), 0) << "no frames once the text stands";
}

TEST(DurationView, ReadOutShowsMinutesAndSecondsBelowAnHourThenHoursAndMinutes) {
  using T = DurationViewStyleKit::Texts;
  auto same = [](const T& a, const T& b) {
    return a.firstLabel == b.firstLabel && a.secondLabel == b.secondLabel &&
           a.firstDigits == b.firstDigits && a.secondDigits == b.secondDigits;
  };
  EXPECT_TRUE(same(DurationView::textsFor(0, true), T{"M", "S", "00", "00"}));
  EXPECT_TRUE(same(DurationView::textsFor(3599, true), T{"M", "S", "59", "59"}));
  EXPECT_TRUE(same(DurationView::textsFor(3600, true), T{"H", "M", "01", "00"}));
  EXPECT_TRUE(same(DurationView::textsFor(7384, true), T{"H", "M", "02", "03"}));
  EXPECT_TRUE(same(DurationView::textsFor(360000, true), T{"H", "M", "100", "00"}));
  EXPECT_TRUE(same(DurationView::textsFor(42, false), T{"", "", "--", "--"}));
  EXPECT_DOUBLE_EQ(DurationViewStyleKit::textGrey(true), 0.7);
}

// With a black backdrop the rest screen's read-out paints it itself, under
// the digits: what lies beneath never shows, and it looks as it did over black.
TEST(SmallDurationView, WithABackdropLooksAsOverItAndHidesWhatLiesBeneath) {
  SmallDurationView view;
  view.resize(100, 40);
  view.seconds = 754;
  view.disabled = true;
  auto drawn = [&view](QColor under) {
    QImage image(view.size(), QImage::Format_RGB32);
    image.fill(under);
    view.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
  };
  const QImage overBlack = drawn(Qt::black);
  EXPECT_NE(drawn(Qt::red), overBlack) << "without a backdrop what lies beneath shows";
  view.setBackdrop(Qt::black);
  EXPECT_TRUE(view.testAttribute(Qt::WA_OpaquePaintEvent));
  EXPECT_EQ(drawn(Qt::red), overBlack);
  int lit = 0;
  for (int y = 0; y < overBlack.height(); ++y) {
    for (int x = 0; x < overBlack.width(); ++x)
      lit += qGray(overBlack.pixel(x, y)) > 100;
  }
  EXPECT_GT(lit, 40) << "the digits are drawn";
}

TEST(BreakTimeStyleKit, LockIconWedgeFollowsTheAngleAndTheShackleOpensOnlyWhenFull) {
  const QImage quarter = lockIcon(90.0);
  EXPECT_TRUE(isWhite(quarter, 30, 30)) << "twelve to three o'clock is white";
  EXPECT_FALSE(isWhite(quarter, 9, 9)) << "the rest of the disc stays grey";
  const QImage full = lockIcon(360.0);
  EXPECT_TRUE(isWhite(full, 9, 9));
  EXPECT_TRUE(BreakTimeStyleKit::isShackleOpen(360.0));
  EXPECT_FALSE(BreakTimeStyleKit::isShackleOpen(359.9));
  EXPECT_NE(lockIcon(360.0), lockIcon(359.9)) << "the open shackle is drawn differently";
}

TEST(CountDownView, RepaintsOnlyWhereTheDrawingChangesAndThatCoversEveryChangedPixel) {
  SteppedDial dial;
  CountDownView& view = dial.view;
  auto drawing = [&view] {
    QImage image(view.size(), QImage::Format_RGB32);
    view.render(&image);
    return image;
  };
  QImage before = drawing();
  int checked = 0;
  for (int step = 1; step <= 40; ++step) {
    if (!dial.step(step))
      continue;
    const QRegion region = view.requestedRegion();
    const QImage after = drawing();
    qint64 area = 0;
    for (const QRect& r : region)
      area += qint64(r.width()) * r.height();
    if (step % 5 != 0) {
      EXPECT_LT(area, 600 * 600 / 4) << step; // a small part of the dial
    }
    int outside = 0;
    for (int y = 0; y < after.height(); ++y) {
      for (int x = 0; x < after.width(); ++x) {
        if (before.pixel(x, y) != after.pixel(x, y) && !region.contains(QPoint(x, y)))
          ++outside;
      }
    }
    EXPECT_EQ(outside, 0) << "changed pixels left out at step " << step;
    before = after;
    ++checked;
  }
  EXPECT_GE(checked, 30);

  // While only the ring moves, each rectangle repainted holds a changed
  // pixel, and all of them cover at most about three times the changed
  // pixels: blocks of four rows where the ring moves by a pixel or two,
  // joined into taller bands where the ring's edges run steeply, in a few
  // hundred rectangles rather than one for each block and edge.
  for (int step = 1; step <= 12; ++step) {
    dial.clock.advance(0.5);
    if (!view.refresh())
      continue;
    const QRegion region = view.requestedRegion();
    const QImage after = drawing();
    qint64 area = 0;
    qint64 changed = 0;
    for (const QRect& r : region) {
      area += qint64(r.width()) * r.height();
      qint64 inRect = 0;
      for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x)
          inRect += before.pixel(x, y) != after.pixel(x, y);
      }
      EXPECT_GT(inRect, 0) << "a rectangle with nothing changed at step " << step;
      changed += inRect;
    }
    EXPECT_GT(changed, 0) << step;
    EXPECT_LE(area, changed * 3) << step;
    EXPECT_LE(region.rectCount(), 300) << step;
    before = after;
  }
  // The first drawing, and one after a jump of the slice, repaint the whole view.
  CountDownView fresh;
  fresh.resize(600, 600);
  fresh.animate(60.0);
  dial.clock.advance(1.0);
  ASSERT_TRUE(fresh.refresh());
  EXPECT_EQ(fresh.requestedRegion(), QRegion(fresh.rect()));
  EXPECT_EQ(view.changedRegion(90.0, 1.0, -100.0, 1.0), QRegion(view.rect()));
}

TEST(CountDownView, ChangedRegionIsFewRowBlocksHuggingWhatMoved) {
  test::TestClock clock;
  CountDownView view;
  view.resize(600, 600);
  auto area = [](const QRegion& region) {
    qint64 sum = 0;
    for (const QRect& r : region)
      sum += qint64(r.width()) * r.height();
    return sum;
  };
  // A pixel or two of the ring's pulse: its two edges' bands, not its inside
  // nor the slice's; whole blocks of rows, each with a run for each edge
  // either side of the ring.
  const QRegion ring = view.changedRegion(0.0, 1.02, 0.0, 1.025);
  EXPECT_LE(ring.rectCount(), 4 * 600 / CountDownView::kRepaintRows);
  EXPECT_LT(area(ring), 60000);
  EXPECT_FALSE(ring.contains(QPoint(300, 300)));
  EXPECT_FALSE(ring.contains(QPoint(300, 300 - 200))) << "inside the ring, above the centre";
  EXPECT_TRUE(ring.contains(QPoint(300 + 284, 300))) << "its outer edge at three o'clock";
  for (const QRect& r : ring) {
    EXPECT_EQ(r.top() % CountDownView::kRepaintRows, 0);
    EXPECT_TRUE(r.height() % CountDownView::kRepaintRows == 0 || r.bottom() == 599);
  }
  // A quarter degree of the slice past three o'clock: its edge there, a pixel
  // round the centre and the rim back to three o'clock, where the quarter
  // it ends in begins; the quarter before it stays as drawn.
  const QRegion slice = view.changedRegion(-0.25, 1.0, -0.5, 1.0);
  EXPECT_TRUE(slice.contains(QPoint(300 + 150, 300)));
  EXPECT_TRUE(slice.contains(QPoint(300, 300)));
  EXPECT_FALSE(slice.contains(QPoint(300 + 184, 300 - 184))) << "the rim at half past one";
  EXPECT_FALSE(slice.contains(QPoint(300 - 150, 300)));
  EXPECT_FALSE(slice.contains(QPoint(300 + 100, 300 - 100)));
  EXPECT_LT(area(slice), 8000);
  EXPECT_LT(slice.rectCount(), 50);
  // Past a quarter the whole quarter's rim may change.
  EXPECT_TRUE(view.changedRegion(-0.25, 1.0, 0.25, 1.0).contains(QPoint(300 + 184, 300 - 184)));
  // Each answer starts from nothing: after a larger one, and on another
  // view, the same.
  view.changedRegion(-10.0, 1.0, -70.0, 1.02);
  EXPECT_EQ(view.changedRegion(-0.25, 1.0, -0.5, 1.0), slice);
  CountDownView other;
  other.resize(600, 600);
  EXPECT_EQ(other.changedRegion(-0.25, 1.0, -0.5, 1.0), slice);
}

// The ring copied from its kept pixels looks as the ring stroked over the
// slice, at several radii of the pulse and at one and two pixels per point.
TEST(CountDownView, TheKeptRingLooksAsStrokedAtEachRadiusAndPixelRatio) {
  test::TestClock clock;
  CountDownView view;
  view.resize(600, 600);
  FixedProportion provider;
  provider.value = 0.3;
  view.setProportionValueProvider(&provider);
  view.animate(600.0);
  auto image = [](int ratio) {
    QImage result(600 * ratio, 600 * ratio, QImage::Format_RGB32);
    result.setDevicePixelRatio(ratio);
    result.fill(Qt::black);
    return result;
  };
  const double start = clock.now();
  for (const int ratio : {1, 2}) {
    const uchar* coverage = nullptr;
    for (const double t : {0.0, 0.8, 1.5, 2.2, 3.0}) {
      clock.set(start + t);
      // The slice moves on too: its kept coverage is drawn again where it moved.
      provider.value = 0.3 + t / 7.0;
      QImage kept = image(ratio);
      view.render(&kept);
      const int strokes = view.ringStrokeCount();
      const int slices = view.sliceDrawCount();
      view.render(&kept);
      EXPECT_EQ(view.ringStrokeCount(), strokes) << "copied, not stroked, at " << t;
      EXPECT_EQ(view.sliceDrawCount(), slices) << "the slice did not move: copied at " << t;
      // Its coverage is drawn over in place, frame after frame.
      if (!coverage)
        coverage = view.keptGround().constBits();
      EXPECT_EQ(view.keptGround().constBits(), coverage) << "no new image at " << t;
      EXPECT_EQ(view.keptGround().devicePixelRatio(), ratio);
      // The ring stroked over the slice as the view drew it before it kept
      // the ring's pixels.
      QImage stroked = image(ratio);
      {
        QPainter painter(&stroked);
        painter.setRenderHint(QPainter::Antialiasing);
        GraphicsContext context(&painter, 600);
        GraphicsContext::Scope scope(context);
        CountDownStyleKit::drawSlice(QRectF(0, 0, 600, 600), 90.0,
                                     CountDownView::endAngleForProportion(provider.value));
        const double scale = view.paintedScale();
        context.translate(300, 300);
        context.scale(scale * 600 / 400, scale * 600 / 400);
        context.translate(-200, -200);
        CountDownStyleKit::drawOuterCircle(QRectF(0, 0, 400, 400));
      }
      int worst = 0;
      int white = 0;
      for (int y = 0; y < kept.height(); ++y) {
        for (int x = 0; x < kept.width(); ++x) {
          const QRgb a = kept.pixel(x, y);
          const QRgb b = stroked.pixel(x, y);
          worst = std::max({worst, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                            std::abs(qBlue(a) - qBlue(b))});
          white += qRed(a) == 255;
        }
      }
      EXPECT_LE(worst, 2) << "at " << t << " s, " << ratio << " pixels per point";
      EXPECT_GT(white, 20000 * ratio * ratio) << "the slice and the ring drawn";
    }
  }
  // Each radius of the pulse is a whole device pixel more than the last: of
  // the screen before any painting, then of the last painting (here two per
  // point).
  CountDownView unpainted;
  unpainted.resize(600, 600);
  EXPECT_DOUBLE_EQ(unpainted.drawnScale(1.0), 1.0);
  EXPECT_NEAR((unpainted.drawnScale(1.05) - 1.0) * 270.0, 14.0, 1e-9);
  EXPECT_NEAR((unpainted.drawnScale(1.0251) - 1.0) * 270.0, 7.0, 1e-9);
  EXPECT_NEAR((view.drawnScale(1.05) - 1.0) * 540.0, 27.0, 1e-9);
}

// The rest screen paints only the region refresh() asks for, over what the
// screen still shows: frame after frame, that must look exactly as a full
// painting of the same moment, at whole and fractional pixel ratios alike.
// Clipping to the region changes no pixel of the antialiased edges, so any
// difference is a pixel the region left out.
TEST(CountDownView, PaintingFrameByFrameOnlyWhereAskedLooksAsAFullPainting) {
  for (const double ratio : {1.0, 1.25, 1.5, 2.0}) {
    SteppedDial dial;
    CountDownView& view = dial.view;
    auto blank = [ratio] {
      const int side = static_cast<int>(600 * ratio);
      QImage image(side, side, QImage::Format_RGB32);
      image.setDevicePixelRatio(ratio);
      image.fill(Qt::red); // shows any pixel nobody painted
      return image;
    };
    QImage kept = blank();
    view.render(&kept);
    int frames = 0;
    for (int step = 1; step <= 40; ++step) {
      if (!dial.step(step))
        continue;
      const QRegion region = view.requestedRegion();
      if (step % 5 != 0 && step % 7 != 0) {
        EXPECT_LE(region.rectCount(), 400) << "few rectangles at " << ratio << ", step " << step;
      }
      // render() puts the region's top-left corner at the offset given, and
      // paints all of the view for an empty region.
      if (!region.isEmpty())
        view.render(&kept, region.boundingRect().topLeft(), region);
      QImage full = blank();
      view.render(&full);
      int differing = 0;
      QPoint first;
      for (int y = 0; y < full.height(); ++y) {
        const auto* a = reinterpret_cast<const QRgb*>(kept.constScanLine(y));
        const auto* b = reinterpret_cast<const QRgb*>(full.constScanLine(y));
        for (int x = 0; x < full.width(); ++x) {
          if (a[x] != b[x] && differing++ == 0)
            first = QPoint(x, y);
        }
      }
      EXPECT_EQ(differing, 0) << "stale pixels at " << ratio << " pixels per point, step " << step
                              << ", first at device pixel " << first.x() << "," << first.y();
      ++frames;
    }
    EXPECT_GE(frames, 30) << ratio;
  }
}
