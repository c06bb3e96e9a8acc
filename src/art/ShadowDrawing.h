#pragma once

#include "platform/drawing/BezierPath.h"

#include <QColor>

namespace kr {

struct Shadow;

// Fills `path` in the current graphics context with `color`, casting a soft
// black shadow (alpha 0.3, blur 3) `distance` away at `degrees`
// counter-clockwise from the positive x axis. The context's state is kept.
void fillWithShadowAtDegrees(const BezierPath& path, const QColor& color, float degrees,
                             float distance);

// Draws `shadow` inside `shape` in the current graphics context, falling from
// its edges: what lies outside the shape casts it, drawn only where the shape
// is. The context's state is kept.
void drawInnerShadow(const BezierPath& shape, const Shadow& shadow);

} // namespace kr
