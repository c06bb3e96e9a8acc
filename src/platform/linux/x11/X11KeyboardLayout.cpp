#include "platform/linux/x11/X11KeyboardLayout.h"

#include <xcb/xcb.h>
#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

namespace kr {

X11KeyboardLayout::X11KeyboardLayout(void* connection) : connection_(connection) {
  auto* c = static_cast<xcb_connection_t*>(connection_);
  if (!xkb_x11_setup_xkb_extension(c, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
                                   XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, nullptr,
                                   nullptr))
    return;
  deviceId_ = xkb_x11_get_core_keyboard_device_id(c);
  context_ = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
}

X11KeyboardLayout::~X11KeyboardLayout() {
  invalidate();
  if (context_)
    xkb_context_unref(context_);
}

void X11KeyboardLayout::invalidate() {
  if (keymap_)
    xkb_keymap_unref(keymap_);
  keymap_ = nullptr;
}

bool X11KeyboardLayout::ensureKeymap() const {
  if (keymap_)
    return true;
  if (!context_ || deviceId_ < 0)
    return false;
  keymap_ = xkb_x11_keymap_new_from_device(context_, static_cast<xcb_connection_t*>(connection_),
                                           deviceId_, XKB_KEYMAP_COMPILE_NO_FLAGS);
  return keymap_ != nullptr;
}

QString X11KeyboardLayout::levelOneText(quint32 xKeycode) const {
  if (!ensureKeymap())
    return {};
  // The current group comes from the server each time: the user may switch.
  xkb_state* state = xkb_x11_state_new_from_device(
      keymap_, static_cast<xcb_connection_t*>(connection_), deviceId_);
  if (!state)
    return {};
  const xkb_layout_index_t layout = xkb_state_key_get_layout(state, xKeycode);
  xkb_state_unref(state);
  if (layout == XKB_LAYOUT_INVALID)
    return {};
  const xkb_keysym_t* syms = nullptr;
  const int count = xkb_keymap_key_get_syms_by_level(keymap_, xKeycode, layout, 0, &syms);
  if (count <= 0)
    return {};
  char text[16] = {};
  if (xkb_keysym_to_utf8(syms[0], text, sizeof text) <= 1)
    return {};
  const QString result = QString::fromUtf8(text);
  // Return, Tab, Escape and the like give control characters, not text.
  if (result.size() == 1 && !result.at(0).isPrint())
    return {};
  return result;
}

} // namespace kr
