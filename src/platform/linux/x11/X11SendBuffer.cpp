#include "platform/linux/x11/X11SendBuffer.h"

#include "platform/linux/x11/X11Connection.h"

#include <QGuiApplication>

#include <sys/socket.h>
#include <xcb/xcb.h>

namespace kr {

namespace {

int connectionSocket() {
  xcb_connection_t* connection = qtX11Connection();
  return connection ? xcb_get_file_descriptor(connection) : -1;
}

} // namespace

bool X11SendBuffer::widen() {
  const int fd = connectionSocket();
  if (fd < 0)
    return false;
  // Never narrowed: a user's own system may already give more.
  if (current() >= kWanted)
    return true;
  const int wanted = kWanted;
  return setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &wanted, sizeof wanted) == 0;
}

int X11SendBuffer::current() {
  const int fd = connectionSocket();
  if (fd < 0)
    return 0;
  int size = 0;
  socklen_t length = sizeof size;
  return getsockopt(fd, SOL_SOCKET, SO_SNDBUF, &size, &length) == 0 ? size : 0;
}

} // namespace kr
