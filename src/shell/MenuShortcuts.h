#pragma once

#include <QPointer>

class QAction;
class QMenu;
class QWidget;

namespace kr {

class MainMenu;
class SwiftHotKeyManager;

// The menu items that mirror a global shortcut: the main menu's pad and
// work-cycle items (found by the action they send; one that is missing is
// skipped) and the tray menu's four work-cycle items. Their keys also work
// on the main window, for where no global grab exists.
class MenuShortcuts {
public:
  MenuShortcuts(SwiftHotKeyManager& manager, const MainMenu& mainMenu, QWidget& window);

  // The tray's menu, once there is one.
  void setTrayMenu(QMenu* menu) { trayMenu_ = menu; }

  // Shows the combo stored under each root on its items.
  void update();
  // Takes every key off the items (while a shortcut is being recorded).
  void disable();

private:
  QAction* trayItem(const char* action) const;

  SwiftHotKeyManager& manager_;
  const MainMenu& mainMenu_;
  QWidget& window_;
  QPointer<QMenu> trayMenu_;
};

} // namespace kr
