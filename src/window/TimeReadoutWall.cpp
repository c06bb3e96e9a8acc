#include "window/TimeReadoutWall.h"

#include "engine/DateHelper.h"
#include "kit/Label.h"
#include "kit/skins/KorvaneControlSkin.h"

#include <QHBoxLayout>

namespace kr {

namespace {

// The layout of one half, whose invalidation a new text can hold back.
class ReadoutHalfLayout final : public QHBoxLayout {
public:
  using QHBoxLayout::QHBoxLayout;
  void invalidate() override {
    if (!held_)
      QHBoxLayout::invalidate();
  }
  void hold(bool on) { held_ = on; }

private:
  bool held_ = false;
};

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
  auto* layout = new ReadoutHalfLayout(wall);
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

void showIn(QLabel* field, const RichText& text, bool mayKeepItsRoom) {
  auto* layout =
      mayKeepItsRoom ? dynamic_cast<ReadoutHalfLayout*>(field->parentWidget()->layout()) : nullptr;
  if (!layout) {
    Label::showRichText(field, text);
    return;
  }
  // A new text tells the field's layout that its size may have changed,
  // and the whole page is laid out again: once a second, for a clock. A
  // text that fits the room the field has keeps it (what is left goes to
  // the stretch that ends the half); only one that needs more asks.
  layout->hold(true);
  const bool changed = Label::showRichText(field, text);
  layout->hold(false);
  if (!changed)
    return;
  const QSize hint = field->sizeHint();
  if (hint.width() > field->width() || hint.height() > field->height() || !field->isVisible())
    layout->invalidate();
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

void TimeReadoutWall::showFirst(const QString& text) {
  showIn(firstField_, RichText(text), !firstHasUnit_);
}

void TimeReadoutWall::showSecond(const QString& text) { showSecond(RichText(text)); }

void TimeReadoutWall::showSecond(const RichText& text) { showIn(secondField_, text, true); }

void TimeReadoutWall::showSecondAsTimeOfDay(const QDateTime& date) {
  showSecond(DateHelper::sharedHelper().formatDateAsTimeWithAmPmIfAppropriate(date));
}

} // namespace kr
