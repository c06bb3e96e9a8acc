#pragma once

#include <QString>

#include <functional>

namespace kr {

// The desktop's side of global hot keys: grabbing a key with modifiers (X key
// codes and X modifier masks) so its presses reach this program wherever the
// focus is, and, only while asked to, watching which modifier keys are held
// for double taps. It keeps nothing of other keys but that one went down.
class HotKeyBackend {
public:
  // Modifiers held, as an X mask over Shift, Control, Mod1 and Mod4.
  struct ModifierEvent {
    double time = 0.0; // seconds, the event's own time
    quint16 held = 0;  // the modifiers held after the event
    bool otherKeyDown = false;
  };

  virtual ~HotKeyBackend() = default;

  virtual bool isAvailable() const = 0;
  // Why global hot keys do not work, or how far they work; "" when fully.
  virtual QString notice() const = 0;

  // Grabs the key under `id`; false when another program holds it (nothing
  // is left grabbed then) or it cannot be grabbed.
  virtual bool grab(quint32 id, quint32 xKeycode, quint16 xModifiers) = 0;
  virtual void ungrab(quint32 id) = 0;
  // Whether modifier changes are reported through `modifiersChanged`.
  virtual void setWatchingModifiers(bool on) = 0;
  virtual bool isWatchingModifiers() const = 0;

  // A grabbed key was pressed: its id. Once per press.
  std::function<void(quint32 id)> keyPressed;
  std::function<void(const ModifierEvent& event)> modifiersChanged;
};

} // namespace kr
