#include "kit/walls/BricksFactory.h"

#include "kit/BrickType.h"
#include "kit/ControlSize.h"
#include "kit/IntegerTextField.h"
#include "kit/Label.h"
#include "kit/PopUpButton.h"
#include "kit/ViewWithInstrinsicSize.h"
#include "kit/skins/ControlSkin.h"
#include "kit/walls/LayoutConstraintMaker.h"
#include "kit/walls/TabWall.h"
#include "kit/walls/Wall.h"
#include "kit/walls/WallWithSpecialEffectsView.h"
#include "kit/walls/WallWithUnconfiguredSpecialEffectsView.h"
#include "platform/FatalError.h"
#include "platform/layout/ConstraintLayout.h"

namespace kr {

namespace {
// Main thread only, like every view operation.
std::shared_ptr<BricksFactory>& currentFactory() {
  static std::shared_ptr<BricksFactory> factory;
  return factory;
}
std::shared_ptr<BricksFactory>& rootFactory() {
  static std::shared_ptr<BricksFactory> factory;
  return factory;
}
} // namespace

std::shared_ptr<BricksFactory> BricksFactory::create() {
  std::shared_ptr<BricksFactory> factory(new BricksFactory());
  factory->makeCurrent();
  return factory;
}

std::shared_ptr<BricksFactory> BricksFactory::createTopLevelFactory() {
  auto factory = create();
  factory->isTopLevel_ = true;
  factory->horizontalInset_ = 8.0;
  factory->verticalInset_ = 8.0;
  return factory;
}

std::shared_ptr<BricksFactory> BricksFactory::topLevel() {
  if (!rootFactory())
    rootFactory() = createTopLevelFactory();
  return rootFactory();
}

std::shared_ptr<BricksFactory> BricksFactory::current() { return currentFactory(); }

void BricksFactory::makeCurrent() { currentFactory() = shared_from_this(); }

std::shared_ptr<BricksFactory> BricksFactory::factoryFor(QWidget* containerView) {
  for (QWidget* view = containerView; view; view = view->parentWidget()) {
    if (auto wall = qobject_cast<Wall*>(view))
      return wall->factory();
  }
  return topLevel();
}

std::shared_ptr<BricksFactory> BricksFactory::outerFactory() const {
  QWidget* superview = containerView_ ? containerView_->parentWidget() : nullptr;
  return superview ? factoryFor(superview) : topLevel();
}

double BricksFactory::inheritedHorizontalInset() const {
  if (horizontalInset_)
    return *horizontalInset_;
  return outerFactory()->inheritedHorizontalInset();
}

double BricksFactory::inheritedVerticalInset() const {
  if (verticalInset_)
    return *verticalInset_;
  return outerFactory()->inheritedVerticalInset();
}

BrickSize BricksFactory::inheritedBrickSize() const {
  if (brickSize_ != BrickSize::inherited)
    return brickSize_;
  if (isTopLevel_)
    return BrickSize::standard;
  return outerFactory()->inheritedBrickSize();
}

double BricksFactory::insetFor(LayoutAttribute attribute) const {
  switch (attribute) {
  case LayoutAttribute::Left:
  case LayoutAttribute::Leading:
    return inheritedHorizontalInset();
  case LayoutAttribute::Right:
  case LayoutAttribute::Trailing:
    return -inheritedHorizontalInset();
  case LayoutAttribute::Top:
    return inheritedVerticalInset();
  case LayoutAttribute::Bottom:
    return -inheritedVerticalInset();
  default:
    return 0.0;
  }
}

void BricksFactory::internalAddBrick(QWidget* brick, const Constraints& constraints) {
  makeCurrent();
  if (currentView_)
    previous_ = currentView_;
  currentView_ = brick;
  if (QWidget* target = elementCreationTarget_) {
    ConstraintLayout::addSubview(target, brick);
    if (constraints) {
      LayoutConstraintMaker maker(brick);
      constraints(maker);
      ConstraintLayout::of(target)->addConstraints(maker.constraints());
    }
  }
  if (controlSkin_) {
    if (auto kitBrick = dynamic_cast<BrickType*>(brick))
      kitBrick->apply(*controlSkin_);
  }
  applySize(brick);
}

void BricksFactory::applySize(QWidget* brick) {
  const BrickSize size = brickSize_ == BrickSize::inherited ? inheritedBrickSize() : brickSize_;
  if (auto kitBrick = dynamic_cast<BrickType*>(brick)) {
    if (size == BrickSize::small)
      kitBrick->small();
  } else if (isControl(brick)) {
    if (size == BrickSize::mini)
      setControlSize(brick, ControlSize::mini);
    else if (size == BrickSize::small)
      setControlSize(brick, ControlSize::small);
  }
}

void BricksFactory::constrainSize(QWidget* wall, std::optional<QSizeF> size) {
  if (!size)
    return;
  KR_ASSERT(elementCreationTarget_,
            QStringLiteral("a sized wall needs a factory with an element-creation target"));
  LayoutConstraintMaker maker(wall);
  maker.width(size->width()).height(size->height());
  ConstraintLayout::of(elementCreationTarget_)->addConstraints(maker.constraints());
}

Label* BricksFactory::label(const QString& title, const Constraints& constraints) {
  Label* brick = Label::standardLabel(title);
  internalAddBrick(brick, constraints);
  return brick;
}

IntegerTextField* BricksFactory::integerTextField(int initialValue, std::optional<int> minValue,
                                                  std::optional<int> maxValue,
                                                  const Constraints& constraints) {
  IntegerTextField* brick = IntegerTextField::integerTextField(initialValue, minValue, maxValue);
  internalAddBrick(brick, constraints);
  return brick;
}

PopUpButton* BricksFactory::pullDownButton(const QString& title, const Constraints& constraints) {
  PopUpButton* brick = PopUpButton::standardPullDownButton(title);
  internalAddBrick(brick, constraints);
  return brick;
}

ViewWithInstrinsicSize* BricksFactory::viewWithIntrinicSize(QSizeF size,
                                                            const Constraints& constraints) {
  auto* brick = new ViewWithInstrinsicSize(QRectF(QPointF(0, 0), size));
  internalAddBrick(brick, constraints);
  return brick;
}

Wall* BricksFactory::wall(std::optional<QSizeF> size, const Constraints& constraints) {
  auto* brick = new Wall();
  internalAddBrick(brick, constraints);
  constrainSize(brick, size);
  return brick;
}

WallWithSpecialEffectsView* BricksFactory::specialEffectWall(std::optional<QSizeF> size,
                                                             const Constraints& constraints) {
  auto* brick = new WallWithSpecialEffectsView();
  internalAddBrick(brick, constraints);
  constrainSize(brick, size);
  return brick;
}

WallWithUnconfiguredSpecialEffectsView*
BricksFactory::unconfiguredSpecialEffectWall(std::optional<QSizeF> size,
                                             const Constraints& constraints) {
  auto* brick = new WallWithUnconfiguredSpecialEffectsView();
  internalAddBrick(brick, constraints);
  constrainSize(brick, size);
  return brick;
}

TabWall* BricksFactory::tabWall(const Constraints& constraints) {
  auto* brick = new TabWall();
  internalAddBrick(brick, constraints);
  return brick;
}

} // namespace kr
