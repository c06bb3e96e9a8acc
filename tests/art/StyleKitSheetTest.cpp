// Draws every drawing of every style kit into one named sheet, written as
// style-kit-sheet.png into the build folder for a person to look at, and
// checks that each drawing paints inside its cell (the empty ones nothing).
#include "art/BreakTimeStyleKit.h"
#include "art/CountDownStyleKit.h"
#include "art/DurationViewStyleKit.h"
#include "art/KorvaneStyleKit.h"
#include "kit/skins/BricksDrawing.h"
#include "platform/drawing/GraphicsContext.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using namespace kr;
using K = KorvaneStyleKit;

namespace {

constexpr int kCellWidth = 460;
constexpr int kCellHeight = 130;
constexpr int kCaption = 18;
constexpr int kColumns = 3;
const QColor kBackground = QColor::fromRgbF(0.45f, 0.45f, 0.47f);

struct Drawing {
  QString name;
  std::function<void()> draw; // within (0, 0, 440, 100), y up
  bool drawsNothing = false;
};

// Draws `draw` scaled by `factor` about the origin.
std::function<void()> scaled(double factor, std::function<void()> draw) {
  return [factor, draw] {
    GraphicsContext& gc = *GraphicsContext::current();
    gc.saveState();
    gc.scale(factor, factor);
    draw();
    gc.restoreState();
  };
}

std::vector<Drawing> korvaneDrawings() {
  const QRectF icon(0, 0, 36, 36);
  const QRectF bar(0, 20, 300, 24);
  return {
      {"KorvaneStyleKit.drawEventView (both ticks)",
       [] { K::drawEventView(QRectF(0, 0, 220, 60), true, true, QStringLiteral("Planning")); }},
      {"KorvaneStyleKit.drawBackground (440 x 100)",
       [] { K::drawBackground(QRectF(0, 0, 440, 100)); }},
      {"KorvaneStyleKit.drawHideIcon (x2)", [=] { K::drawHideIcon(icon); }},
      {"KorvaneStyleKit.drawBubbleWithArrowOnTop (x2)",
       scaled(
           2,
           [] { K::drawBubbleWithArrowOnTop(QRectF(0, 0, 60, 25), QStringLiteral("10:45"), 30); })},
      {"KorvaneStyleKit.drawLogo (design size, and x2)",
       [] {
         K::drawLogo(QRectF(0, 70, 187, 21));
         K::drawLogo(QRectF(0, 0, 374, 42));
       }},
      {"KorvaneStyleKit.drawAlternativeOption",
       [] { K::drawAlternativeOption(QRectF(0, 20, 160, 40)); }},
      {"KorvaneStyleKit.drawNowPadIcon, Later, Scratch, LogBook, Stats, Help (x2, and x1)",
       [=] {
         const std::vector<void (*)(const QRectF&, ResizingBehavior)> icons = {
             K::drawNowPadIcon,  K::drawLaterPadIcon, K::drawScratchPadIcon,
             K::drawLogBookIcon, K::drawStatsIcon,    K::drawHelpIcon};
         for (size_t i = 0; i < icons.size(); ++i) {
           icons[i](icon.translated(10 + 50.0 * i, 50), ResizingBehavior::fit);
           icons[i](QRectF(10 + 50.0 * i, 10, 18, 18), ResizingBehavior::fit);
         }
       }},
      {"KorvaneStyleKit.drawTitleBarRoundButton (x2)",
       [] { K::drawTitleBarRoundButton(QRectF(0, 0, 26, 32)); }},
      {"KorvaneStyleKit.drawPadBackground (nothing)",
       [] { K::drawPadBackground(QRectF(0, 0, 440, 100)); }, true},
      {"KorvaneStyleKit.drawSegmentedControl (nothing)",
       [] { K::drawSegmentedControl(QRectF(0, 0, 440, 100)); }, true},
      {"KorvaneStyleKit.drawHighlightedSegmentedControl (nothing)",
       [] { K::drawHighlightedSegmentedControl(QRectF(0, 0, 440, 100)); }, true},
      {"KorvaneStyleKit.drawEmpty(Start/End)PlaceholderIcon (nothing)",
       [] {
         K::drawEmptyPlaceholderIcon(QRectF(0, 0, 40, 36));
         K::drawEmptyEndPlaceholderIcon(QRectF(50, 0, 58, 36));
         K::drawEmptyStartPlaceholderIcon(QRectF(120, 0, 48, 36));
       },
       true},
      {"KorvaneStyleKit.drawMainWindowMask", [] { K::drawMainWindowMask(QRectF(0, 0, 64, 64)); }},
      {"KorvaneStyleKit.drawLogBookEntry", [] { K::drawLogBookEntry(QRectF(0, 20, 300, 40)); }},
      {"KorvaneStyleKit.drawFilterIcon (x4)", [] { K::drawFilterIcon(QRectF(0, 0, 40, 48)); }},
      {"KorvaneStyleKit.drawTagTokenFieldBackground",
       [] { K::drawTagTokenFieldBackground(QRectF(0, 20, 300, 22)); }},
      {"KorvaneStyleKit.drawStatePreferencesIcon (x2)",
       [] { K::drawStatePreferencesIcon(QRectF(0, 0, 32, 36)); }},
      {"KorvaneStyleKit.drawDummyTitleFragmentText",
       [] { K::drawDummyTitleFragmentText(QRectF(0, 20, 300, 22)); }},
      {"KorvaneStyleKit.drawTitleFragmentBar", [=] { K::drawTitleFragmentBar(bar); }},
      {"KorvaneStyleKit.drawFirstLabelFragmentBar", [=] { K::drawFirstLabelFragmentBar(bar); }},
      {"KorvaneStyleKit.drawDefaultFragmentBackground",
       [=] { K::drawDefaultFragmentBackground(bar); }},
      {"KorvaneStyleKit.drawCanvas1 (x0.5)", [] { K::drawCanvas1(QRectF(0, 0, 100, 100)); }},
      {"KorvaneStyleKit.drawLabelFragmentBar", [=] { K::drawLabelFragmentBar(bar); }},
      {"KorvaneStyleKit.drawOptionFragmentBar", [=] { K::drawOptionFragmentBar(bar); }},
      {"KorvaneStyleKit.drawHelpIndexIcon (x2)",
       [] { K::drawHelpIndexIcon(QRectF(0, 0, 32, 36)); }},
      {"KorvaneStyleKit.drawBold/StrikeThrough/Underline/Plain/ItalicsIndicator (x2)",
       [] {
         const std::vector<void (*)(const QRectF&, ResizingBehavior)> indicators = {
             K::drawBoldIndicator, K::drawStrikeThroughIndicator, K::drawUnderlineIndicator,
             K::drawPlainIndicator, K::drawItalicsIndicator};
         for (size_t i = 0; i < indicators.size(); ++i)
           indicators[i](QRectF(50.0 * i, 20, 40, 40), ResizingBehavior::fit);
       }},
      {"KorvaneStyleKit.drawInbetweenWall", [] { K::drawInbetweenWall(QRectF(0, 20, 300, 30)); }},
      {"KorvaneStyleKit.drawAlternativeUIIcon (x2)",
       [] { K::drawAlternativeUIIcon(QRectF(0, 0, 32, 36)); }},
      {"KorvaneStyleKit.drawCalendarNoEvents",
       [] { K::drawCalendarNoEvents(QRectF(0, 0, 440, 80)); }},
  };
}

std::vector<Drawing> otherDrawings() {
  const DurationViewStyleKit::Texts texts{QStringLiteral("m"), QStringLiteral("s"),
                                          QStringLiteral("25"), QStringLiteral("00")};
  const QRectF button(0, 30, 140, 30);
  const QRectF box(0, 30, 180, 24);
  return {
      {"CountDownStyleKit.drawSlice, drawOuterCircle (x0.5)",
       scaled(0.5,
              [] {
                CountDownStyleKit::drawOuterCircle(QRectF(0, 0, 200, 200));
                CountDownStyleKit::drawSlice(QRectF(0, 0, 200, 200), 90, -60);
                CountDownStyleKit::drawSlice(QRectF(250, 0, 200, 200), 90, 200);
              })},
      {"CountDownStyleKit.drawReadOut",
       [] { CountDownStyleKit::drawReadOut(QStringLiteral("24:59")); }},
      {"DurationViewStyleKit.drawDurationView, disabled",
       [=] {
         DurationViewStyleKit::drawDurationView(texts, {68.0, 12.0, 12.0}, false);
         GraphicsContext::current()->translate(220, 0);
         DurationViewStyleKit::drawDurationView(texts, {68.0, 12.0, 12.0}, true);
       }},
      {"DurationViewStyleKit.drawSmallDurationView",
       [=] {
         DurationViewStyleKit::drawSmallDurationView(texts, {32.0, 5.0, 10.0}, false);
       }},
      {"BreakTimeStyleKit.drawLockIcon (200, 360) and flashColor",
       [] {
         BreakTimeStyleKit::drawLockIcon(QRectF(0, 10, 78, 78), ResizingBehavior::fit, 200);
         BreakTimeStyleKit::drawLockIcon(QRectF(100, 10, 78, 78), ResizingBehavior::fit, 360);
         GraphicsContext::current()->fillRect(QRectF(200, 10, 78, 78),
                                              BreakTimeStyleKit::flashColor());
       }},
      {"BricksDrawing.drawPushButton, drawPushButtonWithGradient",
       [=] {
         BricksDrawing::drawPushButton(
             button, BricksDrawing::standardFill(), BricksDrawing::standardStroke(),
             BricksDrawing::standardText(), BricksDrawing::lightShadow(), QStringLiteral("Push"));
         BricksDrawing::drawPushButtonWithGradient(
             button.translated(160, 0), BricksDrawing::standardStroke(),
             BricksDrawing::standardText(), BricksDrawing::standardHighlightGradient(),
             QStringLiteral("Gradient"));
       }},
      {"BricksDrawing.drawRoundedRegularButton, Highlighted, Dark",
       [=] {
         BricksDrawing::drawRoundedRegularButton(button, QStringLiteral("Regular"));
         BricksDrawing::drawRoundedRegularButtonHighlighted(button.translated(145, 0),
                                                            QStringLiteral("Highlighted"));
         BricksDrawing::drawDarkRoundedRegularButton(button.translated(290, 0),
                                                     QStringLiteral("Dark"));
       }},
      {"BricksDrawing.drawRoundedPullDownButton, drawDarkRoundedPullDownButton",
       [=] {
         BricksDrawing::drawRoundedPullDownButton(
             button, BricksDrawing::standardFill(), BricksDrawing::standardStroke(),
             BricksDrawing::standardText(), QStringLiteral("Pull-down"));
         BricksDrawing::drawDarkRoundedPullDownButton(button.translated(160, 0),
                                                      BricksDrawing::darkText(),
                                                      QStringLiteral("Dark pull-down"));
       }},
      {"BricksDrawing.drawCheckBoxInOffState, drawCheckBoxInOnState",
       [=] {
         BricksDrawing::drawCheckBoxInOffState(
             box, BricksDrawing::standardFill(), BricksDrawing::standardStroke(),
             BricksDrawing::standardText(), QStringLiteral("Off"));
         BricksDrawing::drawCheckBoxInOnState(box.translated(200, 0), BricksDrawing::standardFill(),
                                              BricksDrawing::standardStroke(),
                                              BricksDrawing::standardText(), QStringLiteral("On"));
       }},
      {"BricksDrawing.drawCanvas3, drawCanvas2, drawCheck, drawSliderKnob",
       [] {
         BricksDrawing::drawCanvas3(QRectF(0, 10, 120, 80), ResizingBehavior::fit,
                                    BricksDrawing::standardText());
         BricksDrawing::drawCanvas2(QRectF(130, 10, 120, 80), ResizingBehavior::fit);
         BricksDrawing::drawCheck(QRectF(260, 30, 40, 40), ResizingBehavior::fit);
         BricksDrawing::drawSliderKnob(QRectF(320, 30, 40, 40));
       }},
  };
}

int changedPixels(const QImage& image) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      count += image.pixel(x, y) != kBackground.rgba();
  return count;
}

} // namespace

