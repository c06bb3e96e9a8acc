#include "window/StatusItemMenuManager.h"

#include <QAction>
#include <QMenu>

namespace kr {

StatusItemMenuManager& StatusItemMenuManager::instance() {
  static StatusItemMenuManager manager;
  return manager;
}

StatusItemMenuManager::~StatusItemMenuManager() { removeAllItems(); }

void StatusItemMenuManager::addItem(std::unique_ptr<QAction> item) {
  if (menu_) {
    if (currentMenuItems_.empty()) {
      // The block starts in front of the menu's first separator, or at its end.
      const QList<QAction*> items = menu_->actions();
      firstItemIndex_ = 0;
      while (firstItemIndex_ < items.size() && !items.at(firstItemIndex_)->isSeparator())
        ++firstItemIndex_;
      additionalSeparatorItem_ = std::make_unique<QAction>();
      additionalSeparatorItem_->setSeparator(true);
      QAction* before = firstItemIndex_ < items.size() ? items.at(firstItemIndex_) : nullptr;
      menu_->insertAction(before, additionalSeparatorItem_.get());
    }
    const QList<QAction*> items = menu_->actions();
    const qsizetype at = firstItemIndex_ + qsizetype(currentMenuItems_.size()) + 1;
    menu_->insertAction(at < items.size() ? items.at(at) : nullptr, item.get());
  }
  currentMenuItems_.push_back(std::move(item));
}

void StatusItemMenuManager::removeAllItems() {
  if (additionalSeparatorItem_ && menu_)
    menu_->removeAction(additionalSeparatorItem_.get());
  release(std::move(additionalSeparatorItem_));
  for (std::unique_ptr<QAction>& item : currentMenuItems_) {
    if (menu_)
      menu_->removeAction(item.get());
    release(std::move(item));
  }
  currentMenuItems_.clear();
}

void StatusItemMenuManager::release(std::unique_ptr<QAction> item) {
  if (!item)
    return;
  // A state's item often ends the state, which removes the block while the
  // item is still being triggered: it goes once control is back in the event
  // loop, or with the manager when no event loop runs again.
  QAction* action = item.release();
  action->setParent(&released_);
  action->deleteLater();
}

std::vector<QAction*> StatusItemMenuManager::currentMenuItems() const {
  std::vector<QAction*> items;
  for (const std::unique_ptr<QAction>& item : currentMenuItems_)
    items.push_back(item.get());
  return items;
}

} // namespace kr
