#include "kit/bricks/CheckBoxBrick.h"

#include "kit/ControlSize.h"
#include "kit/bricks/BrickPainting.h"
#include "kit/skins/ControlSkin.h"

namespace kr {

CheckBoxBrick::CheckBoxBrick(QWidget* parent) : QCheckBox(parent) {
  // clicked comes from the user only, never from a binding setting the state.
  connect(this, &QAbstractButton::clicked, this, &CheckBoxBrick::actionMethod);
}

CheckBoxBrick::CheckBoxBrick(const QString& title, ChangeFunc action, QWidget* parent)
    : CheckBoxBrick(parent) {
  setText(title);
  actualCheckboxFunc_ = std::move(action);
}

void CheckBoxBrick::actionMethod() {
  if (actualCheckboxFunc_)
    actualCheckboxFunc_(isChecked());
}

void CheckBoxBrick::small() { setControlSize(this, ControlSize::small); }

void CheckBoxBrick::mini() { setControlSize(this, ControlSize::mini); }

void CheckBoxBrick::apply(const ControlSkin& skin) {
  onStateDrawingStack = skin.checkBoxOnDrawingStack(this);
  offStateDrawingStack = skin.checkBoxOffDrawingStack(this);
  update();
}

void CheckBoxBrick::paintEvent(QPaintEvent* event) {
  // A check box hands over no assets: only plain functions suit it.
  const bool on = isChecked();
  if (!paintBrick(this, on ? onStateDrawingStack : offStateDrawingStack,
                  on ? onStateDrawFunc : offStateDrawFunc, {}))
    QCheckBox::paintEvent(event);
}

} // namespace kr
