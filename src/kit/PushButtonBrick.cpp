#include "kit/PushButtonBrick.h"

#include "kit/BrickPainting.h"
#include "kit/BricksDrawing.h"
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
  // A widget with a style sheet takes no colours from its parent: the sheet
  // names the kit's own, so the button looks the same on every desktop.
  setStyleSheet(QStringLiteral("QPushButton { border-radius: 11px; border: 1px solid %1;"
                               " background: %2; color: %3; font-weight: bold; }"
                               " QPushButton:pressed { background: %4; color: %5; }"
                               " QPushButton:disabled { color: %1; }")
                    .arg(BricksDrawing::standardStroke().name(), BricksDrawing::darkFill().name(),
                         BricksDrawing::standardHighlightedText().name(),
                         BricksDrawing::darkHighlightedFill().name(),
                         BricksDrawing::darkHighlightedText().name()));
}

void PushButtonBrick::paintEvent(QPaintEvent* event) {
  const bool pressed = isDown();
  if (!paintBrick(this, pressed ? highlightedDrawingStack : normalDrawingStack,
                  pressed ? highlightedDrawFunc : normalDrawFunc, buttonAssets(this)))
    QPushButton::paintEvent(event);
}

} // namespace kr
