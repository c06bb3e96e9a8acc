#include "platform/linux/x11/X11ActiveWindow.h"

#include "platform/linux/x11/X11Connection.h"

#include "platform/linux/CompositingCheck.h"

#include <QGuiApplication>
#include <QWindow>

#include <xcb/sync.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>
#include <vector>

namespace kr {

namespace {

struct FreeReply {
  void operator()(void* reply) const { std::free(reply); }
};
template <typename Reply> using ReplyPtr = std::unique_ptr<Reply, FreeReply>;

xcb_connection_t* xcb(void* connection) { return static_cast<xcb_connection_t*>(connection); }

// The 32-bit values of a window's property (none when it is not set or of
// another type).
std::vector<quint32> property32(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t name,
                                xcb_atom_t type, quint32 longest) {
  ReplyPtr<xcb_get_property_reply_t> reply(xcb_get_property_reply(
      connection, xcb_get_property(connection, 0, window, name, type, 0, longest), nullptr));
  if (!reply || reply->type != type || reply->format != 32)
    return {};
  const auto* values = static_cast<const quint32*>(xcb_get_property_value(reply.get()));
  const int count = xcb_get_property_value_length(reply.get()) / 4;
  return std::vector<quint32>(values, values + count);
}

// The SYNC extension's counter of the server's milliseconds, if it has one.
std::optional<xcb_sync_counter_t> serverTimeCounter(xcb_connection_t* connection) {
  const xcb_query_extension_reply_t* extension = xcb_get_extension_data(connection, &xcb_sync_id);
  if (!extension || !extension->present)
    return std::nullopt;
  std::free(xcb_sync_initialize_reply(
      connection, xcb_sync_initialize(connection, XCB_SYNC_MAJOR_VERSION, XCB_SYNC_MINOR_VERSION),
      nullptr));
  ReplyPtr<xcb_sync_list_system_counters_reply_t> list(xcb_sync_list_system_counters_reply(
      connection, xcb_sync_list_system_counters(connection), nullptr));
  if (!list)
    return std::nullopt;
  // Each counter: its id (4 bytes), resolution (8), name length (2) and
  // name, padded to 4 bytes. Read by hand: libxcb's iterator takes the
  // header for 16 bytes and misreads every name.
  static constexpr char kName[] = "SERVERTIME";
  const auto* entry = reinterpret_cast<const quint8*>(list.get() + 1);
  const auto* end = reinterpret_cast<const quint8*>(list.get()) + sizeof *list + list->length * 4;
  for (quint32 i = 0; i < list->counters_len && entry + 14 <= end; ++i) {
    quint32 counter = 0;
    quint16 length = 0;
    std::memcpy(&counter, entry, sizeof counter);
    std::memcpy(&length, entry + 12, sizeof length);
    if (entry + 14 + length > end)
      break;
    if (length == sizeof kName - 1 && std::memcmp(entry + 14, kName, length) == 0)
      return counter;
    entry += (14 + length + 3) & ~3u;
  }
  return std::nullopt;
}

} // namespace

std::unique_ptr<X11ActiveWindow> X11ActiveWindow::create(QString* why) {
  xcb_connection_t* connection = qtX11Connection(why);
  if (!connection)
    return nullptr;
  auto screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
  for (int i = CompositingCheck::x11ScreenNumber(); i > 0 && screens.rem > 1; --i)
    xcb_screen_next(&screens);
  if (!screens.rem) {
    if (why)
      *why = QStringLiteral("the X server reports no screen");
    return nullptr;
  }
  return std::unique_ptr<X11ActiveWindow>(new X11ActiveWindow(connection, screens.data->root));
}

X11ActiveWindow::X11ActiveWindow(void* connection, quint32 root)
    : connection_(connection), root_(root), activeWindowAtom_(atom("_NET_ACTIVE_WINDOW")),
      supportedAtom_(atom("_NET_SUPPORTED")), currentDesktopAtom_(atom("_NET_CURRENT_DESKTOP")),
      windowDesktopAtom_(atom("_NET_WM_DESKTOP")) {}

quint32 X11ActiveWindow::atom(const char* name) const {
  xcb_connection_t* connection = xcb(connection_);
  ReplyPtr<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
      connection, xcb_intern_atom(connection, 0, quint16(std::strlen(name)), name), nullptr));
  return reply ? reply->atom : quint32(XCB_ATOM_NONE);
}

