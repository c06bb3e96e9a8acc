#pragma once

#include "platform/services/HotKeyBackend.h"

#include <QList>

#include <map>
#include <utility>

namespace kr {

// Keeps the grabs in memory; a key listed in `taken` is refused as if another
// program held it. Tests press keys and change modifiers by hand.
class TestHotKeyBackend final : public HotKeyBackend {
public:
  using Key = std::pair<quint32, quint16>;

  bool isAvailable() const override { return available; }
  QString notice() const override { return available ? QString() : QStringLiteral("unavailable"); }
  bool grab(quint32 id, quint32 xKeycode, quint16 xModifiers) override {
    ++grabAttempts;
    const Key key{xKeycode, xModifiers};
    if (!available || taken.contains(key))
      return false;
    for (const auto& [other, grabbed] : grabs) {
      if (grabbed == key)
        return false;
    }
    grabs[id] = key;
    return true;
  }
  void ungrab(quint32 id) override { grabs.erase(id); }
  void setWatchingModifiers(bool on) override { watching = on; }
  bool isWatchingModifiers() const override { return watching; }

  // A key press as the desktop would deliver it: only grabbed keys arrive.
  bool press(quint32 xKeycode, quint16 xModifiers) {
    for (const auto& [id, key] : grabs) {
      if (key == Key{xKeycode, xModifiers} && keyPressed) {
        keyPressed(id);
        return true;
      }
    }
    return false;
  }
  // Modifier changes arrive only while watched.
  void modifiers(double time, quint16 held, bool otherKeyDown = false) {
    if (watching && modifiersChanged)
      modifiersChanged({time, held, otherKeyDown});
  }

  bool available = true;
  bool watching = false;
  int grabAttempts = 0;
  QList<Key> taken;
  std::map<quint32, Key> grabs;
};

} // namespace kr
