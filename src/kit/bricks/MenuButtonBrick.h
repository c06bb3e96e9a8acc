#pragma once

#include "kit/BrickType.h"
#include "kit/PopUpButton.h"
#include "kit/skins/ButtonDrawingFuncType.h"
#include "kit/skins/DrawingStack.h"

#include <functional>
#include <optional>

namespace kr {

// What the pop-up and pull-down bricks share: drawing stacks for the normal
// and pressed face, and the refresh as the menu is about to open, which runs
// `buttonPressFunction` and then the update closure of every smart item.
class MenuButtonBrick : public PopUpButton, public BrickType {
  Q_OBJECT
  Q_PROPERTY(
      int currentIndex READ indexOfSelectedItem WRITE selectItemAt NOTIFY currentIndexChanged)

public:
  explicit MenuButtonBrick(bool pullsDown, QWidget* parent = nullptr);

  std::optional<ButtonDrawingFuncType> normalDrawFunc;
  std::optional<ButtonDrawingFuncType> highlightedDrawFunc;
  std::optional<DrawingStack> normalDrawingStack;
  std::optional<DrawingStack> highlightedDrawingStack;
  std::function<void()> buttonPressFunction;

  void small() override;
  // Run as the menu is about to open.
  void menuWillOpen() override;

Q_SIGNALS:
  // The user chose another item of a pop-up.
  void currentIndexChanged(int index);

protected:
  void paintEvent(QPaintEvent* event) override;
};

} // namespace kr
