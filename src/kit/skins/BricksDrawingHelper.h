#pragma once

#include "kit/skins/ButtonDrawingFuncType.h"
#include "kit/skins/DrawingAsset.h"
#include "kit/skins/DrawingStack.h"

#include <QList>

#include <functional>
#include <optional>

namespace kr {

// How a brick paints its face: its drawing function when it has one, else its
// drawing stack, else the platform's own drawing (`drawAsPlatform`).
class BricksDrawingHelper {
public:
  BricksDrawingHelper() = delete;

  static void draw(const QRectF& frame, const std::optional<DrawingStack>& drawingStack,
                   const std::optional<ButtonDrawingFuncType>& drawingFunction,
                   const std::function<void(const QRectF&)>& drawAsPlatform,
                   const QList<DrawingAsset>& assets);
};

} // namespace kr
