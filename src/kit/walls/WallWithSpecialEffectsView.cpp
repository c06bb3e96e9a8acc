#include "kit/walls/WallWithSpecialEffectsView.h"

#include "kit/VisualEffectView.h"
#include "kit/walls/BricksFactory.h"
#include "kit/walls/LayoutConstraintMaker.h"
#include "platform/layout/ConstraintLayout.h"

namespace kr {

WallWithSpecialEffectsView::WallWithSpecialEffectsView(QWidget* parent) : Wall(parent) {
  install(true);
}

WallWithSpecialEffectsView::WallWithSpecialEffectsView(const QRect& frame, QWidget* parent)
    : Wall(frame, parent) {
  install(true);
}

WallWithSpecialEffectsView::WallWithSpecialEffectsView(bool configure, QWidget* parent)
    : Wall(parent) {
  install(configure);
}

void WallWithSpecialEffectsView::install(bool configure) {
  effectView_ = new VisualEffectView();
  if (configure) {
    effectView_->setMaterial(VisualEffectView::Material::dark);
    effectView_->setState(VisualEffectView::State::followsWindowActiveState);
    effectView_->setBlendingMode(VisualEffectView::BlendingMode::behindWindow);
    effectView_->setAppearanceName(QStringLiteral("vibrantDark"));
  }
  ConstraintLayout::addSubview(this, effectView_);
  LayoutConstraintMaker maker(effectView_);
  maker.fillContainer();
  ConstraintLayout::of(this)->addConstraints(maker.constraints());
  factory()->setElementCreationTarget(effectView_);
}

} // namespace kr
