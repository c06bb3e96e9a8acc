#pragma once

#include "kit/walls/LayoutConstraintMakerWithRelation.h"
#include "platform/layout/LayoutConstraint.h"

namespace kr {

// Collects constraints on one view (the subject). Every call that makes a
// constraint appends exactly one and returns the maker, so calls chain; nothing
// is installed here.
class LayoutConstraintMaker {
public:
  explicit LayoutConstraintMaker(QWidget* subject);

  QWidget* subject() const { return subject_; }
  const LayoutConstraints& constraints() const { return constraints_; }
  LayoutConstraints& constraints() { return constraints_; }

  // top, bottom, left, right equal to the superview's, constant 0, in that order.
  LayoutConstraintMaker& fillContainer();
  // A relation builder for another view; `and` itself is a reserved word in C++.
  LayoutConstraintMakerWithRelation and_(QWidget* view);
  // A relation builder for the subject's superview.
  LayoutConstraintMakerWithRelation container();
  // A relation builder for the brick added before the one being placed.
  LayoutConstraintMakerWithRelation previous();

  LayoutConstraintMaker& width(double width);
  LayoutConstraintMaker& minWidth(double width);
  LayoutConstraintMaker& maxWidth(double width);
  LayoutConstraintMaker& height(double height);
  LayoutConstraintMaker& minHeight(double height);
  LayoutConstraintMaker& maxHeight(double height);
  // Centres the subject horizontally and vertically in its superview.
  LayoutConstraintMaker& pin();

  // Lower or raise the constraint made last to the default low (250) or high
  // (750) priority.
  LayoutConstraintMaker& lowPriority();
  LayoutConstraintMaker& highPriority();

  void append(const LayoutConstraint& constraint) { constraints_.append(constraint); }

private:
  LayoutConstraintMaker& sizeConstraint(LayoutAttribute attribute, LayoutRelation relation,
                                        double constant);
  QWidget* superview() const;

  QWidget* subject_;
  LayoutConstraints constraints_;
};

} // namespace kr
