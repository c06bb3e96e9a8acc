#include "kit/bricks/MenuButtonBrick.h"

#include "kit/ControlSize.h"
#include "kit/SmartMenuItem.h"
#include "kit/bricks/BrickPainting.h"
#include "kit/skins/FocusMark.h"

#include <QMenu>

namespace kr {

MenuButtonBrick::MenuButtonBrick(bool pullsDown, QWidget* parent) : PopUpButton(pullsDown, parent) {
  setAutoDefault(false);
  connect(this, &PopUpButton::itemChosen, this, [this](int index) {
    if (!this->pullsDown())
      Q_EMIT currentIndexChanged(index);
  });
}

void MenuButtonBrick::small() { setControlSize(this, ControlSize::small); }

void MenuButtonBrick::menuWillOpen() {
  PopUpButton::menuWillOpen();
  if (buttonPressFunction)
    buttonPressFunction();
  SmartMenuItem::updateItemsOf(itemMenu());
  // The closures may have rebuilt the menu: the face item of a pull-down stays
  // out of the opened menu, and the items are validated again.
  const QList<QAction*> actions = itemMenu()->actions();
  for (qsizetype i = 0; i < actions.size(); ++i) {
    if (pullsDown())
      actions[i]->setVisible(i != 0);
  }
  SmartMenuItem::validateItemsOf(itemMenu());
}

void MenuButtonBrick::paintEvent(QPaintEvent* event) {
  const bool pressed = isDown();
  if (!paintBrick(this, pressed ? highlightedDrawingStack : normalDrawingStack,
                  pressed ? highlightedDrawFunc : normalDrawFunc, buttonAssets(this))) {
    PopUpButton::paintEvent(event);
    // A borderless button has no bezel for the style to mark.
    if (isFlat())
      FocusMark::paintIfShown(*this);
  }
}

} // namespace kr
