#pragma once

#include "kit/walls/WallWithSpecialEffectsView.h"

namespace kr {

// A special-effects wall whose backdrop is left for its user to set up.
class WallWithUnconfiguredSpecialEffectsView : public WallWithSpecialEffectsView {
  Q_OBJECT

public:
  explicit WallWithUnconfiguredSpecialEffectsView(QWidget* parent = nullptr);
};

} // namespace kr
