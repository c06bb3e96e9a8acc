#pragma once

#include "stats/Statistic.h"

#include <QSet>
#include <QString>

#include <array>

namespace kr {

class RawTimeSlice;

// A summary of the slices that pass the filters: worked time, number of
// slices and of distinct days, and each concentration level's share of the
// time as a donut. Takes both filters.
class ReportsStatistic : public Statistic {
public:
  ReportsStatistic();

  qint64 timeslices() const { return timeslices_; }
  double totalTime() const { return totalTime_; }
  double highlyConcentratedTime() const { return highlyConcentratedTime_; }
  double flowTime() const { return flowTime_; }
  double distractedTime() const { return distractedTime_; }
  double goodTime() const { return goodTime_; }
  qsizetype workedOnDays() const { return workedOnDays_.size(); }

  // Whole percent of the rated time, in the order distracted, good, flow,
  // highly focused; all 0 when no time is rated.
  std::array<float, 4> percentages() const;

  void computeStatistic(const FullDataSet* dataSet) override;
  QString render() const override;

  // The "var" lines the report page is built around.
  QString renderScript() const;
  // The worked time as whole seconds, held within what a count of seconds holds.
  static qint64 wholeSeconds(double seconds);

private:
  void add(const RawTimeSlice& slice);

  qint64 timeslices_ = 0;
  double totalTime_ = 0.0;
  double highlyConcentratedTime_ = 0.0;
  double flowTime_ = 0.0;
  double distractedTime_ = 0.0;
  double goodTime_ = 0.0;
  QSet<QString> workedOnDays_;
};

} // namespace kr
