#include "platform/linux/x11/X11Connection.h"

#include <QGuiApplication>

namespace kr {

xcb_connection_t* qtX11Connection(QString* why) {
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
  if (!connection && why)
    *why = QStringLiteral("the application does not run on an X11 display");
  return connection;
}

} // namespace kr
