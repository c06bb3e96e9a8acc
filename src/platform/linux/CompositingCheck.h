#pragma once

#include <QString>

namespace kr {

// Whether the desktop shows a translucent window as translucent. On X11 that
// takes a compositing manager (a client owning the selection
// "_NET_WM_CM_S<screen>"); without one, window opacity is ignored and a
// half-transparent window covers the screen solid. Wayland always composites.
class CompositingCheck {
public:
  // False with the reason where translucent windows show solid.
  static bool translucentWindowsShow(QString* why = nullptr);
  // The X screen whose compositing manager counts: the one in DISPLAY.
  static int x11ScreenNumber();
};

} // namespace kr
