#include "olderviews/BreakDurationBottomView.h"

#include "engine/DataModel.h"

namespace kr {

BreakDurationBottomView::BreakDurationBottomView(QWidget* parent) : TimeControlBottomView(parent) {}

qint64 BreakDurationBottomView::duration() const {
  return DataModel::shared().breakDurationInMinutes();
}

qint64 BreakDurationBottomView::durationInSeconds() const {
  return DataModel::shared().breakDurationInSeconds();
}

void BreakDurationBottomView::setDurationInMinutes(int minutes) {
  DataModel::shared().setBreakDurationInMinutes(minutes);
}

void BreakDurationBottomView::registerListener() {
  if (listening_)
    return;
  listening_ = true;
  DataModel::shared().addBreakDurationListener(*this);
}

} // namespace kr
