#include "window/BubbleViewWithArrowOnTop.h"
#include "window/MainWindow.h"
#include "window/MainWindowController.h"

#include "art/KorvaneStyleKit.h"
#include "platform/drawing/GraphicsContext.h"
#include "platform/settings/UserDefaults.h"

#include <gtest/gtest.h>

#include <QImage>

#include <cmath>

using namespace kr;

namespace {

bool near(QRgb pixel, const QColor& expected, int tolerance) {
  const QColor c = expected.toRgb();
  return std::abs(qRed(pixel) - c.red()) <= tolerance &&
         std::abs(qGreen(pixel) - c.green()) <= tolerance &&
         std::abs(qBlue(pixel) - c.blue()) <= tolerance;
}

std::string describe(QRgb pixel) {
  return QColor::fromRgba(pixel).name(QColor::HexArgb).toStdString();
}

bool isWhite(QRgb pixel) { return qRed(pixel) > 240 && qGreen(pixel) > 240 && qBlue(pixel) > 240; }

} // namespace

TEST(MainWindowArtwork, TheWindowShowsTheKitsBackgroundAndLogo) {
  UserDefaults::standard().registerDefault(QStringLiteral("topLeftX"), -1.0);
  UserDefaults::standard().registerDefault(QStringLiteral("topLeftY"), -1.0);
  auto window = MainWindow::makeMainWindow(UserDefaults::standard());
  QWidget info;
  info.setFixedSize(440, 200);
  QWidget buttons;
  buttons.setFixedSize(440, 34);
  window->controller().showPage(&info, &buttons, nullptr);
  window->show();
  QWidget* content = window->controller().contentWall();
  const QImage image = content->grab().toImage();
  const int h = image.height();
  ASSERT_GT(h, 150);

  // The middle of the page shows the background's n2 base.
  EXPECT_TRUE(near(image.pixel(220, h / 2), KorvaneStyleKit::n2(), 1))
      << describe(image.pixel(220, h / 2));
  // The bands: darkest (n8) next to the top and the bottom edges, n6 towards the middle.
  const QColor& n8 = KorvaneStyleKit::n8();
  EXPECT_TRUE(near(image.pixel(100, 2), n8, 2)) << describe(image.pixel(100, 2));
  EXPECT_TRUE(near(image.pixel(100, h - 3), n8, 2)) << describe(image.pixel(100, h - 3));
  EXPECT_FALSE(near(image.pixel(100, 30), n8, 2)) << "the high band lightens downwards";

  // The logo fills the title band's lower 21 points: its K stem stands 35.7
  // to 39.2 across, 2.05 to 16.05 above the band's bottom, wholly in the band.
  QWidget* band = content->findChild<QWidget*>(QStringLiteral("titleBand"));
  QWidget* logo = content->findChild<QWidget*>(QStringLiteral("custom title bar"));
  ASSERT_NE(band, nullptr);
  ASSERT_NE(logo, nullptr);
  const QRect bandRect(band->mapTo(content, QPoint(0, 0)), band->size());
  const QRect logoRect(logo->mapTo(content, QPoint(0, 0)), logo->size());
  EXPECT_EQ(logoRect.bottom(), bandRect.bottom());
  const int stemX = logoRect.x() + 37;
  const int bottom = bandRect.bottom(); // the band's lowest row
  for (int up : {3, 9, 15}) {
    const QRgb stem = image.pixel(stemX, bottom - up);
    EXPECT_TRUE(isWhite(stem)) << up << " " << describe(stem);
  }
  const QRgb above = image.pixel(stemX, bottom - 17);
  EXPECT_FALSE(isWhite(above)) << describe(above);
}

TEST(MainWindowArtwork, ABubbleIsDrawnByTheKitAlone) {
  QWidget parent;
  parent.resize(100, 40);
  auto* bubble = new BubbleViewWithArrowOnTop(QRect(0, 0, 60, 25), &parent);
  bubble->setTitle(QStringLiteral("10:15"));
  bubble->setMiddleX(30);
  QImage drawn(60, 25, QImage::Format_ARGB32_Premultiplied);
  drawn.fill(Qt::transparent);
  bubble->render(&drawn, QPoint(), QRegion(), QWidget::DrawChildren);

  QImage expected(60, 25, QImage::Format_ARGB32_Premultiplied);
  expected.fill(Qt::transparent);
  {
    QPainter painter(&expected);
    GraphicsContext context(&painter, 25);
    GraphicsContext::Scope scope(context);
    KorvaneStyleKit::drawBubbleWithArrowOnTop(QRectF(0, 0, 60, 25), QStringLiteral("10:15"), 30);
  }
  EXPECT_EQ(drawn, expected);
  // The chevron's left arm: (27.5, 21.5) up from the bottom.
  EXPECT_GT(qAlpha(drawn.pixel(27, 3)), 100);
}
