#include "window/StatusIconFace.h"
#include "window/StatusItemClickRules.h"
#include "window/StatusItemController.h"
#include "window/StatusItemMenuManager.h"

#include "platform/drawing/IconManager.h"
#include "platform/services/TestStatusItem.h"
#include "platform/settings/UserDefaults.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QMenu>

using namespace kr;

namespace {

QStringList titlesOf(const QMenu& menu) {
  QStringList titles;
  for (QAction* item : menu.actions())
    titles.append(item->isSeparator() ? QStringLiteral("---") : item->text());
  return titles;
}

std::unique_ptr<QAction> item(const QString& title) { return std::make_unique<QAction>(title); }

// Counts the pixels that are nearly white and nearly black.
std::pair<int, int> lightAndDark(const QImage& image) {
  int light = 0;
  int dark = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      if (c.alpha() < 200)
        continue;
      if (c.lightness() > 220)
        ++light;
      else if (c.lightness() < 60)
        ++dark;
    }
  }
  return {light, dark};
}

} // namespace

TEST(StatusIconFace, ShowsTheMinutesOfARunningCountDownOnly) {
  // A running slice, a break, the last minute, no count-down, a paused slice.
  EXPECT_EQ(StatusIconFace::forStatus(QStringLiteral(" 24:59"), 0, 0).minutes,
            QStringLiteral("24"));
  EXPECT_EQ(StatusIconFace::forStatus(QStringLiteral(" 05:00"), 0, 0).minutes, QStringLiteral("5"));
  EXPECT_EQ(StatusIconFace::forStatus(QStringLiteral(" 00:59"), 0, 0).minutes, QStringLiteral("0"));
  EXPECT_EQ(StatusIconFace::forStatus(QStringLiteral(" 120:00"), 0, 0).minutes,
            QStringLiteral("120"));
  EXPECT_TRUE(StatusIconFace::forStatus(QString(), 0, 0).minutes.isEmpty());
  EXPECT_TRUE(StatusIconFace::forStatus(QStringLiteral(" Paused"), 0, 0).minutes.isEmpty());
  const StatusIconFace paused = StatusIconFace::forStatus(QString(), 1, 0);
  EXPECT_TRUE(paused.on);
  EXPECT_EQ(paused.iconName, QStringLiteral("menu_bar_icon"));
  EXPECT_EQ(StatusIconFace::forStatus(QString(), 0, 1).iconName,
            QStringLiteral("plain_r_menu_bar"));
  // Seconds do not change the face: nothing to redraw within a minute.
  EXPECT_EQ(StatusIconFace::forStatus(QStringLiteral(" 24:59"), 0, 0),
            StatusIconFace::forStatus(QStringLiteral(" 24:01"), 0, 0));
}

TEST(StatusIconFace, DrawsLegibleDigitsAt22Pixels) {
  const QImage twelve = StatusIconFace::forStatus(QStringLiteral(" 12:00"), 0, 0).image(22);
  const QImage seven = StatusIconFace::forStatus(QStringLiteral(" 07:00"), 0, 0).image(22);
  const QImage wide = StatusIconFace::forStatus(QStringLiteral(" 100:00"), 0, 0).image(22);
  ASSERT_EQ(twelve.size(), QSize(22, 22));
  // Light digits on a dark badge: both present in quantity.
  const auto [light, dark] = lightAndDark(twelve);
  EXPECT_GT(light, 25);
  EXPECT_GT(dark, 150);
  EXPECT_NE(twelve, seven);
  // Three digits are narrowed into the badge instead of being cut off: no
  // light pixel in the outermost column.
  for (int y = 0; y < 22; ++y) {
    EXPECT_LT(wide.pixelColor(0, y).lightness(), 200);
    EXPECT_LT(wide.pixelColor(21, y).lightness(), 200);
  }
  EXPECT_EQ(StatusIconFace().image(22, 2.0).size(), QSize(44, 44));
}

// The application icon is the plain badge the build draws, in each size.
TEST(StatusIconFace, IsTheApplicationIconTheBuildDraws) {
  const QIcon icon = kr::IconManager::applicationIcon();
  const QList<QSize> sizes = icon.availableSizes();
  StatusIconFace face;
  face.iconName = kr::IconManager::menuBarIconNameForChoice(0);
  for (const int size : {16, 22, 48, 256}) {
    ASSERT_TRUE(sizes.contains(QSize(size, size))) << size;
    EXPECT_EQ(icon.pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32),
              face.image(size).convertToFormat(QImage::Format_ARGB32))
        << size;
  }
}

