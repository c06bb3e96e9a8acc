#include "kit/walls/WallWithUnconfiguredSpecialEffectsView.h"

namespace kr {

WallWithUnconfiguredSpecialEffectsView::WallWithUnconfiguredSpecialEffectsView(QWidget* parent)
    : WallWithSpecialEffectsView(false, parent) {}

} // namespace kr
