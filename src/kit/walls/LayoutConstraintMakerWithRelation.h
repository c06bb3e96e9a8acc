#pragma once

#include "platform/layout/LayoutConstraint.h"

namespace kr {

class LayoutConstraintMaker;

// Edges a `pin` by direction relates: the same attribute on both views.
enum class SmartLayoutDirectionsType { left, right, top, bottom, leading, trailing };

// Relates the subject of a maker to one other view (the relation); every
// constraint made lands in the maker's list.
class LayoutConstraintMakerWithRelation {
public:
  LayoutConstraintMakerWithRelation(LayoutConstraintMaker* container, QWidget* relation);

  QWidget* relation() const { return relation_; }
  LayoutConstraintMaker& container() const { return *container_; }

  // subject.width = relation.width * multiplier
  LayoutConstraintMakerWithRelation& width(double multiplier);
  LayoutConstraintMakerWithRelation& height(double multiplier);
  // subject.direction = relation.direction + constant
  LayoutConstraintMakerWithRelation& pin(SmartLayoutDirectionsType direction, double constant);
  // subject.a = relation.b + constant
  LayoutConstraintMakerWithRelation& pin(LayoutAttribute a, LayoutAttribute b, double constant);
  // subject.a = relation.b + the current factory's inset for a
  LayoutConstraintMakerWithRelation& place(LayoutAttribute a, LayoutAttribute b);
  LayoutConstraintMakerWithRelation& lowPriority();
  LayoutConstraintMakerWithRelation& highPriority();

private:
  LayoutConstraintMakerWithRelation& relate(LayoutAttribute a, LayoutAttribute b, double multiplier,
                                            double constant);

  LayoutConstraintMaker* container_;
  QWidget* relation_;
};

} // namespace kr