TEST(StatusItemController, RedrawsOnlyWhenTheFaceChanges) {
  UserDefaults& defaults = UserDefaults::standard();
  defaults.setValue(QStringLiteral("menubarIconChoice"), 0);
  TestStatusItem tray;
  StatusItemController controller(tray, defaults, [](const QString&) {});
  ASSERT_EQ(tray.images.size(), 1); // the plain icon at start
  EXPECT_EQ(tray.shows, 1);
  EXPECT_EQ(tray.menu, &controller.menu());
  EXPECT_FALSE(controller.titleItem()->isVisible());

  controller.setStatus(QStringLiteral(" 24:59"), 0);
  controller.setStatus(QStringLiteral(" 24:58"), 0);
  controller.setStatus(QStringLiteral(" 24:00"), 0);
  EXPECT_EQ(tray.images.size(), 2);
  EXPECT_EQ(tray.toolTip, QStringLiteral("24:00"));
  EXPECT_EQ(controller.titleItem()->text(), QStringLiteral("24:00"));
  EXPECT_TRUE(controller.titleItem()->isVisible());
  EXPECT_FALSE(controller.titleItem()->isEnabled());
  EXPECT_EQ(controller.menu().actions().first(), controller.titleItem());

  controller.setStatus(QStringLiteral(" 23:59"), 0);
  EXPECT_EQ(tray.images.size(), 3);
  EXPECT_EQ(controller.face().minutes, QStringLiteral("23"));

  // A new icon choice shows at once.
  defaults.setValue(QStringLiteral("menubarIconChoice"), 1);
  EXPECT_EQ(tray.images.size(), 4);
  EXPECT_EQ(controller.face().iconName, QStringLiteral("plain_r_menu_bar"));

  controller.setStatus(QString(), 0);
  EXPECT_EQ(tray.images.size(), 5);
  EXPECT_FALSE(controller.titleItem()->isVisible());
  // Without a count-down the tooltip names the application.
  EXPECT_EQ(tray.toolTip, QCoreApplication::applicationName());
  defaults.remove(QStringLiteral("menubarIconChoice"));
}

TEST(StatusItemController, MenuItemsSendTheirActions) {
  TestStatusItem tray;
  QStringList sent;
  StatusItemController controller(tray, UserDefaults::standard(),
                                  [&sent](const QString& action) { sent.append(action); });
  for (QAction* action : controller.menu().actions()) {
    if (!action->isSeparator() && action->isEnabled())
      action->trigger();
  }
  EXPECT_EQ(sent, (QStringList{QStringLiteral("attemptToTriggerStartTimeSlice"),
                               QStringLiteral("attemptToTriggerPauseTimeSlice"),
                               QStringLiteral("attemptToTriggerEndTimeSlice"),
                               QStringLiteral("attemptToTriggerStartTimedBreak"),
                               QStringLiteral("bringToFront"), QStringLiteral("terminate")}));
}

TEST(StatusItemMenuManager, KeepsTheStateItemsInOneBlockBeforeTheFirstSeparator) {
  QMenu menu;
  menu.addAction(QStringLiteral("Start"));
  menu.addAction(QStringLiteral("Stop"));
  menu.addSeparator();
  menu.addAction(QStringLiteral("Quit"));
  StatusItemMenuManager manager;
  manager.setMenu(&menu);

  manager.removeAllItems(); // on an empty manager: nothing changes
  EXPECT_EQ(titlesOf(menu), (QStringList{QStringLiteral("Start"), QStringLiteral("Stop"),
                                         QStringLiteral("---"), QStringLiteral("Quit")}));

  manager.addItem(item(QStringLiteral("Add 1 Minute")));
  manager.addItem(item(QStringLiteral("Add 3 Minutes")));
  EXPECT_EQ(manager.firstItemIndex(), 2);
  EXPECT_EQ(titlesOf(menu),
            (QStringList{QStringLiteral("Start"), QStringLiteral("Stop"), QStringLiteral("---"),
                         QStringLiteral("Add 1 Minute"), QStringLiteral("Add 3 Minutes"),
                         QStringLiteral("---"), QStringLiteral("Quit")}));

  // A second block replaces the first: still exactly one extra separator.
  manager.removeAllItems();
  manager.addItem(item(QStringLiteral("Extend Time Slice by 1 Minute")));
  EXPECT_EQ(titlesOf(menu),
            (QStringList{QStringLiteral("Start"), QStringLiteral("Stop"), QStringLiteral("---"),
                         QStringLiteral("Extend Time Slice by 1 Minute"), QStringLiteral("---"),
                         QStringLiteral("Quit")}));
  manager.removeAllItems();
  EXPECT_EQ(titlesOf(menu), (QStringList{QStringLiteral("Start"), QStringLiteral("Stop"),
                                         QStringLiteral("---"), QStringLiteral("Quit")}));
}

