#include "kit/PushButtonBrick.h"

#include "kit/BrickPainting.h"
#include "kit/ControlSize.h"
#include "kit/ControlSkin.h"

namespace kr {

PushButtonBrick::PushButtonBrick(QWidget* parent) : QPushButton(parent) {
  setAutoDefault(false);
  connect(this, &QAbstractButton::clicked, this, &PushButtonBrick::buttonPressedCallBack);
}

void PushButtonBrick::buttonPressedCallBack() {
  if (buttonPressFunction)
    buttonPressFunction();
}

void PushButtonBrick::small() { setControlSize(this, ControlSize::small); }

void PushButtonBrick::mini() { setControlSize(this, ControlSize::mini); }

void PushButtonBrick::apply(const ControlSkin& skin) {
  normalDrawingStack = skin.normalPushButtonDrawingStack(this);
  highlightedDrawingStack = skin.highlightedPushButtonDrawingStack(this);
  update();
}

PushButtonBrick* PushButtonBrick::helpButton(std::function<void()> action) {
  auto* brick = new PushButtonBrick();
  brick->buttonPressFunction = std::move(action);
  brick->makeHelpButton();
  return brick;
}

void PushButtonBrick::makeBorderless() { setFlat(true); }

void PushButtonBrick::makeHelpButton() {
  isHelpButton_ = true;
  setText(QStringLiteral("?"));
  setToolTip(tr("Help"));
  setFixedSize(22, 22);
  setStyleSheet(QStringLiteral("QPushButton { border-radius: 11px; border: 1px solid palette(mid);"
                               " background: palette(button); font-weight: bold; }"));
}

void PushButtonBrick::paintEvent(QPaintEvent* event) {
  const bool pressed = isDown();
  if (!paintBrick(this, pressed ? highlightedDrawingStack : normalDrawingStack,
                  pressed ? highlightedDrawFunc : normalDrawFunc, buttonAssets(this)))
    QPushButton::paintEvent(event);
}

} // namespace kr
