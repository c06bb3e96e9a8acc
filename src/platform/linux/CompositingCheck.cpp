#include "platform/linux/CompositingCheck.h"

#include <QGuiApplication>

#include <xcb/xcb.h>

#include <cstdlib>

namespace kr {

namespace {

bool x11CompositingManagerRuns(xcb_connection_t* connection, int screen) {
  const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(screen);
  xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
      connection, xcb_intern_atom(connection, 0, quint16(name.size()), name.constData()), nullptr);
  if (!atom)
    return false;
  const xcb_atom_t selection = atom->atom;
  std::free(atom);
  xcb_get_selection_owner_reply_t* owner = xcb_get_selection_owner_reply(
      connection, xcb_get_selection_owner(connection, selection), nullptr);
  const bool owned = owner && owner->owner != XCB_NONE;
  std::free(owner);
  return owned;
}

} // namespace

int CompositingCheck::x11ScreenNumber() {
  // ":1.2" names screen 2 of display 1; without a screen part it is screen 0.
  const QByteArray display = qgetenv("DISPLAY");
  const qsizetype colon = display.lastIndexOf(':');
  const qsizetype dot = display.indexOf('.', colon < 0 ? 0 : colon);
  if (colon < 0 || dot < 0)
    return 0;
  bool ok = false;
  const int screen = display.mid(dot + 1).toInt(&ok);
  return ok && screen >= 0 ? screen : 0;
}

bool CompositingCheck::translucentWindowsShow(QString* why) {
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  if (!x11 || !x11->connection())
    return true; // Wayland composites; other platforms draw what they are given
  const int screen = x11ScreenNumber();
  if (x11CompositingManagerRuns(x11->connection(), screen))
    return true;
  if (why) {
    *why = QStringLiteral("no compositing manager runs on the X display (nobody owns "
                          "_NET_WM_CM_S%1), so windows cannot be translucent")
               .arg(screen);
  }
  return false;
}

} // namespace kr
