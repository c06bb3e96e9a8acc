#include "platform/layout/LayoutConstraint.h"

#include <atomic>

namespace kr {

namespace {
std::atomic<quint64> nextIdentity{1};

QString itemName(const QWidget* item, const QWidget* container) {
  if (!item)
    return QString();
  if (item == container)
    return QStringLiteral("superview");
  const QString name = item->objectName();
  const QString kind = QString::fromLatin1(item->metaObject()->className());
  return name.isEmpty() ? QStringLiteral("%1(%2)").arg(kind).arg(quintptr(item), 0, 16)
                        : QStringLiteral("%1 \"%2\"").arg(kind, name);
}
} // namespace

LayoutConstraint::LayoutConstraint(QWidget* firstItem, LayoutAttribute firstAttribute,
                                   LayoutRelation relation, QWidget* secondItem,
                                   LayoutAttribute secondAttribute, double multiplier,
                                   double constant, float priority)
    : firstItem_(firstItem), firstAttribute_(firstAttribute), relation_(relation),
      secondItem_(secondItem), secondAttribute_(secondAttribute), multiplier_(multiplier),
      constant_(constant), priority_(priority), identity_(nextIdentity++) {}

bool LayoutConstraint::sameRelationAs(const LayoutConstraint& other) const {
  return firstItem_ == other.firstItem_ && firstAttribute_ == other.firstAttribute_ &&
         relation_ == other.relation_ && secondItem_ == other.secondItem_ &&
         secondAttribute_ == other.secondAttribute_ && multiplier_ == other.multiplier_ &&
         constant_ == other.constant_ && priority_ == other.priority_;
}

QString LayoutConstraint::attributeName(LayoutAttribute attribute) {
  switch (attribute) {
  case LayoutAttribute::NotAnAttribute:
    return QStringLiteral("none");
  case LayoutAttribute::Left:
    return QStringLiteral("left");
  case LayoutAttribute::Right:
    return QStringLiteral("right");
  case LayoutAttribute::Top:
    return QStringLiteral("top");
  case LayoutAttribute::Bottom:
    return QStringLiteral("bottom");
  case LayoutAttribute::Leading:
    return QStringLiteral("leading");
  case LayoutAttribute::Trailing:
    return QStringLiteral("trailing");
  case LayoutAttribute::Width:
    return QStringLiteral("width");
  case LayoutAttribute::Height:
    return QStringLiteral("height");
  case LayoutAttribute::CenterX:
    return QStringLiteral("centerX");
  case LayoutAttribute::CenterY:
    return QStringLiteral("centerY");
  case LayoutAttribute::LastBaseline:
    return QStringLiteral("lastBaseline");
  case LayoutAttribute::FirstBaseline:
    return QStringLiteral("firstBaseline");
  }
  return QString();
}

QString LayoutConstraint::description(const QWidget* container) const {
  static const char* const relations[] = {"<=", "==", ">="};
  QString text = itemName(firstItem_, container) + QLatin1Char('.') +
                 attributeName(firstAttribute_) + QLatin1Char(' ') +
                 QLatin1String(relations[int(relation_) + 1]) + QLatin1Char(' ');
  QString rhs;
  if (secondItem_) {
    rhs = itemName(secondItem_, container) + QLatin1Char('.') + attributeName(secondAttribute_);
    if (multiplier_ != 1.0)
      rhs += QStringLiteral(" * %1").arg(multiplier_);
    if (constant_ != 0.0)
      rhs += constant_ < 0 ? QStringLiteral(" - %1").arg(-constant_)
                           : QStringLiteral(" + %1").arg(constant_);
  } else {
    rhs = QString::number(constant_);
  }
  text += rhs;
  if (!isRequired())
    text += QStringLiteral(" @%1").arg(double(priority_));
  return text;
}

} // namespace kr
