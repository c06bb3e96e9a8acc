#pragma once

#include <QHash>
#include <QList>
#include <QStackedWidget>
#include <QVariant>

namespace kr {

class Wall;

// One page of a tab wall: an identifier and the view that holds its content.
class TabViewItem {
public:
  TabViewItem(QVariant identifier, QWidget* view)
      : identifier_(std::move(identifier)), view_(view) {}
  const QVariant& identifier() const { return identifier_; }
  QWidget* view() const { return view_; }

private:
  QVariant identifier_;
  QWidget* view_;
};

// Pages of walls without tabs or border, one page shown at a time.
class TabWall : public QStackedWidget {
  Q_OBJECT

public:
  explicit TabWall(QWidget* parent = nullptr);
  ~TabWall() override;

  // A new page whose identifier is the number of pages before it, holding a
  // new wall that fills it; answers the wall.
  Wall* createNewWall();
  // Shows the page of a wall this tab wall made; any other wall changes nothing.
  void switchToWall(Wall* wall);
  bool isCurrentWall(Wall* wall) const;

  const QHash<Wall*, TabViewItem*>& contentWallToTabViewItemDict() const { return wallToItem_; }
  const QList<TabViewItem*>& tabViewItems() const { return items_; }
  TabViewItem* selectedTabViewItem() const;
  void selectTabViewItem(TabViewItem* item);

private:
  QList<TabViewItem*> items_;
  QHash<Wall*, TabViewItem*> wallToItem_;
};

} // namespace kr
