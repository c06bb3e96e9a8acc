#pragma once

#include "window/TimeReadoutWall.h"

#include <functional>

namespace kr {

// "Duration:" with the chosen whole minutes and "Ends:" with the time the
// slice or break would end if it started now. The length comes through two
// replaceable functions (by default the slice length).
class DefineDurationTimeIndicatorWall : public TimeReadoutWall {
  Q_OBJECT

public:
  explicit DefineDurationTimeIndicatorWall(QWidget* parent = nullptr);

  std::function<qint32()> obtainDurationInSecondsFunc;
  std::function<qint32()> obtainDurationInMinutesFunc;

  QLabel* durationTextField() const { return firstField(); }
  QLabel* endDateField() const { return secondField(); }

  void updateState();
};

} // namespace kr
