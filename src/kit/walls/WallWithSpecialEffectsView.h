#pragma once

#include "kit/walls/Wall.h"

namespace kr {

class VisualEffectView;

// A wall filled by a dark backdrop view that receives every brick added
// through the wall's factory.
class WallWithSpecialEffectsView : public Wall {
  Q_OBJECT

public:
  explicit WallWithSpecialEffectsView(QWidget* parent = nullptr);
  explicit WallWithSpecialEffectsView(const QRect& frame, QWidget* parent = nullptr);

  VisualEffectView* effectView() const { return effectView_; }

protected:
  // For the unconfigured variant: installs the effect view without setting it up.
  WallWithSpecialEffectsView(bool configure, QWidget* parent);

private:
  void install(bool configure);

  VisualEffectView* effectView_ = nullptr;
};

} // namespace kr
