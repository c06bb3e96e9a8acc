#pragma once

#include "stats/PercentBarPage.h"
#include "stats/Statistic.h"

#include <QHash>
#include <QStringList>

namespace kr {

class LocalClockTimes;
class RawTimeSlice;

// For each hour of the day in which slices start, how the counted time
// divides among the four concentration levels, in percent of that hour's
// total. The working hours 8 to 17 always show; any other hour only with at
// least an hour of counted time. Takes both filters.
class ModernHourOfTheDayStatistic : public Statistic {
public:
  ModernHourOfTheDayStatistic();

  // The labels and keys of the hours still shown ("midnight" ... "11 pm",
  // "0" ... "23"), in hour order.
  const QStringList& labelsForHoursOfDayArray() const { return labelsForHoursOfDayArray_; }
  const QStringList& keysForIterationArray() const { return keysForIterationArray_; }
  // The label of an hour 0 to 23.
  static QString labelForHour(int hour);
  double totalOf(int hour) const;
  // After computing: the level's percent of the hour's total (0 without an entry).
  double percentOf(int hour, ConcentrationLevel level) const;

  void computeStatistic(const FullDataSet* dataSet) override;
  QString render() const override;

  // The "var" lines between the page's fixed head and tail.
  QString renderScript() const;
  static QString pageTail();

private:
  void add(const RawTimeSlice& slice, LocalClockTimes& clock);
  void prune();

  QStringList labelsForHoursOfDayArray_;
  QStringList keysForIterationArray_;
  QHash<QString, double> totalAcrossAllConcentrationLevelsForHourOfTheDay_;
  percentbars::ValuesByKey dataByHourOfTheDay_;
};

} // namespace kr
