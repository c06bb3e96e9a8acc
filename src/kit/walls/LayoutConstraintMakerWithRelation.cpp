#include "kit/walls/LayoutConstraintMakerWithRelation.h"

#include "kit/walls/BricksFactory.h"
#include "kit/walls/LayoutConstraintMaker.h"
#include "platform/FatalError.h"

namespace kr {

LayoutConstraintMakerWithRelation::LayoutConstraintMakerWithRelation(
    LayoutConstraintMaker* container, QWidget* relation)
    : container_(container), relation_(relation) {}

LayoutConstraintMakerWithRelation& LayoutConstraintMakerWithRelation::relate(LayoutAttribute a,
                                                                             LayoutAttribute b,
                                                                             double multiplier,
                                                                             double constant) {
  container_->append(LayoutConstraint(container_->subject(), a, LayoutRelation::Equal, relation_, b,
                                      multiplier, constant));
  return *this;
}

LayoutConstraintMakerWithRelation& LayoutConstraintMakerWithRelation::width(double multiplier) {
  return relate(LayoutAttribute::Width, LayoutAttribute::Width, multiplier, 0.0);
}

LayoutConstraintMakerWithRelation& LayoutConstraintMakerWithRelation::height(double multiplier) {
  return relate(LayoutAttribute::Height, LayoutAttribute::Height, multiplier, 0.0);
}

LayoutConstraintMakerWithRelation&
LayoutConstraintMakerWithRelation::pin(SmartLayoutDirectionsType direction, double constant) {
  static const LayoutAttribute attributes[] = {LayoutAttribute::Left,    LayoutAttribute::Right,
                                               LayoutAttribute::Top,     LayoutAttribute::Bottom,
                                               LayoutAttribute::Leading, LayoutAttribute::Trailing};
  const LayoutAttribute a = attributes[int(direction)];
  return relate(a, a, 1.0, constant);
}

LayoutConstraintMakerWithRelation&
LayoutConstraintMakerWithRelation::pin(LayoutAttribute a, LayoutAttribute b, double constant) {
  return relate(a, b, 1.0, constant);
}

LayoutConstraintMakerWithRelation& LayoutConstraintMakerWithRelation::place(LayoutAttribute a,
                                                                            LayoutAttribute b) {
  const auto factory = BricksFactory::current();
  KR_ASSERT(factory, QStringLiteral("place called without a current bricks factory"));
  return relate(a, b, 1.0, factory->insetFor(a));
}

LayoutConstraintMakerWithRelation& LayoutConstraintMakerWithRelation::lowPriority() {
  container_->lowPriority();
  return *this;
}

LayoutConstraintMakerWithRelation& LayoutConstraintMakerWithRelation::highPriority() {
  container_->highPriority();
  return *this;
}

} // namespace kr
