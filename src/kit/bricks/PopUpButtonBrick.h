#pragma once

#include "kit/bricks/MenuButtonBrick.h"

namespace kr {

// A pop-up button whose face shows the chosen item. No skin has pop-up
// artwork, so applying one leaves it with the platform's look.
//
// Items may carry a tag (a number, e.g. the value a setting stores for them);
// `selectedTag` is the chosen item's tag, -1 when no item is chosen or the
// chosen one has none. It is announced only when the user chooses an item.
class PopUpButtonBrick : public MenuButtonBrick {
  Q_OBJECT
  Q_PROPERTY(int selectedTag READ selectedTag WRITE selectItemWithTag NOTIFY selectedTagChanged)

public:
  explicit PopUpButtonBrick(bool pullsDown = false, QWidget* parent = nullptr);

  void apply(const ControlSkin& skin) override;

  // Appends an item carrying `tag`.
  QAction* addItemWithTag(const QString& title, int tag);
  // Appends a separator, which cannot be chosen.
  QAction* addSeparatorItem();
  int tagOfItemAt(int index) const;
  int indexOfItemWithTag(int tag) const;

  int selectedTag() const;
  // Selects the first item carrying `tag`; with no such item none is selected
  // and the face is empty.
  void selectItemWithTag(int tag);

Q_SIGNALS:
  void selectedTagChanged(int tag);
};

} // namespace kr
