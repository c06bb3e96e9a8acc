// The main window of the program as main() builds it, hidden and shown again
// on a desktop with a window manager: it comes back where it was, whatever
// the window system reported for it while it was away or not yet placed.
#include "StartedProgram.h"

#include "platform/settings/UserDefaults.h"
#include "shell/AppDelegate.h"
#include "shell/ApplicationShell.h"
#include "support/TestEnvironment.h"
#include "window/MainWindow.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QTest>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <ostream>

// Points print as x,y in the failures.
void PrintTo(const QPoint& point, std::ostream* out) { *out << point.x() << "," << point.y(); }

using namespace kr;

namespace {

xcb_connection_t* connection() {
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  return x11 ? x11->connection() : nullptr;
}

// Where the X server has the window, on the root window.
QPoint onScreen(const QWidget& window) {
  xcb_connection_t* c = connection();
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
  const auto cookie =
      xcb_translate_coordinates(c, static_cast<xcb_window_t>(window.winId()), root, 0, 0);
  xcb_translate_coordinates_reply_t* reply = xcb_translate_coordinates_reply(c, cookie, nullptr);
  if (!reply)
    return {-1, -1};
  const QPoint corner(reply->dst_x, reply->dst_y);
  std::free(reply);
  return corner;
}

// What a window manager tells a window of a place it gives it: a configure
// notification that it sends (the window takes its position as told).
void reportPlace(const QWidget& window, const QPoint& corner) {
  xcb_configure_notify_event_t event;
  std::memset(&event, 0, sizeof event);
  event.response_type = XCB_CONFIGURE_NOTIFY;
  event.event = event.window = static_cast<xcb_window_t>(window.winId());
  event.x = static_cast<int16_t>(corner.x());
  event.y = static_cast<int16_t>(corner.y());
  event.width = static_cast<uint16_t>(window.width());
  event.height = static_cast<uint16_t>(window.height());
  xcb_send_event(connection(), false, event.window, XCB_EVENT_MASK_STRUCTURE_NOTIFY,
                 reinterpret_cast<const char*>(&event));
  xcb_flush(connection());
}

// A move the user makes: the window asks the window manager for the place.
void askForPlace(const QWidget& window, const QPoint& corner) {
  const uint32_t values[] = {static_cast<uint32_t>(corner.x()), static_cast<uint32_t>(corner.y())};
  xcb_configure_window(connection(), static_cast<xcb_window_t>(window.winId()),
                       XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, values);
  xcb_flush(connection());
}

QPoint stored() {
  UserDefaults& defaults = UserDefaults::standard();
  return QPoint(int(defaults.doubleValue(QStringLiteral("topLeftX"))),
                int(defaults.doubleValue(QStringLiteral("topLeftY"))));
}

} // namespace

// The window is hidden and shown again three times. While hidden the window
// system reports it at 0,0, and again when it is shown, before the window
// manager has placed it (as a window manager taking the window in at the
// corner of a frame not yet placed does): the window shows where it was, and
// 0,0 is never remembered. A move made while it shows is remembered, and the
// window comes back there.
TEST(WindowPlaceOnDesktop, TheWindowComesBackWhereItWasAndOnlyAPlacedWindowsMoveIsRemembered) {
  ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
  test::StartedProgram p(
      {{QStringLiteral("topLeftX"), 300.0}, {QStringLiteral("topLeftY"), 100.0}});
  AppDelegate& app = p.program->shell().appDelegate();
  MainWindow* window = app.mainWindow();
  ASSERT_NE(window, nullptr);
  app.makeFront();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window));

  QPoint expected(300, 100);
  const auto placedAt = [&] {
    return window->windowHandle()->isExposed() && window->pos() == expected &&
           onScreen(*window) == expected;
  };
  ASSERT_TRUE(QTest::qWaitFor(placedAt, int(test::timeLimit(5000))))
      << testing::PrintToString(window->pos());
  EXPECT_EQ(stored(), expected);

  for (int round = 0; round < 4; ++round) {
    SCOPED_TRACE(round);
    if (round == 2) {
      // The user moves the shown window.
      expected = QPoint(420, 160);
      askForPlace(*window, expected);
      ASSERT_TRUE(QTest::qWaitFor(placedAt, int(test::timeLimit(5000))));
      EXPECT_EQ(stored(), expected);
    }
    app.hide();
    ASSERT_FALSE(window->isVisible());
    // Told again if the window manager's own word on the last show came after.
    // A place Qt's window already holds makes no move (a request to go where
    // the window stands brings no answer from the window system, so Qt's
    // window may still hold the 0,0 of an earlier report): another place first.
    bool atCorner = false;
    for (int tries = 0; tries < 10 && !atCorner; ++tries) {
      reportPlace(*window, QPoint(1, 1));
      if (!QTest::qWaitFor([&] { return window->pos() == QPoint(1, 1); },
                           int(test::timeLimit(500))))
        continue;
      reportPlace(*window, QPoint(0, 0));
      atCorner =
          QTest::qWaitFor([&] { return window->pos() == QPoint(0, 0); }, int(test::timeLimit(500)));
    }
    ASSERT_TRUE(atCorner) << testing::PrintToString(window->pos());
    EXPECT_EQ(stored(), expected) << "a hidden window's place is not remembered";

    app.makeFront();
    // Before the window manager has mapped and placed it.
    reportPlace(*window, QPoint(0, 0));
    EXPECT_TRUE(QTest::qWaitFor(placedAt, int(test::timeLimit(5000))))
        << testing::PrintToString(window->pos()) << ", on screen at "
        << testing::PrintToString(onScreen(*window));
    EXPECT_EQ(stored(), expected);
  }
}
