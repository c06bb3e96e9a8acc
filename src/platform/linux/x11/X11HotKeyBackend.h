#pragma once

#include "platform/linux/x11/X11KeyboardLayout.h"
#include "platform/services/HotKeyBackend.h"

#include <QAbstractNativeEventFilter>

#include <map>
#include <memory>
#include <set>

namespace kr {

// Global hot keys on X11, over Qt's own connection: a passive grab of the key
// on the root window for each lock state (none, Caps Lock, Num Lock, both),
// and XInput2 raw key events on the root only while modifiers are watched.
// Errors of its requests are taken from their replies and never reach Qt.
class X11HotKeyBackend final : public HotKeyBackend, public QAbstractNativeEventFilter {
public:
  // None when the application does not run on an X11 display.
  static std::unique_ptr<X11HotKeyBackend> create(QString* why);
  ~X11HotKeyBackend() override;

  bool isAvailable() const override { return true; }
  QString notice() const override { return notice_; }
  bool grab(quint32 id, quint32 xKeycode, quint16 xModifiers) override;
  void ungrab(quint32 id) override;
  void setWatchingModifiers(bool on) override;
  bool isWatchingModifiers() const override { return watching_; }

  const X11KeyboardLayout& layout() const { return layout_; }

  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
  struct Grab {
    quint32 keycode;
    quint16 modifiers;
    bool down = false;
    quint32 releaseTime = 0;
  };

  X11HotKeyBackend(void* connection, quint32 root, bool xwayland);
  bool grabVariants(quint32 keycode, quint16 modifiers);
  void ungrabVariants(quint32 keycode, quint16 modifiers);
  void readModifierMapping();
  void mappingChanged();
  void selectRawEvents(bool on);
  bool handleKey(bool press, quint32 keycode, quint16 state, quint32 time);
  void handleRawKey(bool press, quint32 keycode, quint32 time, bool repeat);

  void* connection_;
  quint32 root_;
  QString notice_;
  X11KeyboardLayout layout_;
  std::map<quint32, Grab> grabs_;
  quint16 numLockMask_ = 0;
  // Each modifier key's mask bit, from the server's modifier mapping.
  std::map<quint32, quint16> modifierKeys_;
  std::set<quint32> heldModifierKeys_;
  bool watching_ = false;
  int xinputOpcode_ = -1;
  int xkbEventBase_ = -1;
};

} // namespace kr
