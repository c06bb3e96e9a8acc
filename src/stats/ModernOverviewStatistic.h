#pragma once

#include "stats/ConcentrationLevel.h"
#include "stats/Statistic.h"

#include <QHash>
#include <QStringList>

#include <map>

namespace kr {

class RawTimeSlice;

// The overview of the last 7, 14 or 28 days: a stacked bar per day with one
// segment per concentration level, in minutes, or in hours once a shown day
// holds more than an hour. Takes the tag filter, not the date filter.
class ModernOverviewStatistic : public Statistic {
public:
  ModernOverviewStatistic();

  int duration() const { return duration_; }
  void setDuration(int days) { duration_ = days; }
  bool useMinutesYAxis() const { return useMinutesYAxis_; }
  // Minutes per level of a day ("yyyy-MM-dd"); empty for a day without slices.
  std::map<ConcentrationLevel, double> minutesOfDay(const QString& day) const;

  void computeStatistic(const FullDataSet* dataSet) override;
  QString render() const override;

  // The "var" lines between the page's fixed head and tail.
  QString renderScript() const;
  static QString pageHead();
  static QString pageTail();

private:
  void add(const RawTimeSlice& slice);
  QStringList shownDays() const;

  QHash<QString, std::map<ConcentrationLevel, double>> dataByDayString_;
  int duration_ = 7;
  bool useMinutesYAxis_ = true;
};

} // namespace kr
