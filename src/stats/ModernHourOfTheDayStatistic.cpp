#include "stats/ModernHourOfTheDayStatistic.h"

#include "engine/DateHelper.h"
#include "engine/FullDataSet.h"
#include "platform/LocalTimeZone.h"
#include "platform/QnLog.h"
#include "stats/JavaScriptSource.h"
#include "stats/StatisticsManager.h"

#include <algorithm>

namespace kr {

namespace {

constexpr int kHours = 24;
// The working hours, shown whatever their time.
constexpr int kFirstKeptHour = 8;
constexpr int kLastKeptHour = 17;
// Less counted time than this removes any other hour.
constexpr double kShownHourMinimum = 3600.0;

} // namespace

ModernHourOfTheDayStatistic::ModernHourOfTheDayStatistic() {
  supportsTagBasedFiltering = true;
  supportsTimeBasedFiltering = true;
  for (int hour = 0; hour < kHours; ++hour) {
    const QString key = QString::number(hour);
    labelsForHoursOfDayArray_.append(labelForHour(hour));
    keysForIterationArray_.append(key);
    totalAcrossAllConcentrationLevelsForHourOfTheDay_.insert(key, 0.0);
  }
}

QString ModernHourOfTheDayStatistic::labelForHour(int hour) {
  if (hour == 0)
    return QStringLiteral("midnight");
  if (hour == 12)
    return QStringLiteral("noon");
  return hour < 12 ? QStringLiteral("%1 am").arg(hour) : QStringLiteral("%1 pm").arg(hour - 12);
}

double ModernHourOfTheDayStatistic::totalOf(int hour) const {
  return totalAcrossAllConcentrationLevelsForHourOfTheDay_.value(QString::number(hour));
}

double ModernHourOfTheDayStatistic::percentOf(int hour, ConcentrationLevel level) const {
  return percentbars::valueOf(dataByHourOfTheDay_, QString::number(hour), level);
}

void ModernHourOfTheDayStatistic::add(const RawTimeSlice& slice, LocalClockTimes& clock) {
  // A slice without a readable start has no hour: left out.
  int hour = -1;
  if (const std::optional<qint64> start = slice.startInstant()) {
    const std::optional<int> offset = clock.offsetAt(*start);
    hour = offset ? LocalInstant{*start, *offset}.localHour()
                  : DateHelper::sharedHelper().hourOfDay(slice.startDate());
  }
  if (hour < 0 || hour >= kHours)
    return;
  percentbars::add(dataByHourOfTheDay_, totalAcrossAllConcentrationLevelsForHourOfTheDay_,
                   keysForIterationArray_[hour], slice.focusRating(), slice.actualDuration());
}

void ModernHourOfTheDayStatistic::computeStatistic(const FullDataSet* dataSet) {
  if (dataSet) {
    // The hours in the local zone as it is now, as the dates would show them.
    LocalClockTimes clock;
    for (const FullTimeSlice* slice : dataSet->timeSlices()) {
      if (!statisticsManager || statisticsManager->timeSliceMatchesFilterCriteria(*slice))
        add(*slice, clock);
    }
  }
  if (QnLog::isOn())
    qn_log(QStringLiteral("before making percents: ") +
           percentbars::describe(dataByHourOfTheDay_, keysForIterationArray_));
  for (const QString& key : keysForIterationArray_) {
    const auto entry = dataByHourOfTheDay_.find(key);
    if (entry == dataByHourOfTheDay_.end())
      continue;
    const double total = totalAcrossAllConcentrationLevelsForHourOfTheDay_.value(key);
    for (ConcentrationLevel level : concentration::sequence) {
      double& value = (*entry)[level];
      value = total > 0 ? value / total * 100.0 : 0.0;
    }
  }
  prune();
}

void ModernHourOfTheDayStatistic::prune() {
  // From the last position to the first, so that removing one leaves the
  // positions still to visit in place: position and hour stay equal.
  for (qsizetype position = keysForIterationArray_.size() - 1; position >= 0; --position) {
    if (position >= kFirstKeptHour && position <= kLastKeptHour)
      continue;
    const QString& key = keysForIterationArray_[position];
    if (totalAcrossAllConcentrationLevelsForHourOfTheDay_.value(key) < kShownHourMinimum) {
      keysForIterationArray_.removeAt(position);
      labelsForHoursOfDayArray_.removeAt(position);
    }
  }
}

QString ModernHourOfTheDayStatistic::renderScript() const {
  QStringList rows = keysForIterationArray_;
  std::reverse(rows.begin(), rows.end());
  QStringList labels = labelsForHoursOfDayArray_;
  std::reverse(labels.begin(), labels.end());
  QString script = percentbars::seriesScript(dataByHourOfTheDay_, rows);
  script += QStringLiteral("\nvar labels = ") + asJavaScriptSource(labels) + QStringLiteral(";\n");
  qn_log(script);
  return script + QStringLiteral("var barWidth = '2%';");
}

QString ModernHourOfTheDayStatistic::render() const {
  return percentbars::pageHead() + renderScript() + pageTail();
}

QString ModernHourOfTheDayStatistic::pageTail() {
  return percentbars::pageTail({{QStringLiteral("screen and (max-width: 2048px)"), 10, 50, {}},
                                {QStringLiteral("screen and (max-width: 800px)"), 5, 50, {}},
                                {QStringLiteral("screen and (max-width: 400px)"), 5, 50, {}}});
}

} // namespace kr
