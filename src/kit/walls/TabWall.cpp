#include "kit/walls/TabWall.h"

#include "kit/walls/LayoutConstraintMaker.h"
#include "kit/walls/Wall.h"
#include "platform/layout/ConstraintLayout.h"

namespace kr {

TabWall::TabWall(QWidget* parent) : QStackedWidget(parent) {
  setFrameShape(QFrame::NoFrame);
  setAutoFillBackground(false);
}

TabWall::~TabWall() { qDeleteAll(items_); }

Wall* TabWall::createNewWall() {
  auto* page = new QWidget();
  auto* item = new TabViewItem(int(items_.size()), page);
  auto* wall = new Wall();
  if (item->view()) {
    ConstraintLayout::addSubview(page, wall);
    LayoutConstraintMaker maker(wall);
    maker.fillContainer();
    ConstraintLayout::of(page)->addConstraints(maker.constraints());
    wallToItem_.insert(wall, item);
  }
  items_.append(item);
  addWidget(page);
  return wall;
}

void TabWall::switchToWall(Wall* wall) {
  if (TabViewItem* item = wallToItem_.value(wall))
    selectTabViewItem(item);
}

bool TabWall::isCurrentWall(Wall* wall) const {
  TabViewItem* item = wallToItem_.value(wall);
  TabViewItem* selected = selectedTabViewItem();
  return item && selected && item == selected;
}

TabViewItem* TabWall::selectedTabViewItem() const {
  const int index = currentIndex();
  return index >= 0 && index < items_.size() ? items_[index] : nullptr;
}

void TabWall::selectTabViewItem(TabViewItem* item) {
  const qsizetype index = items_.indexOf(item);
  if (index >= 0)
    setCurrentIndex(int(index));
}

} // namespace kr