TEST(StatusItemMenuManager, WithoutASeparatorTheBlockGoesToTheEnd) {
  QMenu menu;
  menu.addAction(QStringLiteral("Start"));
  StatusItemMenuManager manager;
  manager.addItem(item(QStringLiteral("early"))); // no menu yet: only remembered
  EXPECT_EQ(manager.currentMenuItems().size(), 1u);
  manager.removeAllItems();
  manager.setMenu(&menu);
  manager.addItem(item(QStringLiteral("a")));
  manager.addItem(item(QStringLiteral("b")));
  manager.addItem(item(QStringLiteral("c")));
  EXPECT_EQ(manager.firstItemIndex(), 1);
  EXPECT_EQ(titlesOf(menu),
            (QStringList{QStringLiteral("Start"), QStringLiteral("---"), QStringLiteral("a"),
                         QStringLiteral("b"), QStringLiteral("c")}));
  // An item that already left its menu is passed over.
  menu.removeAction(manager.currentMenuItems().at(1));
  manager.removeAllItems();
  EXPECT_EQ(titlesOf(menu), QStringList{QStringLiteral("Start")});
}

TEST(StatusItemClickRules, LeftClickOutcomes) {
  using O = StatusItemClickRules::Outcome;
  auto decide = [](bool moves, bool active, bool same, bool otherScreen, bool minimized,
                   bool visible, bool modal = false) {
    return StatusItemClickRules::decide(
        {moves, active, same, otherScreen, minimized, visible, modal});
  };
  // Not moving: hide or bring forward.
  EXPECT_EQ(decide(false, true, true, false, false, true), O::hide);
  EXPECT_EQ(decide(false, false, true, false, false, true), O::bringToFront);
  EXPECT_EQ(decide(false, true, false, false, false, true), O::hide);
  EXPECT_EQ(decide(false, true, false, false, false, false), O::bringToFront);
  // A minimised window counts as not shown: it is brought back.
  EXPECT_EQ(decide(false, true, false, false, true, true), O::bringToFront);
  EXPECT_EQ(decide(true, true, true, true, true, true), O::moveAndBringToFront);
  // Moving, active.
  EXPECT_EQ(decide(true, true, true, true, false, true), O::moveWindow);
  EXPECT_EQ(decide(true, true, true, false, true, true), O::restore);
  EXPECT_EQ(decide(true, true, true, false, false, true), O::hide);
  // Moving, not active: placed at the icon and brought forward.
  EXPECT_EQ(decide(true, false, true, false, false, false), O::moveAndBringToFront);
  // Under a modal window (Preferences) a click never hides: that would end
  // the modal window's run. It brings both forward; the other outcomes stay.
  EXPECT_EQ(decide(true, true, true, false, false, true, true), O::bringToFront);
  EXPECT_EQ(decide(false, true, true, false, false, true, true), O::bringToFront);
  EXPECT_EQ(decide(true, true, true, false, true, true, true), O::restore);
  EXPECT_EQ(decide(true, false, true, false, true, false, true), O::moveAndBringToFront);
  // A right click, or a left one with Super or Ctrl held, pops the menu up instead.
  EXPECT_TRUE(StatusItemClickRules::popsMenu(true, Qt::NoModifier));
  EXPECT_TRUE(StatusItemClickRules::popsMenu(false, Qt::MetaModifier));
  EXPECT_TRUE(StatusItemClickRules::popsMenu(false, Qt::MetaModifier | Qt::ShiftModifier));
  EXPECT_TRUE(StatusItemClickRules::popsMenu(false, Qt::ControlModifier | Qt::AltModifier));
  EXPECT_FALSE(StatusItemClickRules::popsMenu(false, Qt::AltModifier | Qt::ShiftModifier));
}
