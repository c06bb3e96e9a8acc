#include "platform/linux/x11/X11IdleTimeBackend.h"

#include "platform/linux/x11/X11Connection.h"

#include <QGuiApplication>

#include <xcb/screensaver.h>
#include <xcb/xcb.h>

#include <cstdlib>

namespace kr {

std::unique_ptr<X11IdleTimeBackend> X11IdleTimeBackend::create(QString* why) {
  xcb_connection_t* connection = qtX11Connection(why);
  if (!connection)
    return nullptr;
  const xcb_query_extension_reply_t* extension =
      xcb_get_extension_data(connection, &xcb_screensaver_id);
  if (!extension || !extension->present) {
    if (why)
      *why = QStringLiteral("the X server has no screen saver extension");
    return nullptr;
  }
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
  if (!screen) {
    if (why)
      *why = QStringLiteral("the X server reports no screen");
    return nullptr;
  }
  return std::unique_ptr<X11IdleTimeBackend>(new X11IdleTimeBackend(connection, screen->root));
}

std::optional<quint64> X11IdleTimeBackend::idleMilliseconds() {
  auto* connection = static_cast<xcb_connection_t*>(connection_);
  xcb_screensaver_query_info_reply_t* reply = xcb_screensaver_query_info_reply(
      connection, xcb_screensaver_query_info(connection, root_), nullptr);
  if (!reply)
    return std::nullopt;
  const quint64 idle = reply->ms_since_user_input;
  std::free(reply);
  return idle;
}

} // namespace kr
