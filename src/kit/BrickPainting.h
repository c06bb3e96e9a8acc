#pragma once

#include "kit/DrawingStack.h"

#include <optional>

class QWidget;

namespace kr {

// Paints a brick's face through its drawing stack, in y-up drawing
// coordinates over the brick's bounds. Answers false when there is no stack,
// so the caller lets the platform draw its standard look.
bool paintBrickWithStack(QWidget* brick, const std::optional<DrawingStack>& stack);

} // namespace kr
