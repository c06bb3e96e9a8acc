#include "kit/PopUpButtonBrick.h"

namespace kr {

PopUpButtonBrick::PopUpButtonBrick(bool pullsDown, QWidget* parent)
    : MenuButtonBrick(pullsDown, parent) {}

void PopUpButtonBrick::apply(const ControlSkin&) {
  normalDrawingStack.reset();
  highlightedDrawingStack.reset();
  update();
}

} // namespace kr
