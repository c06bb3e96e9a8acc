#include "window/TimeReadoutWall.h"

#include "kit/KorvaneControlSkin.h"

#include <QHBoxLayout>

namespace kr {

namespace {

QLabel* valueField(const QString& initial, QWidget* parent) {
  auto* field = new QLabel(initial, parent);
  field->setFont(KorvaneControlSkin::shared()->proportionalDigitsFont);
  return field;
}

QWidget* half(QLabel* label, QLabel* field, const QString& unit, QWidget* parent) {
  auto* wall = new QWidget(parent);
  auto* layout = new QHBoxLayout(wall);
  layout->setContentsMargins(0, 0, 0, 0);
  label->setMinimumWidth(80);
  label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  layout->addWidget(label, 0, Qt::AlignBaseline);
  layout->addWidget(field, 0, Qt::AlignBaseline);
  if (!unit.isEmpty())
    layout->addWidget(new QLabel(unit, wall), 0, Qt::AlignBaseline);
  layout->addStretch();
  return wall;
}

} // namespace

TimeReadoutWall::TimeReadoutWall(const QString& firstLabel, const QString& firstInitial,
                                 const QString& firstUnit, const QString& secondLabel,
                                 const QString& secondInitial, QWidget* parent)
    : QWidget(parent) {
  firstField_ = valueField(firstInitial, this);
  secondField_ = valueField(secondInitial, this);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(half(new QLabel(firstLabel, this), firstField_, firstUnit, this), 1);
  layout->addWidget(half(new QLabel(secondLabel, this), secondField_, {}, this), 1);
}

} // namespace kr
