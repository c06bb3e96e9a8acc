#pragma once

#include "shortcuts/HotKey.h"
#include "shortcuts/SwiftKeyCombo.h"

#include <QStringList>
#include <QVariantList>

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <optional>

class QAction;
class QObject;

namespace kr {

class HotKeyCenter;
class UserDefaults;

// Owns the nine global shortcuts: reads each stored combo, binds it to its
// action and registers it with the hot-key centre; shows the stored combos on
// the menu items; answers whether a combo is used by another shortcut.
class SwiftHotKeyManager {
public:
  struct Shortcut {
    const char* root;   // storage key root and hot-key identifier
    const char* action; // the main controller's action
  };
  // In registration order.
  static const std::array<Shortcut, 9> kShortcuts;
  // The order in which "already taken" compares.
  static const QStringList kTakenOrder;

  using PerformAction = std::function<void(const QString& action)>;

  // No centre: the shared one at the time of each call.
  explicit SwiftHotKeyManager(UserDefaults& defaults, HotKeyCenter* center = nullptr);
  ~SwiftHotKeyManager();

  // Over the application's settings and the shared centre.
  static SwiftHotKeyManager& shared();

  // How a hot key reaches the main controller, and how the menus are told;
  // the shell installs both (empty: nothing happens).
  void setPerformAction(PerformAction perform) { perform_ = std::move(perform); }
  void setMenuShortcutsUpdater(std::function<void()> update) { updateMenus_ = std::move(update); }
  void setMenuShortcutsDisabler(std::function<void()> disable) {
    disableMenus_ = std::move(disable);
  }

  // Registers every stored shortcut again; a refused one does not stop the
  // rest. The menus are updated afterwards on the event loop.
  void registerAllHotKeys();
  // Unregisters them all (the fields stay).
  void disableAllHotKeys();
  void updateMenuShortcuts();
  // Takes the keys off the menu items (while a recorder has the focus).
  void disableMenuShortcuts();
  // Shows the combo stored under the root on one or two menu items; none
  // when the root holds no key combo.
  void updateMenuShortcut(QAction* item, QAction* item2, const QString& storageKey) const;
  bool isHotKeyAlreadyTaken(const QString& currentStorageKeyRoot, const SwiftKeyCombo& combo) const;

  // The reading rule of a stored combo.
  std::optional<SwiftKeyCombo> swiftKeyCombo(const QString& root) const;
  // Key names (key code, modifiers, combo type), then the stored values
  // (the type absent when none is stored).
  QVariantList storageKeysAndValues(const QString& storageKeyRoot) const;

  std::shared_ptr<HotKey> hotKey(const QString& root) const;
  // The roots whose combo the last registration could not register.
  const QStringList& refusedRoots() const { return refused_; }

  // The menu text of a combo and its key sequence; shows the combination
  // after a tab where Qt would name it otherwise ("Super" for Meta).
  static void showShortcut(QAction* item, const std::optional<SwiftKeyCombo>& combo);

private:
  HotKeyCenter& center() const;

  UserDefaults& defaults_;
  HotKeyCenter* center_;
  PerformAction perform_;
  std::function<void()> updateMenus_;
  std::function<void()> disableMenus_;
  std::map<QString, std::shared_ptr<HotKey>> hotKeys_;
  QStringList refused_;
  std::unique_ptr<QObject> timerContext_;
};

} // namespace kr
