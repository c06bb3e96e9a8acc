#pragma once

namespace kr {

// Room in the kernel for what the program sends to the X server before it
// must wait for the server to read it. Repaints travel over the connection
// (not through shared memory, see main()); a frame of the rest screen's dial
// is some 150 KB, and the default room lets about 50 KB wait before the
// socket counts as full: the program then slept in the middle of each such
// frame until the server had read on, several times a frame. With room for a
// frame, it writes the frame and goes back to sleep once.
class X11SendBuffer {
public:
  // The room asked for; the system may grant less (its largest is
  // /proc/sys/net/core/wmem_max) and counts it twice, for its bookkeeping.
  static constexpr int kWanted = 2 * 1024 * 1024;

  // Widens the room of the application's X connection; false without one
  // (another platform, or no display) or where the system refuses.
  static bool widen();
  // The room the application's X connection has now, in bytes; 0 without one.
  static int current();
};

} // namespace kr
