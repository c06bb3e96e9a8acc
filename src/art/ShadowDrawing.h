#pragma once

#include "platform/drawing/BezierPath.h"

#include <QColor>

namespace kr {

// Fills `path` in the current graphics context with `color`, casting a soft
// black shadow (alpha 0.3, blur 3) `distance` away at `degrees`
// counter-clockwise from the positive x axis. The context's state is kept.
void fillWithShadowAtDegrees(const BezierPath& path, const QColor& color, float degrees,
                             float distance);

} // namespace kr
