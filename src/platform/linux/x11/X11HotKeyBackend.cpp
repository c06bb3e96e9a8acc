#include "platform/linux/x11/X11HotKeyBackend.h"

#include "platform/linux/x11/X11Connection.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <xcb/xcb.h>
#include <xcb/xinput.h>

#include <cstdlib>
#include <vector>

namespace kr {

namespace {

constexpr quint16 kWatchedMask =
    XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4;
constexpr xcb_keysym_t kNumLockKeysym = 0xff7f;
// The XKB events that say the key map changed (xcb/xkb.h is not C++).
constexpr quint8 kXkbNewKeyboardNotify = 0;
constexpr quint8 kXkbMapNotify = 1;

xcb_connection_t* xcb(void* connection) { return static_cast<xcb_connection_t*>(connection); }

bool hasExtension(xcb_connection_t* c, const char* name) {
  xcb_query_extension_reply_t* reply =
      xcb_query_extension_reply(c, xcb_query_extension(c, qstrlen(name), name), nullptr);
  const bool present = reply && reply->present;
  std::free(reply);
  return present;
}

} // namespace

std::unique_ptr<X11HotKeyBackend> X11HotKeyBackend::create(QString* why) {
  xcb_connection_t* c = qtX11Connection(why);
  if (!c)
    return nullptr;
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  if (!screen) {
    if (why)
      *why = QStringLiteral("the X server reports no screen");
    return nullptr;
  }
  auto backend = std::unique_ptr<X11HotKeyBackend>(
      new X11HotKeyBackend(c, screen->root, hasExtension(c, "XWAYLAND")));
  QCoreApplication::instance()->installNativeEventFilter(backend.get());
  return backend;
}

X11HotKeyBackend::X11HotKeyBackend(void* connection, quint32 root, bool xwayland)
    : connection_(connection), root_(root), layout_(connection) {
  if (xwayland)
    notice_ = QStringLiteral("Global shortcuts run through XWayland: they work only while an X11 "
                             "window (such as Korvane-R's) has the focus.");
  xcb_connection_t* c = xcb(connection_);
  // Qt has agreed an XInput 2 version on this connection already (asking again
  // with another version is an error), so the extension's presence is enough.
  if (const xcb_query_extension_reply_t* xi = xcb_get_extension_data(c, &xcb_input_id);
      xi && xi->present)
    xinputOpcode_ = xi->major_opcode;
  const char* const xkbName = "XKEYBOARD";
  if (xcb_query_extension_reply_t* xkb = xcb_query_extension_reply(
          c, xcb_query_extension(c, qstrlen(xkbName), xkbName), nullptr)) {
    if (xkb->present)
      xkbEventBase_ = xkb->first_event;
    std::free(xkb);
  }
  readModifierMapping();
}

X11HotKeyBackend::~X11HotKeyBackend() {
  if (QCoreApplication* app = QCoreApplication::instance())
    app->removeNativeEventFilter(this);
  for (const auto& [id, g] : grabs_)
    ungrabVariants(g.keycode, g.modifiers);
  grabs_.clear();
  if (watching_)
    selectRawEvents(false);
  xcb_flush(xcb(connection_));
}

void X11HotKeyBackend::readModifierMapping() {
  xcb_connection_t* c = xcb(connection_);
  modifierKeys_.clear();
  numLockMask_ = 0;
  const xcb_setup_t* setup = xcb_get_setup(c);
  const int first = setup->min_keycode;
  const int count = setup->max_keycode - setup->min_keycode + 1;
  xcb_get_keyboard_mapping_reply_t* keyboard = xcb_get_keyboard_mapping_reply(
      c, xcb_get_keyboard_mapping(c, setup->min_keycode, count), nullptr);
  xcb_get_modifier_mapping_reply_t* modifiers =
      xcb_get_modifier_mapping_reply(c, xcb_get_modifier_mapping(c), nullptr);
  std::vector<quint32> numLockKeys;
  if (keyboard) {
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(keyboard);
    const int perKey = keyboard->keysyms_per_keycode;
    for (int key = 0; key < count; ++key) {
      for (int level = 0; level < perKey; ++level) {
        if (syms[key * perKey + level] == kNumLockKeysym)
          numLockKeys.push_back(static_cast<quint32>(first + key));
      }
    }
  }
  if (modifiers) {
    const xcb_keycode_t* keys = xcb_get_modifier_mapping_keycodes(modifiers);
    const int perModifier = modifiers->keycodes_per_modifier;
    for (int modifier = 0; modifier < 8; ++modifier) {
      const quint16 bit = static_cast<quint16>(1u << modifier);
      for (int i = 0; i < perModifier; ++i) {
        const quint32 key = keys[modifier * perModifier + i];
        if (key == 0)
          continue;
        for (quint32 numLock : numLockKeys) {
          if (numLock == key)
            numLockMask_ = bit;
        }
        if (bit & kWatchedMask)
          modifierKeys_[key] = bit;
      }
    }
  }
  std::free(keyboard);
  std::free(modifiers);
}

bool X11HotKeyBackend::grabVariants(quint32 keycode, quint16 modifiers) {
  xcb_connection_t* c = xcb(connection_);
  std::vector<quint16> variants{0, XCB_MOD_MASK_LOCK};
  if (numLockMask_) {
    variants.push_back(numLockMask_);
    variants.push_back(numLockMask_ | XCB_MOD_MASK_LOCK);
  }
  std::vector<xcb_void_cookie_t> cookies;
  for (quint16 variant : variants)
    cookies.push_back(xcb_grab_key_checked(c, 0, root_, modifiers | variant,
                                           static_cast<xcb_keycode_t>(keycode), XCB_GRAB_MODE_ASYNC,
                                           XCB_GRAB_MODE_ASYNC));
  bool refused = false;
  for (xcb_void_cookie_t cookie : cookies) {
    if (xcb_generic_error_t* error = xcb_request_check(c, cookie)) {
      refused = true; // BadAccess: another client holds it
      std::free(error);
    }
  }
  if (refused)
    ungrabVariants(keycode, modifiers);
  return !refused;
}

void X11HotKeyBackend::ungrabVariants(quint32 keycode, quint16 modifiers) {
  xcb_connection_t* c = xcb(connection_);
  std::vector<xcb_void_cookie_t> cookies;
  // Ungrabbing a combination that is not ours is harmless; a lock mask that
  // changed since is covered by AnyModifier-free variants of both masks.
  for (quint16 variant : {quint16(0), quint16(XCB_MOD_MASK_LOCK), numLockMask_,
                          quint16(numLockMask_ | XCB_MOD_MASK_LOCK)})
    cookies.push_back(
        xcb_ungrab_key_checked(c, static_cast<xcb_keycode_t>(keycode), root_, modifiers | variant));
  for (xcb_void_cookie_t cookie : cookies)
    std::free(xcb_request_check(c, cookie));
}

bool X11HotKeyBackend::grab(quint32 id, quint32 xKeycode, quint16 xModifiers) {
  const quint16 modifiers = xModifiers & kWatchedMask;
  if (!grabVariants(xKeycode, modifiers))
    return false;
  grabs_[id] = Grab{xKeycode, modifiers};
  return true;
}

void X11HotKeyBackend::ungrab(quint32 id) {
  const auto found = grabs_.find(id);
  if (found == grabs_.end())
    return;
  const Grab g = found->second;
  grabs_.erase(found);
  // Another id may hold the same key (never two at once: the second grab is
  // refused as taken), so the key is free now.
  ungrabVariants(g.keycode, g.modifiers);
}

void X11HotKeyBackend::setWatchingModifiers(bool on) {
  if (on == watching_ || xinputOpcode_ < 0)
    return;
  watching_ = on;
  heldModifierKeys_.clear();
  selectRawEvents(on);
}

void X11HotKeyBackend::selectRawEvents(bool on) {
  struct {
    xcb_input_event_mask_t head;
    quint32 mask;
  } mask{};
  mask.head.deviceid = XCB_INPUT_DEVICE_ALL_MASTER;
  mask.head.mask_len = 1;
  mask.mask =
      on ? (XCB_INPUT_XI_EVENT_MASK_RAW_KEY_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_KEY_RELEASE) : 0;
  xcb_connection_t* c = xcb(connection_);
  std::free(xcb_request_check(c, xcb_input_xi_select_events_checked(c, root_, 1, &mask.head)));
}

void X11HotKeyBackend::mappingChanged() {
  readModifierMapping();
  layout_.invalidate();
  heldModifierKeys_.clear();
  // The Num Lock modifier may have moved: grab every key again.
  for (auto& [id, g] : grabs_) {
    ungrabVariants(g.keycode, g.modifiers);
    grabVariants(g.keycode, g.modifiers);
  }
}

bool X11HotKeyBackend::handleKey(bool press, quint32 keycode, quint16 state, quint32 time) {
  for (auto& [id, g] : grabs_) {
    if (g.keycode != keycode)
      continue;
    if (!press) {
      g.down = false;
      g.releaseTime = time;
      continue;
    }
    if ((state & kWatchedMask) != g.modifiers)
      continue;
    // A held key repeats: a press while down, or right after a release of the
    // same time, is not a new press.
    const bool repeat = g.down || (g.releaseTime != 0 && g.releaseTime == time);
    g.down = true;
    if (!repeat && keyPressed)
      keyPressed(id);
    return true;
  }
  return false;
}

void X11HotKeyBackend::handleRawKey(bool press, quint32 keycode, quint32 time, bool repeat) {
  if (repeat || !modifiersChanged)
    return;
  const auto modifier = modifierKeys_.find(keycode);
  ModifierEvent event;
  event.time = time / 1000.0;
  if (modifier == modifierKeys_.end()) {
    if (!press)
      return;
    event.otherKeyDown = true;
  } else if (press) {
    heldModifierKeys_.insert(keycode);
  } else {
    heldModifierKeys_.erase(keycode);
  }
  for (quint32 key : heldModifierKeys_)
    event.held |= modifierKeys_.at(key);
  modifiersChanged(event);
}

bool X11HotKeyBackend::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
  if (eventType != "xcb_generic_event_t")
    return false;
  auto* event = static_cast<xcb_generic_event_t*>(message);
  const quint8 type = event->response_type & ~0x80;
  if (type == XCB_KEY_PRESS || type == XCB_KEY_RELEASE) {
    auto* key = reinterpret_cast<xcb_key_press_event_t*>(event);
    // Only the grabs' events come to the root window.
    if (key->event != root_)
      return false;
    return handleKey(type == XCB_KEY_PRESS, key->detail, key->state, key->time);
  }
  if (type == XCB_MAPPING_NOTIFY) {
    mappingChanged();
    return false;
  }
  if (xkbEventBase_ >= 0 && type == xkbEventBase_) {
    const quint8 xkbType = reinterpret_cast<const quint8*>(event)[1];
    if (xkbType == kXkbNewKeyboardNotify || xkbType == kXkbMapNotify)
      mappingChanged();
    return false;
  }
  if (type == XCB_GE_GENERIC && xinputOpcode_ >= 0) {
    auto* generic = reinterpret_cast<xcb_ge_generic_event_t*>(event);
    if (generic->extension != xinputOpcode_)
      return false;
    if (generic->event_type != XCB_INPUT_RAW_KEY_PRESS &&
        generic->event_type != XCB_INPUT_RAW_KEY_RELEASE)
      return false;
    auto* raw = reinterpret_cast<xcb_input_raw_key_press_event_t*>(event);
    handleRawKey(generic->event_type == XCB_INPUT_RAW_KEY_PRESS, raw->detail, raw->time,
                 raw->flags & XCB_INPUT_KEY_EVENT_FLAGS_KEY_REPEAT);
    return true;
  }
  return false;
}

} // namespace kr
