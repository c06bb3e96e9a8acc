#include "shell/MenuShortcuts.h"

#include "shortcuts/SwiftHotKeyManager.h"
#include "window/MainMenu.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

namespace kr {

namespace {

struct MenuShortcut {
  const char* root;
  const char* action;
  bool inTray;
};

// In the order the items are updated.
constexpr MenuShortcut kItems[] = {
    {"now", "nowHotKey", false},
    {"later", "laterHotKey", false},
    {"scratch", "scratchPadHotKey", false},
    {"readObjectiveAloud", "readObjectiveAloudHotKey", false},
    {"startTimeSlice", "attemptToTriggerStartTimeSlice", true},
    {"pauseTimeSlice", "attemptToTriggerPauseTimeSlice", true},
    {"startTimedBreak", "attemptToTriggerStartTimedBreak", true},
    {"endTimeSlice", "attemptToTriggerEndTimeSlice", true},
};

} // namespace

MenuShortcuts::MenuShortcuts(SwiftHotKeyManager& manager, const MainMenu& mainMenu, QWidget& window)
    : manager_(manager), mainMenu_(mainMenu), window_(window) {}

QAction* MenuShortcuts::trayItem(const char* action) const {
  if (!trayMenu_)
    return nullptr;
  return trayMenu_->findChild<QAction*>(QString::fromLatin1(action), Qt::FindDirectChildrenOnly);
}

void MenuShortcuts::update() {
  for (const MenuShortcut& entry : kItems) {
    QAction* item = mainMenu_.itemSending(QString::fromLatin1(entry.action));
    QAction* tray = entry.inTray ? trayItem(entry.action) : nullptr;
    manager_.updateMenuShortcut(item, tray, QString::fromLatin1(entry.root));
    // The window takes the key where no global grab exists; a grabbed key
    // never reaches it, so one press is one action.
    if (item && !item->shortcut().isEmpty())
      window_.addAction(item);
  }
}

void MenuShortcuts::disable() {
  for (const MenuShortcut& entry : kItems) {
    SwiftHotKeyManager::showShortcut(mainMenu_.itemSending(QString::fromLatin1(entry.action)),
                                     std::nullopt);
    if (entry.inTray)
      SwiftHotKeyManager::showShortcut(trayItem(entry.action), std::nullopt);
  }
}

} // namespace kr
