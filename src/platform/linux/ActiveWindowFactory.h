#pragma once

#include "platform/services/ActiveWindowAPI.h"

#include <memory>

namespace kr {

// The active window of the desktop: the X server's window manager where the
// program runs on X11; elsewhere (Wayland lets no program activate
// another's window) one that knows none.
class ActiveWindowFactory {
public:
  static std::unique_ptr<ActiveWindowAPI> create();
};

} // namespace kr
