#pragma once

#include "platform/services/KeyboardLayoutAPI.h"

struct xkb_context;
struct xkb_keymap;

namespace kr {

// The X server's keyboard layout through xkbcommon: the first level of a key
// in the current layout group. The key map is read once and again after the
// server says it changed.
class X11KeyboardLayout final : public KeyboardLayoutAPI {
public:
  explicit X11KeyboardLayout(void* connection);
  ~X11KeyboardLayout() override;
  X11KeyboardLayout(const X11KeyboardLayout&) = delete;
  X11KeyboardLayout& operator=(const X11KeyboardLayout&) = delete;

  QString levelOneText(quint32 xKeycode) const override;
  // The server's key map changed.
  void invalidate();

private:
  bool ensureKeymap() const;

  void* connection_;
  xkb_context* context_ = nullptr;
  mutable xkb_keymap* keymap_ = nullptr;
  int deviceId_ = -1;
};

} // namespace kr
