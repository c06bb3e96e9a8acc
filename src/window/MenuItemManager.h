#pragma once

#include "window/MenuItemGroup.h"

#include <QHash>
#include <QString>

class QMenu;

namespace kr {

// Cuts every submenu of the main menu into groups at its separators and names
// each group by the title of its first item, so that new groups can be put
// after a named one without knowing the menu's exact make-up.
class MenuItemManager {
public:
  explicit MenuItemManager(QMenu* mainMenu);

  const QHash<QString, MenuItemGroup>& menuItemGroups() const { return menuItemGroups_; }
  // Registers the new group under the name and inserts its items, in order,
  // directly after the existing group's last item. False when the existing
  // group is unknown.
  bool addMenuItemGroupAfterExistingGroup(const QString& existingGroup,
                                          const MenuItemGroup& newGroup, const QString& withName);
  // The name the rules give a group whose first item has this title.
  static QString groupName(const QString& firstTitle);

private:
  QHash<QString, MenuItemGroup> menuItemGroups_;
  QHash<const QAction*, QMenu*> menuOf_;
};

} // namespace kr