bool X11ActiveWindow::isAvailable() const {
  if (activeWindowAtom_ == XCB_ATOM_NONE)
    return false;
  // A window manager lists what it keeps up to date; one that has gone may
  // have left its list, but then nothing answers the requests anyway.
  const std::vector<quint32> supported =
      property32(xcb(connection_), root_, supportedAtom_, XCB_ATOM_ATOM, 1024);
  return std::find(supported.begin(), supported.end(), activeWindowAtom_) != supported.end();
}

QString X11ActiveWindow::unavailableReason() const {
  return isAvailable() ? QString()
                       : QStringLiteral("no window manager reports the active window "
                                        "(_NET_ACTIVE_WINDOW)");
}

std::optional<ActiveWindowAPI::WindowId> X11ActiveWindow::ownActiveWindow() {
  for (QWindow* window : QGuiApplication::allWindows()) {
    // Windows without a native window are never active, and asking for
    // their id would make one.
    if (window->handle() && window->isActive() && window->isTopLevel())
      return window->winId();
  }
  return std::nullopt;
}

std::optional<ActiveWindowAPI::WindowId> X11ActiveWindow::activeWindowOfAnotherProgram() {
  if (!isAvailable())
    return std::nullopt;
  const std::vector<quint32> active =
      property32(xcb(connection_), root_, activeWindowAtom_, XCB_ATOM_WINDOW, 1);
  if (active.empty() || active.front() == XCB_WINDOW_NONE)
    return std::nullopt;
  for (QWindow* window : QGuiApplication::allWindows()) {
    if (window->handle() && window->winId() == active.front())
      return std::nullopt;
  }
  return active.front();
}

quint32 X11ActiveWindow::serverTime() const {
  xcb_connection_t* connection = xcb(connection_);
  if (!serverTimeCounter_)
    serverTimeCounter_ = serverTimeCounter(connection);
  if (!*serverTimeCounter_)
    return XCB_CURRENT_TIME;
  ReplyPtr<xcb_sync_query_counter_reply_t> reply(xcb_sync_query_counter_reply(
      connection, xcb_sync_query_counter(connection, **serverTimeCounter_), nullptr));
  // Event times are the low 32 bits of the same milliseconds.
  return reply ? reply->counter_value.lo : XCB_CURRENT_TIME;
}

void X11ActiveWindow::sendToWindowManager(WindowId window, quint32 type,
                                          const quint32 (&data)[3]) const {
  xcb_client_message_event_t event;
  std::memset(&event, 0, sizeof event);
  event.response_type = XCB_CLIENT_MESSAGE;
  event.format = 32;
  event.window = xcb_window_t(window);
  event.type = type;
  std::copy(std::begin(data), std::end(data), event.data.data32);
  xcb_connection_t* connection = xcb(connection_);
  xcb_send_event(connection, 0, root_,
                 XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                 reinterpret_cast<const char*>(&event));
  xcb_flush(connection);
}

void X11ActiveWindow::activate(WindowId window) {
  if (!isAvailable())
    return;
  // Source 2: the request of a task bar or pager, made for the user, whom
  // the window manager lets change the focus. The window was the user's
  // choice before the rest screen took the screens.
  sendToWindowManager(window, activeWindowAtom_,
                      {2, serverTime(), xcb_window_t(ownActiveWindow().value_or(XCB_WINDOW_NONE))});
}

void X11ActiveWindow::bringToDesktopInView(WindowId window) {
  if (!isAvailable())
    return;
  const std::vector<quint32> current =
      property32(xcb(connection_), root_, currentDesktopAtom_, XCB_ATOM_CARDINAL, 1);
  const std::vector<quint32> own =
      property32(xcb(connection_), xcb_window_t(window), windowDesktopAtom_, XCB_ATOM_CARDINAL, 1);
  // On all desktops (0xFFFFFFFF), a window is in view already.
  if (!current.empty() && !own.empty() && own.front() != current.front() &&
      own.front() != 0xFFFFFFFFu)
    sendToWindowManager(window, windowDesktopAtom_, {current.front(), 2, 0});
  activate(window);
}

} // namespace kr
