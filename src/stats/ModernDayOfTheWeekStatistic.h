#pragma once

#include "stats/PercentBarPage.h"
#include "stats/Statistic.h"

#include <QHash>
#include <QStringList>

namespace kr {

class RawTimeSlice;

// For each day of the week, how its counted time divides among the four
// concentration levels, in percent of that weekday's total. Takes both
// filters.
class ModernDayOfTheWeekStatistic : public Statistic {
public:
  ModernDayOfTheWeekStatistic();

  // "Sunday" ... "Saturday", by calendar weekday 1 to 7.
  static const QStringList& weekDayNameArray();
  // The weekday's counted seconds, every rating included.
  double totalOf(const QString& weekday) const;
  // After computing: the level's percent of the weekday's total (0 without an entry).
  double percentOf(const QString& weekday, ConcentrationLevel level) const;

  void computeStatistic(const FullDataSet* dataSet) override;
  QString render() const override;

  // The "var" lines between the page's fixed head and tail.
  QString renderScript() const;
  static QString pageTail();

private:
  void add(const RawTimeSlice& slice);
  // Calendar weekday 1 to 7 of a "yyyy-MM-dd" day; 0 when it is no day.
  int weekdayOf(const QString& day);

  QHash<QString, double> totalAcrossAllConcentrationLevelsForDayOfTheWeek_;
  percentbars::ValuesByKey dataByDayOfTheWeek_;
  QHash<QString, int> weekdayOfDay_;
};

} // namespace kr
