#pragma once

#include "kit/skins/ButtonDrawingFuncType.h"
#include "kit/skins/DrawingAsset.h"
#include "kit/skins/DrawingStack.h"

#include <QList>

#include <optional>

class QAbstractButton;
class QWidget;

namespace kr {

// Paints a brick's face with its drawing function or, without one, its
// drawing stack (through BricksDrawingHelper, in y-up drawing coordinates over
// the brick's bounds). Answers false when it has neither, so the caller lets
// the platform draw its standard look.
bool paintBrick(QWidget* brick, const std::optional<DrawingStack>& stack,
                const std::optional<ButtonDrawingFuncType>& function,
                const QList<DrawingAsset>& assets);

// What a button hands to its drawing: its image (when it has one), then its title.
QList<DrawingAsset> buttonAssets(const QAbstractButton* button);

} // namespace kr
