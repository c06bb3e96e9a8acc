#pragma once

#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>

namespace kr {

// Edges, sizes, centres and baselines of a view. Top and bottom follow the
// widget convention: y grows downwards, so "top + 8" lies 8 points inside.
enum class LayoutAttribute {
  NotAnAttribute,
  Left,
  Right,
  Top,
  Bottom,
  Leading,
  Trailing,
  Width,
  Height,
  CenterX,
  CenterY,
  LastBaseline,
  FirstBaseline,
};

enum class LayoutRelation { LessThanOrEqual = -1, Equal = 0, GreaterThanOrEqual = 1 };

// Priorities run from 1 to 1000; 1000 is required, anything below is optional.
namespace LayoutPriority {
constexpr float required = 1000.0f;
constexpr float defaultHigh = 750.0f;
constexpr float defaultLow = 250.0f;
constexpr float fittingSizeCompression = 50.0f;
} // namespace LayoutPriority

// One linear relation between two views' attributes:
//   firstItem.firstAttribute <relation> secondItem.secondAttribute * multiplier + constant
// With no second item the right-hand side is the constant alone.
class LayoutConstraint {
public:
  LayoutConstraint() = default;
  LayoutConstraint(QWidget* firstItem, LayoutAttribute firstAttribute, LayoutRelation relation,
                   QWidget* secondItem, LayoutAttribute secondAttribute, double multiplier,
                   double constant, float priority = LayoutPriority::required);

  QWidget* firstItem() const { return firstItem_; }
  LayoutAttribute firstAttribute() const { return firstAttribute_; }
  LayoutRelation relation() const { return relation_; }
  QWidget* secondItem() const { return secondItem_; }
  LayoutAttribute secondAttribute() const { return secondAttribute_; }
  double multiplier() const { return multiplier_; }
  double constant() const { return constant_; }
  float priority() const { return priority_; }
  void setPriority(float priority) { priority_ = priority; }
  bool isRequired() const { return priority_ >= LayoutPriority::required; }

  // Each constraint made has its own identity; copies share it, so a copy
  // removes the installed original.
  quint64 identity() const { return identity_; }

  // Compares the relation, not the identity.
  bool sameRelationAs(const LayoutConstraint& other) const;

  // "Label.bottom == superview.bottom - 8" style text for console reports.
  QString description(const QWidget* container = nullptr) const;

  static QString attributeName(LayoutAttribute attribute);

private:
  QWidget* firstItem_ = nullptr;
  LayoutAttribute firstAttribute_ = LayoutAttribute::NotAnAttribute;
  LayoutRelation relation_ = LayoutRelation::Equal;
  QWidget* secondItem_ = nullptr;
  LayoutAttribute secondAttribute_ = LayoutAttribute::NotAnAttribute;
  double multiplier_ = 1.0;
  double constant_ = 0.0;
  float priority_ = LayoutPriority::required;
  quint64 identity_ = 0;
};

using LayoutConstraints = QList<LayoutConstraint>;

} // namespace kr
