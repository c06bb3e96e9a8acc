#include "kit/bricks/SegmentedControlBrick.h"

#include "kit/ControlSize.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QToolButton>

namespace kr {

SegmentedControlBrick::SegmentedControlBrick(QWidget* parent)
    : QWidget(parent), row_(new QHBoxLayout(this)), group_(new QButtonGroup(this)) {
  row_->setContentsMargins(0, 0, 0, 0);
  row_->setSpacing(0);
  group_->setExclusive(true);
  // idClicked comes from the user only.
  connect(group_, &QButtonGroup::idClicked, this, &SegmentedControlBrick::selectionChangedCallBack);
}

void SegmentedControlBrick::setSegmentCount(int count) {
  count = std::max(0, count);
  while (segments_.size() > count) {
    QToolButton* last = segments_.takeLast();
    group_->removeButton(last);
    delete last;
  }
  while (segments_.size() < count) {
    auto* segment = new QToolButton(this);
    segment->setCheckable(true);
    segment->setAutoRaise(false);
    segment->setToolButtonStyle(Qt::ToolButtonTextOnly);
    segment->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    group_->addButton(segment, int(segments_.size()));
    row_->addWidget(segment);
    segments_.append(segment);
  }
  updateGeometry();
}

QString SegmentedControlBrick::label(int segment) const {
  QToolButton* button = segments_.value(segment);
  return button ? button->text() : QString();
}

void SegmentedControlBrick::setLabel(const QString& label, int segment) {
  if (QToolButton* button = segments_.value(segment))
    button->setText(label);
}

int SegmentedControlBrick::selectedSegment() const { return group_->checkedId(); }

void SegmentedControlBrick::setSelectedSegment(int segment) {
  if (segment == selectedSegment())
    return;
  if (QToolButton* button = segments_.value(segment)) {
    button->setChecked(true);
  } else if (QAbstractButton* checked = group_->checkedButton()) {
    group_->setExclusive(false);
    checked->setChecked(false);
    group_->setExclusive(true);
  }
  Q_EMIT selectedSegmentChanged(selectedSegment());
}

void SegmentedControlBrick::selectionChangedCallBack(int segment) {
  Q_EMIT selectedSegmentChanged(segment);
  if (selectionChangedFunction)
    selectionChangedFunction(segment);
}

void SegmentedControlBrick::small() {
  // The small size only: the segments keep their font.
  const QFont kept = font();
  setControlSize(this, ControlSize::small);
  setFont(kept);
}

void SegmentedControlBrick::apply(const ControlSkin&) {}

} // namespace kr
