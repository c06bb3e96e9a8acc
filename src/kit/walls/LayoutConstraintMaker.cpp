#include "kit/walls/LayoutConstraintMaker.h"

#include "kit/walls/BricksFactory.h"
#include "platform/FatalError.h"

namespace kr {

LayoutConstraintMaker::LayoutConstraintMaker(QWidget* subject) : subject_(subject) {}

QWidget* LayoutConstraintMaker::superview() const {
  QWidget* superview = subject_->parentWidget();
  KR_ASSERT(superview, QStringLiteral("constraint to the container of a view without one"));
  return superview;
}

LayoutConstraintMaker& LayoutConstraintMaker::fillContainer() {
  QWidget* s = superview();
  for (LayoutAttribute a : {LayoutAttribute::Top, LayoutAttribute::Bottom, LayoutAttribute::Left,
                            LayoutAttribute::Right})
    constraints_.append(LayoutConstraint(subject_, a, LayoutRelation::Equal, s, a, 1.0, 0.0));
  return *this;
}

LayoutConstraintMakerWithRelation LayoutConstraintMaker::and_(QWidget* view) {
  return LayoutConstraintMakerWithRelation(this, view);
}

LayoutConstraintMakerWithRelation LayoutConstraintMaker::container() {
  return LayoutConstraintMakerWithRelation(this, superview());
}

LayoutConstraintMakerWithRelation LayoutConstraintMaker::previous() {
  const auto factory = BricksFactory::current();
  QWidget* previous = factory ? factory->previous() : nullptr;
  if (!previous)
    KR_FATAL(QStringLiteral("previous called but does not exist"));
  return LayoutConstraintMakerWithRelation(this, previous);
}

LayoutConstraintMaker& LayoutConstraintMaker::sizeConstraint(LayoutAttribute attribute,
                                                             LayoutRelation relation,
                                                             double constant) {
  constraints_.append(LayoutConstraint(subject_, attribute, relation, nullptr,
                                       LayoutAttribute::NotAnAttribute, 1.0, constant));
  return *this;
}

LayoutConstraintMaker& LayoutConstraintMaker::width(double width) {
  return sizeConstraint(LayoutAttribute::Width, LayoutRelation::Equal, width);
}

LayoutConstraintMaker& LayoutConstraintMaker::minWidth(double width) {
  return sizeConstraint(LayoutAttribute::Width, LayoutRelation::GreaterThanOrEqual, width);
}

LayoutConstraintMaker& LayoutConstraintMaker::maxWidth(double width) {
  return sizeConstraint(LayoutAttribute::Width, LayoutRelation::LessThanOrEqual, width);
}

LayoutConstraintMaker& LayoutConstraintMaker::height(double height) {
  return sizeConstraint(LayoutAttribute::Height, LayoutRelation::Equal, height);
}

LayoutConstraintMaker& LayoutConstraintMaker::minHeight(double height) {
  return sizeConstraint(LayoutAttribute::Height, LayoutRelation::GreaterThanOrEqual, height);
}

LayoutConstraintMaker& LayoutConstraintMaker::maxHeight(double height) {
  return sizeConstraint(LayoutAttribute::Height, LayoutRelation::LessThanOrEqual, height);
}

LayoutConstraintMaker& LayoutConstraintMaker::pin() {
  QWidget* s = superview();
  for (LayoutAttribute a : {LayoutAttribute::CenterX, LayoutAttribute::CenterY})
    constraints_.append(LayoutConstraint(subject_, a, LayoutRelation::Equal, s, a, 1.0, 0.0));
  return *this;
}

LayoutConstraintMaker& LayoutConstraintMaker::lowPriority() {
  if (!constraints_.isEmpty())
    constraints_.last().setPriority(LayoutPriority::defaultLow);
  return *this;
}

LayoutConstraintMaker& LayoutConstraintMaker::highPriority() {
  if (!constraints_.isEmpty())
    constraints_.last().setPriority(LayoutPriority::defaultHigh);
  return *this;
}

} // namespace kr
