#pragma once

#include "shortcuts/DoubleTapDetector.h"
#include "shortcuts/HotKey.h"

#include "platform/services/HotKeyBackend.h"

#include <QObject>

#include <map>
#include <memory>

namespace kr {

// The registry of the global shortcuts: key combos are grabbed through the
// desktop's back end, doubled modifiers are only filed and found by the
// double-tap detector, which is fed only while one is filed. Registration
// numbers are never reused within a run.
class HotKeyCenter {
public:
  explicit HotKeyCenter(HotKeyBackend& backend);
  ~HotKeyCenter();
  HotKeyCenter(const HotKeyCenter&) = delete;
  HotKeyCenter& operator=(const HotKeyCenter&) = delete;

  // The installed centre; without one, a centre on which nothing registers.
  static HotKeyCenter& shared();
  // Not owned; nullptr removes it.
  static void install(HotKeyCenter* center);

  // False when the identifier (or an equal hot key) is filed already, when
  // the desktop offers no hot keys, when the key cannot stand alone (no
  // modifier, or Shift alone, F1 to F20 apart) or when another program holds
  // the combination; nothing is changed then.
  bool registerHotKey(const std::shared_ptr<HotKey>& hotKey);
  void unregisterHotKey(const std::shared_ptr<HotKey>& hotKey);
  void unregisterHotKey(const QString& identifier);
  void unregisterAll();

  quint32 hotKeyCount() const { return hotKeyCount_; }
  const std::map<QString, std::shared_ptr<HotKey>>& hotKeys() const { return hotKeys_; }
  const std::map<quint32, std::shared_ptr<HotKey>>& hotKeyMap() const { return hotKeyMap_; }
  HotKeyBackend& backend() const { return backend_; }

  // Whether a key combo may be grabbed at all: one of Ctrl, Alt or Super, or
  // a function key; `why` says otherwise.
  static bool mayStandAsGlobalKey(const SwiftKeyCombo& combo, QString* why);

private:
  void keyPressed(quint32 id);
  void modifiersChanged(const HotKeyBackend::ModifierEvent& event);
  void doubleTapped(int carbonModifiers);
  void updateWatching();

  HotKeyBackend& backend_;
  std::map<QString, std::shared_ptr<HotKey>> hotKeys_;
  std::map<quint32, std::shared_ptr<HotKey>> hotKeyMap_;
  quint32 hotKeyCount_ = 0;
  DoubleTapDetector detector_;
  QMetaObject::Connection quitConnection_;
};

} // namespace kr
