#pragma once

#include "kit/BrickType.h"
#include "kit/ButtonDrawingFuncType.h"
#include "kit/DrawingStack.h"

#include <QPushButton>

#include <functional>
#include <optional>

namespace kr {

// A push button that reports each press through `buttonPressFunction` and
// can paint its face through drawing functions or stacks (normal and
// pressed; a function wins over a stack).
class PushButtonBrick : public QPushButton, public BrickType {
  Q_OBJECT

public:
  explicit PushButtonBrick(QWidget* parent = nullptr);

  std::optional<DrawingStack> normalDrawingStack;
  std::optional<ButtonDrawingFuncType> normalDrawFunc;
  std::optional<ButtonDrawingFuncType> highlightedDrawFunc;
  std::optional<DrawingStack> highlightedDrawingStack;
  std::function<void()> buttonPressFunction;

  void small() override;
  void mini();
  void apply(const ControlSkin& skin) override;

  // The round help button that runs `action` when pressed.
  static PushButtonBrick* helpButton(std::function<void()> action);

  // The factory's two presets: a borderless text button and the round help button.
  void makeBorderless();
  void makeHelpButton();
  bool isHelpButton() const { return isHelpButton_; }

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  void buttonPressedCallBack();

  bool isHelpButton_ = false;
};

} // namespace kr
