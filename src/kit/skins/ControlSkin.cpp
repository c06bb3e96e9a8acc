#include "kit/skins/ControlSkin.h"

#include <QAbstractButton>
#include <QPointer>

namespace kr {

std::optional<DrawingStack> ControlSkin::normalPushButtonDrawingStack(QAbstractButton*) const {
  return std::nullopt;
}

std::optional<DrawingStack>
ControlSkin::highlightedPushButtonDrawingStack(QAbstractButton* button) const {
  return normalPushButtonDrawingStack(button);
}

std::optional<DrawingStack> ControlSkin::pullDownButtonDrawingStack(QAbstractButton*) const {
  return std::nullopt;
}

std::optional<DrawingStack>
ControlSkin::highlightedPullDownButtonDrawingStack(QAbstractButton*) const {
  return std::nullopt;
}

std::optional<DrawingStack> ControlSkin::popUpButtonDrawingStack(QAbstractButton*) const {
  return std::nullopt;
}

std::optional<DrawingStack>
ControlSkin::highlightedPopUpButtonDrawingStack(QAbstractButton*) const {
  return std::nullopt;
}

std::optional<DrawingStack> ControlSkin::checkBoxOffDrawingStack(QAbstractButton*) const {
  return std::nullopt;
}

std::optional<DrawingStack> ControlSkin::checkBoxOnDrawingStack(QAbstractButton*) const {
  return std::nullopt;
}

DrawingPalette ControlSkin::labelPalette() const { return DrawingPalette::textColor(Qt::red); }

DrawingAsset ControlSkin::titleOf(QAbstractButton* button) {
  QPointer<QAbstractButton> guarded(button);
  return DrawingAsset::textProvider([guarded] { return guarded ? guarded->text() : QString(); });
}

} // namespace kr
