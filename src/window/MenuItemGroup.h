#pragma once

#include <QList>

class QAction;

namespace kr {

// A run of menu items between two separators, in menu order.
struct MenuItemGroup {
  QList<QAction*> items;
};

} // namespace kr
