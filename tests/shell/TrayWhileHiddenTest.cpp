#include "shell/ApplicationShell.h"

#include "shell/AppDelegate.h"
#include "shell/MainController.h"

#include "engine/StateMachine.h"
#include "platform/linux/tray/TrayStatusItem.h"
#include "platform/settings/UserDefaults.h"
#include "states/StateLinkingHelper.h"
#include "states/TimeSliceRunningState.h"
#include "window/MainWindow.h"
#include "window/StatusItemController.h"

#include "LaunchedMachine.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QMenu>
#include <QProcess>
#include <QScopeGuard>
#include <QSystemTrayIcon>
#include <QTest>

#include <xcb/xcb.h>

#include <cstdlib>

using namespace kr;

namespace {

// Whether the X server shows the window (mapped, with every ancestor mapped).
bool isViewable(QWidget& widget) {
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  if (!x11)
    return false;
  xcb_connection_t* connection = x11->connection();
  const auto cookie =
      xcb_get_window_attributes(connection, static_cast<xcb_window_t>(widget.winId()));
  xcb_get_window_attributes_reply_t* reply =
      xcb_get_window_attributes_reply(connection, cookie, nullptr);
  if (!reply)
    return false;
  const bool viewable = reply->map_state == XCB_MAP_STATE_VIEWABLE;
  std::free(reply);
  return viewable;
}

// Qt's window of the tray icon, once the tray has embedded it.
QWidget* trayIconWindow() {
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (window->objectName() == QLatin1String("QSystemTrayIconSys"))
      return window;
  }
  return nullptr;
}

} // namespace

// A slice that hides the application leaves the tray icon in the tray, with
// its minutes and the running slice's menu.
TEST(TrayWhileHidden, TheIconStaysMappedAndItsMenuOffersTheRunningSlicesItems) {
  ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
  QProcess host;
  host.start(QStringLiteral("trayer"),
             {QStringLiteral("--edge"), QStringLiteral("top"), QStringLiteral("--widthtype"),
              QStringLiteral("pixel"), QStringLiteral("--width"), QStringLiteral("100"),
              QStringLiteral("--height"), QStringLiteral("24")});
  if (!host.waitForStarted(5000))
    GTEST_SKIP() << "trayer is not installed";
  const auto stopHost = qScopeGuard([&host] {
    host.terminate();
    host.waitForFinished(5000);
  });
  // Waits for the tray host to claim the tray selection.
  ASSERT_TRUE(QTest::qWaitFor([] { return QSystemTrayIcon::isSystemTrayAvailable(); }, 10000));

  test::LaunchedMachine m;
  UserDefaults& defaults = UserDefaults::standard();
  defaults.setValue(QStringLiteral("shouldHideOnTimeSliceRunningActivation"), true);
  const auto restore = qScopeGuard(
      [&] { defaults.remove(QStringLiteral("shouldHideOnTimeSliceRunningActivation")); });
  ShellContext context = m.context();
  context.applicationIsActive = [] { return true; };
  context.makeStatusItem = [] { return std::make_unique<TrayStatusItem>(); };
  ApplicationShell shell(std::move(context));
  shell.launch();
  ASSERT_NE(shell.statusItemController(), nullptr);
  MainWindow& window = *shell.appDelegate().mainWindow();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  QWidget* icon = nullptr;
  ASSERT_TRUE(QTest::qWaitFor(
      [&icon] {
        icon = trayIconWindow();
        return icon && isViewable(*icon);
      },
      10000));

  // The slice starts from the tray's menu and hides the application.
  QMenu& menu = shell.statusItemController()->menu();
  for (QAction* item : menu.actions()) {
    if (item->text() == QStringLiteral("Start Time Slice"))
      item->trigger();
  }
  ASSERT_EQ(shell.stateMachine().currentState(),
            &shell.stateLinkingHelper().timeSliceRunningState());
  ASSERT_TRUE(shell.appDelegate().isHidden());
  EXPECT_TRUE(QTest::qWaitFor([&window] { return !isViewable(window); }, 5000));
  // The server has unmapped the main window; the icon is still shown.
  EXPECT_TRUE(icon->isVisible());
  EXPECT_TRUE(isViewable(*icon));
  EXPECT_EQ(trayIconWindow(), icon);

  // A right click on the icon opens the menu with the running slice's items.
  QTest::mouseClick(icon, Qt::RightButton, {}, QPoint(icon->width() / 2, icon->height() / 2));
  ASSERT_TRUE(QTest::qWaitFor([&menu] { return menu.isVisible(); }, 5000));
  QStringList enabled;
  QStringList disabled;
  for (QAction* item : menu.actions()) {
    if (!item->isSeparator() && item->isVisible())
      (item->isEnabled() ? enabled : disabled).append(item->text());
  }
  for (const char* title : {"Pause/Resume Time Slice", "End Time Slice", "Add 1 Minute",
                            "Add 10 Minutes", "Show Korvane-R", "Quit Korvane-R"})
    EXPECT_TRUE(enabled.contains(QString::fromLatin1(title))) << title;
  for (const char* title : {"Start Time Slice", "Start Timed Break"})
    EXPECT_TRUE(disabled.contains(QString::fromLatin1(title))) << title;
  // The count-down heads the menu.
  EXPECT_TRUE(shell.statusItemController()->titleItem()->isVisible());
  menu.hide();
}
