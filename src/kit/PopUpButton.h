#pragma once

#include <QList>
#include <QPushButton>

class QAction;
class QMenu;

namespace kr {

// A button that opens a menu of items. As a pop-up it shows the selected item
// and choosing an item selects it; as a pull-down its first item is its face
// and the menu lists the items after it.
class PopUpButton : public QPushButton {
  Q_OBJECT

public:
  explicit PopUpButton(bool pullsDown = false, QWidget* parent = nullptr);

  // A pull-down with one item carrying the title, shown on its face.
  static PopUpButton* standardPullDownButton(const QString& title);

  bool pullsDown() const { return pullsDown_; }
  void setPullsDown(bool pullsDown);

  QMenu* itemMenu() const { return menu_; }
  QAction* addItem(const QString& title);
  void addAction(QAction* action);
  int numberOfItems() const;
  QAction* itemAt(int index) const;
  QString itemTitleAt(int index) const;
  void removeAllItems();

  int indexOfSelectedItem() const { return selected_; }
  void selectItemAt(int index);
  QString titleOfSelectedItem() const;
  // The face title; for a pull-down also the first item's title.
  void setTitle(const QString& title);
  // Brings the items up to date as the menu is about to open: a pull-down's
  // face item stays out of it, a pop-up checks its selected item.
  virtual void menuWillOpen();
  // Whether the opened menu would show an item (separators aside).
  bool offersAChoice() const;

Q_SIGNALS:
  void itemChosen(int index);
  // A press found nothing to choose in the menu, which stayed closed.
  void pressedWithNothingToChoose();

private:
  void refreshFace();
  void openUnlessEmpty();

  QMenu* menu_;
  bool pullsDown_;
  int selected_ = -1;
  // The press brought the menu up to date for the opening that follows.
  bool preparedForOpening_ = false;
};

} // namespace kr
