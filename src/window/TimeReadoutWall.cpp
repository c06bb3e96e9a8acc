#include "window/TimeReadoutWall.h"

#include "kit/KorvaneControlSkin.h"

#include <QHBoxLayout>

#include <algorithm>

namespace kr {

namespace {

QLabel* valueField(const QString& initial, QWidget* parent) {
  auto* field = new QLabel(initial, parent);
  field->setFont(KorvaneControlSkin::shared()->proportionalDigitsFont);
  return field;
}

struct HalfPlacement {
  int leadingInset = 0;
  int labelWidth = 0; // 0: as wide as the text
  int gap = 0;
};

QWidget* half(QLabel* label, QLabel* field, const QString& unit, const HalfPlacement& placement,
              QWidget* parent) {
  auto* wall = new QWidget(parent);
  auto* layout = new QHBoxLayout(wall);
  layout->setContentsMargins(placement.leadingInset, 0, 0, 0);
  layout->setSpacing(placement.gap);
  if (placement.labelWidth > 0) {
    label->setMinimumWidth(placement.labelWidth);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  }
  layout->addWidget(label, 0, Qt::AlignBaseline);
  layout->addWidget(field, 0, Qt::AlignBaseline);
  if (!unit.isEmpty())
    layout->addWidget(new QLabel(unit, wall), 0, Qt::AlignBaseline);
  layout->addStretch();
  // The halves share the line equally, whatever their texts ask for.
  wall->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  return wall;
}

} // namespace

TimeReadoutWall::TimeReadoutWall(const QString& firstLabel, const QString& firstInitial,
                                 const QString& firstUnit, const QString& secondLabel,
                                 const QString& secondInitial, QWidget* parent,
                                 Arrangement arrangement)
    : QWidget(parent) {
  firstHasUnit_ = !firstUnit.isEmpty();
  firstField_ = valueField(firstInitial, this);
  secondField_ = valueField(secondInitial, this);
  // The left half stands one inset in from the line's left edge; the right
  // half starts at its own left edge.
  HalfPlacement left{kInset, 0, 0};
  HalfPlacement right;
  if (arrangement == Arrangement::alignedLabels)
    left.labelWidth = right.labelWidth = kAlignedLabelWidth;
  else
    left.gap = right.gap = kInset;
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(half(new QLabel(firstLabel, this), firstField_, firstUnit, left, this), 1);
  layout->addWidget(half(new QLabel(secondLabel, this), secondField_, {}, right, this), 1);
}

void TimeReadoutWall::showIn(QLabel* field, const QString& text, bool keepsWidestSize) {
  if (field->text() == text)
    return;
  // Of a fixed size, the field tells its layout nothing when its text
  // changes (a layout of the whole page); it asks for more room only when
  // the new text needs it. The room it keeps beyond its text goes to the
  // stretch that ends its half.
  field->setText(text);
  if (!keepsWidestSize)
    return;
  const QSize hint = field->sizeHint();
  const bool fixed = field->minimumSize() == field->maximumSize();
  if (!fixed || hint.width() > field->width() || hint.height() != field->height())
    field->setFixedSize(std::max(hint.width(), fixed ? field->width() : 0), hint.height());
}

} // namespace kr
