#pragma once

#include <QMenu>
#include <QPointer>

#include <memory>
#include <vector>

class QAction;

namespace kr {

// Keeps the current state's items of the status menu together: the first
// item of a block brings a separator of its own, placed in front of the
// menu's first separator, and the block's items follow it in the order they
// were added. The fixed items around the block are never disturbed.
class StatusItemMenuManager {
public:
  // The process-wide manager.
  static StatusItemMenuManager& instance();

  StatusItemMenuManager() = default;
  ~StatusItemMenuManager();
  StatusItemMenuManager(const StatusItemMenuManager&) = delete;
  StatusItemMenuManager& operator=(const StatusItemMenuManager&) = delete;

  // The shared menu; until one is set, items are only remembered.
  void setMenu(QMenu* menu) { menu_ = menu; }
  QMenu* menu() const { return menu_; }

  // Adds an item at the end of the block; the manager owns it from now on.
  void addItem(std::unique_ptr<QAction> item);
  // Takes the block (its separator and items) out of the menu.
  void removeAllItems();

  std::vector<QAction*> currentMenuItems() const;
  int firstItemIndex() const { return firstItemIndex_; }

private:
  void release(std::unique_ptr<QAction> item);

  // Parent of the items removed but not yet deleted. Declared first, so it
  // goes last.
  QObject released_;
  QPointer<QMenu> menu_;
  std::vector<std::unique_ptr<QAction>> currentMenuItems_;
  int firstItemIndex_ = 0;
  std::unique_ptr<QAction> additionalSeparatorItem_;
};

} // namespace kr
