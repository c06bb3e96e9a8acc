#include "kit/bricks/PopUpButtonBrick.h"

#include <QAction>
#include <QMenu>

namespace kr {

PopUpButtonBrick::PopUpButtonBrick(bool pullsDown, QWidget* parent)
    : MenuButtonBrick(pullsDown, parent) {
  connect(this, &MenuButtonBrick::currentIndexChanged, this,
          [this](int) { Q_EMIT selectedTagChanged(selectedTag()); });
}

void PopUpButtonBrick::apply(const ControlSkin&) {
  normalDrawingStack.reset();
  highlightedDrawingStack.reset();
  update();
}

QAction* PopUpButtonBrick::addItemWithTag(const QString& title, int tag) {
  QAction* item = addItem(title);
  item->setData(tag);
  return item;
}

QAction* PopUpButtonBrick::addSeparatorItem() {
  auto* separator = new QAction(itemMenu());
  separator->setSeparator(true);
  addAction(separator);
  return separator;
}

int PopUpButtonBrick::tagOfItemAt(int index) const {
  const QAction* item = itemAt(index);
  if (!item || item->isSeparator())
    return -1;
  bool ok = false;
  const int tag = item->data().toInt(&ok);
  return ok ? tag : -1;
}

int PopUpButtonBrick::indexOfItemWithTag(int tag) const {
  for (int i = 0; i < numberOfItems(); ++i) {
    const QAction* item = itemAt(i);
    if (!item->isSeparator() && item->data().isValid() && tagOfItemAt(i) == tag)
      return i;
  }
  return -1;
}

int PopUpButtonBrick::selectedTag() const { return tagOfItemAt(indexOfSelectedItem()); }

void PopUpButtonBrick::selectItemWithTag(int tag) {
  const int index = indexOfItemWithTag(tag);
  selectItemAt(index);
  if (index < 0)
    setText(QString());
}

} // namespace kr
