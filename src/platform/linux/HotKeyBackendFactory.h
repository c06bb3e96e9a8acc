#pragma once

#include "platform/services/HotKeyBackend.h"

#include <memory>

namespace kr {

class KeyboardLayoutAPI;

// The desktop's hot-key back end: X11 (also through XWayland), otherwise one
// that says why there are none.
class HotKeyBackendFactory {
public:
  static const QString kWaylandReason;

  // `layout` receives the desktop's keyboard layout when there is one (owned
  // by the back end).
  static std::unique_ptr<HotKeyBackend> create(const KeyboardLayoutAPI** layout);
};

} // namespace kr
