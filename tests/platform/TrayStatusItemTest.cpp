#include "platform/linux/tray/TrayStatusItem.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QProcess>
#include <QSystemTrayIcon>
#include <QTest>

using namespace kr;

// Xvfb has no tray until a tray host runs on it.
TEST(TrayStatusItem, SaysWhenThereIsNoTrayAndShowsInOneOnceItExists) {
  {
    TrayStatusItem item;
    ASSERT_FALSE(item.isAvailable());
    EXPECT_FALSE(item.unavailableReason().isEmpty());
    item.show(); // nothing to show it in: no effect, no complaint
  }
  QProcess host;
  host.start(QStringLiteral("trayer"),
             {QStringLiteral("--edge"), QStringLiteral("top"), QStringLiteral("--widthtype"),
              QStringLiteral("pixel"), QStringLiteral("--width"), QStringLiteral("100"),
              QStringLiteral("--height"), QStringLiteral("24")});
  if (!host.waitForStarted(5000))
    GTEST_SKIP() << "trayer is not installed";
  // Waits for the tray host to claim the tray selection, not for time to pass.
  EXPECT_TRUE(QTest::qWaitFor([] { return QSystemTrayIcon::isSystemTrayAvailable(); }, 10000));
  TrayStatusItem item;
  EXPECT_TRUE(item.isAvailable());
  EXPECT_TRUE(item.unavailableReason().isEmpty());
  QImage image(22, 22, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::darkGray);
  item.setImage(image);
  item.setToolTip(QStringLiteral("12:34"));
  item.show();
  // Docked: the tray tells where the icon is.
  EXPECT_TRUE(QTest::qWaitFor([&item] { return !item.geometry().isEmpty(); }, 10000));
  host.terminate();
  host.waitForFinished(5000);
}
