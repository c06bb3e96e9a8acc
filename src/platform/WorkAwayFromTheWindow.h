#pragma once

#include <functional>

namespace kr {

// Runs a piece of blocking work (a large file write) on a thread of its own
// while the calling thread's event loop goes on: windows keep drawing and
// timers keep firing, and user input waits until the work is done, so that
// nothing the user does can act on a half-finished result. For the caller it
// is an ordinary call that returns when the work has finished. Work that ends
// within 200 ms never enters the event loop.
class WorkAwayFromTheWindow {
public:
  static void run(const std::function<void()>& work);
};

} // namespace kr
