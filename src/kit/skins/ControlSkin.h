#pragma once

#include "kit/skins/DrawingPalette.h"
#include "kit/skins/DrawingStack.h"

#include <memory>
#include <optional>

class QAbstractButton;

namespace kr {

// Hands each kind of brick the drawing stacks of its looks. The base skin
// gives no stacks (the platform draws) and a red label palette. Skins are held
// by std::shared_ptr; the stacks they build keep them alive.
class ControlSkin : public std::enable_shared_from_this<ControlSkin> {
public:
  ControlSkin() = default;
  virtual ~ControlSkin() = default;

  virtual std::optional<DrawingStack> normalPushButtonDrawingStack(QAbstractButton* button) const;
  virtual std::optional<DrawingStack>
  highlightedPushButtonDrawingStack(QAbstractButton* button) const;
  virtual std::optional<DrawingStack>
  pullDownButtonDrawingStack(QAbstractButton* pullDownButton) const;
  virtual std::optional<DrawingStack>
  highlightedPullDownButtonDrawingStack(QAbstractButton* pullDownButton) const;
  virtual std::optional<DrawingStack> popUpButtonDrawingStack(QAbstractButton* popUpButton) const;
  virtual std::optional<DrawingStack>
  highlightedPopUpButtonDrawingStack(QAbstractButton* popUpButton) const;
  virtual std::optional<DrawingStack> checkBoxOffDrawingStack(QAbstractButton* checkBox) const;
  virtual std::optional<DrawingStack> checkBoxOnDrawingStack(QAbstractButton* checkBox) const;
  virtual DrawingPalette labelPalette() const;

  // The text provider asset of a button: its title at drawing time.
  static DrawingAsset titleOf(QAbstractButton* button);
};

} // namespace kr
