#include "platform/linux/tray/X11TraySelection.h"

#include "platform/linux/CompositingCheck.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <cstdlib>

namespace kr {

namespace {

xcb_connection_t* x11Connection() {
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  return x11 ? x11->connection() : nullptr;
}

} // namespace

X11TraySelection::X11TraySelection(QObject* parent) : QObject(parent) {
  xcb_connection_t* connection = x11Connection();
  if (!connection)
    return;
  const xcb_query_extension_reply_t* xfixes = xcb_get_extension_data(connection, &xcb_xfixes_id);
  if (!xfixes || !xfixes->present)
    return;
  std::free(xcb_xfixes_query_version_reply(
      connection, xcb_xfixes_query_version(connection, XCB_XFIXES_MAJOR_VERSION, 0), nullptr));
  const int screenNumber = CompositingCheck::x11ScreenNumber();
  const QByteArray name = "_NET_SYSTEM_TRAY_S" + QByteArray::number(screenNumber);
  xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
      connection, xcb_intern_atom(connection, 0, quint16(name.size()), name.constData()), nullptr);
  if (!atom)
    return;
  selection_ = atom->atom;
  std::free(atom);
  xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
  for (int i = 0; i < screenNumber && screens.rem; ++i)
    xcb_screen_next(&screens);
  if (!screens.rem)
    return;
  firstEvent_ = xfixes->first_event;
  xcb_xfixes_select_selection_input(connection, screens.data->root, selection_,
                                    XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                                        XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                                        XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
  xcb_flush(connection);
  QCoreApplication::instance()->installNativeEventFilter(this);
  following_ = true;
}

X11TraySelection::~X11TraySelection() {
  if (following_ && QCoreApplication::instance())
    QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool X11TraySelection::isOwned() const {
  xcb_connection_t* connection = x11Connection();
  if (!connection || !selection_)
    return false;
  xcb_get_selection_owner_reply_t* owner = xcb_get_selection_owner_reply(
      connection, xcb_get_selection_owner(connection, selection_), nullptr);
  const bool owned = owner && owner->owner != XCB_NONE;
  std::free(owner);
  return owned;
}

bool X11TraySelection::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
  if (!following_ || eventType != "xcb_generic_event_t")
    return false;
  const auto* event = static_cast<const xcb_generic_event_t*>(message);
  if ((event->response_type & ~0x80) != firstEvent_ + XCB_XFIXES_SELECTION_NOTIFY)
    return false;
  const auto* notify = static_cast<const xcb_xfixes_selection_notify_event_t*>(message);
  if (notify->selection == selection_)
    Q_EMIT ownerChanged();
  return false;
}

} // namespace kr
