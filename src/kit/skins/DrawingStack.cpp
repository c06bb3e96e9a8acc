#include "kit/skins/DrawingStack.h"

namespace kr {

void DrawingStack::draw(const QRectF& frame) const {
  for (const DrawingOperation& operation : operations) {
    const QRectF adjusted = operation.frameAdjuster ? operation.frameAdjuster(frame) : frame;
    if (operation.function)
      operation.function(adjusted, operation.assets, operation.palette);
  }
}

} // namespace kr