TEST(StyleKitSheet, EveryDrawingOfEveryKitIsOnTheSheet) {
  std::vector<Drawing> drawings = korvaneDrawings();
  for (Drawing& d : otherDrawings())
    drawings.push_back(std::move(d));
  const int rows = int((drawings.size() + kColumns - 1) / kColumns);
  QImage sheet(kColumns * kCellWidth, rows * kCellHeight, QImage::Format_ARGB32_Premultiplied);
  sheet.fill(QColor(40, 40, 44));
  QPainter painter(&sheet);
  QFont caption = painter.font();
  caption.setPixelSize(11);
  for (size_t i = 0; i < drawings.size(); ++i) {
    const Drawing& d = drawings[i];
    QImage cell(kCellWidth - 20, kCellHeight - kCaption - 12, QImage::Format_ARGB32_Premultiplied);
    cell.fill(kBackground);
    {
      QPainter cellPainter(&cell);
      GraphicsContext context(&cellPainter, cell.height());
      GraphicsContext::Scope scope(context);
      context.translate(5, 5);
      d.draw();
    }
    const int changed = changedPixels(cell);
    if (d.drawsNothing)
      EXPECT_EQ(changed, 0) << d.name.toStdString();
    else
      EXPECT_GT(changed, 20) << d.name.toStdString();
    const QPoint origin(int(i % kColumns) * kCellWidth, int(i / kColumns) * kCellHeight);
    painter.setFont(caption);
    painter.setPen(QColor(230, 230, 230));
    painter.drawText(QRect(origin + QPoint(10, 2), QSize(kCellWidth - 20, kCaption)),
                     Qt::AlignLeft | Qt::AlignVCenter, d.name);
    painter.drawImage(origin + QPoint(10, kCaption + 4), cell);
  }
  painter.end();
  const QString path = QStringLiteral(KR_SHEET_DIR "/style-kit-sheet.png");
  ASSERT_TRUE(sheet.save(path)) << path.toStdString();
  EXPECT_EQ(QImage(path).size(), sheet.size());
}
