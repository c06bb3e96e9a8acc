// The sheet buttons under a pad: which can be pressed, and that each looks
// the way it acts, on light and dark skins.
#include "window/NowAndLaterBoardManager.h"
#include "window/PadViewController.h"

#include "engine/BackingStoreDescriptor.h"
#include "platform/services/TestAlertPresenter.h"
#include "platform/settings/UserDefaults.h"
#include "support/FreshDefaults.h"
#include "support/TestClock.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using namespace kr;

namespace {

// How far the button's most distinct pixel stands from the colour under it
// (0 to 255), drawn on that colour, with or without the pointer over it.
int contrast(QToolButton* button, bool hovered) {
  const QColor under = button->palette().color(QPalette::Window);
  QImage image(button->size() * 2, QImage::Format_ARGB32);
  image.setDevicePixelRatio(2.0);
  image.fill(under);
  button->setAttribute(Qt::WA_UnderMouse, hovered);
  button->render(&image, {}, {}, QWidget::DrawChildren);
  button->setAttribute(Qt::WA_UnderMouse, false);
  int most = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QColor pixel = image.pixelColor(x, y);
      most = std::max(most, std::abs(qGray(pixel.rgb()) - qGray(under.rgb())));
    }
  }
  return most;
}

QPalette darkPalette() {
  QPalette palette;
  palette.setColor(QPalette::Window, QColor(0x2d, 0x2d, 0x2d));
  palette.setColor(QPalette::WindowText, QColor(0xee, 0xee, 0xee));
  palette.setColor(QPalette::Button, QColor(0x35, 0x35, 0x35));
  palette.setColor(QPalette::ButtonText, QColor(0xee, 0xee, 0xee));
  return palette;
}

class PadSheetButtons : public ::testing::Test {
protected:
  PadSheetButtons() {
    test::freshStandardDefaults();
    UserDefaults& defaults = UserDefaults::standard();
    defaults.registerDefault(QStringLiteral("nowPadBackgroundColor"), QStringLiteral("#ffffcc"));
    defaults.registerDefault(QStringLiteral("textColor"), QStringLiteral("#000000"));
    manager = std::make_unique<NowAndLaterBoardManager>(dir.path(), defaults);
    pad = std::make_unique<PadViewController>(true);
    pad->backgroundColorStorageKey = QStringLiteral("nowPadBackgroundColor");
    pad->backingStoreDescriptor = &manager->nowStoreDesc();
    pad->build();
    pad->view()->resize(400, 300);
    pad->view()->show();
  }

  // new, help, previous, next, delete: whether each can be pressed, and
  // that the look agrees with it in both skins.
  void expectButtons(bool previous, bool next, const char* where) {
    SCOPED_TRACE(where);
    EXPECT_TRUE(pad->newSheetButton()->isEnabled());
    EXPECT_TRUE(pad->helpButton()->isEnabled());
    EXPECT_EQ(pad->previousSheetButton()->isEnabled(), previous);
    EXPECT_EQ(pad->nextSheetButton()->isEnabled(), next);
    EXPECT_EQ(pad->deleteSheetButton()->isEnabled(), previous || next);
    for (const bool dark : {false, true}) {
      pad->view()->setPalette(dark ? darkPalette() : QPalette());
      for (QToolButton* button :
           {pad->newSheetButton(), pad->nextSheetButton(), pad->previousSheetButton(),
            pad->deleteSheetButton(), pad->helpButton()}) {
        SCOPED_TRACE(button->objectName().toStdString() + (dark ? " dark" : " light"));
        const int normal = contrast(button, false);
        const int hovered = contrast(button, true);
        if (button->isEnabled()) {
          EXPECT_GE(normal, 120);
          EXPECT_GE(hovered, normal);
        } else {
          EXPECT_LE(normal, 75);
          EXPECT_LE(hovered, 75);
        }
      }
    }
    pad->view()->setPalette(QPalette());
  }

  // Pressing the button changes the sheet exactly when it is enabled.
  void press(QToolButton* button) {
    const std::optional<QString> before = manager->nowStoreDesc().index().selectedID();
    const bool enabled = button->isEnabled();
    QTest::mouseClick(button, Qt::LeftButton);
    if (!enabled) {
      EXPECT_EQ(manager->nowStoreDesc().index().selectedID(), before);
    }
  }

  QTemporaryDir dir;
  test::TestClock clock;
  TestAlertPresenter alerts;
  ScopedAlertPresenter scopedAlerts{alerts};
  std::unique_ptr<NowAndLaterBoardManager> manager;
  std::unique_ptr<PadViewController> pad;
};

} // namespace

TEST_F(PadSheetButtons, EachButtonIsEnabledAndLooksItOnOneTwoAndThreeSheets) {
  expectButtons(false, false, "one sheet");
  // Disabled buttons do nothing.
  press(pad->nextSheetButton());
  press(pad->previousSheetButton());
  press(pad->deleteSheetButton());
  EXPECT_TRUE(alerts.shown.isEmpty());

  press(pad->newSheetButton());
  expectButtons(true, false, "last of two");
  press(pad->nextSheetButton());
  press(pad->previousSheetButton());
  expectButtons(false, true, "first of two");

  pad->newSheet();
  expectButtons(true, false, "last of three");
  press(pad->previousSheetButton());
  expectButtons(true, true, "middle of three");
  press(pad->previousSheetButton());
  expectButtons(false, true, "first of three");
  press(pad->previousSheetButton());
  expectButtons(false, true, "still the first of three");

  // Deleting the middle sheet shows the last, now the second of two.
  press(pad->nextSheetButton());
  press(pad->deleteSheetButton());
  ASSERT_EQ(alerts.shown.size(), 1);
  expectButtons(true, false, "last of two after deleting");
  press(pad->deleteSheetButton());
  expectButtons(false, false, "one sheet after deleting");
}
