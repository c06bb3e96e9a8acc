#include "stats/ModernOverviewStatistic.h"

#include "engine/DateHelper.h"
#include "engine/FullDataSet.h"
#include "platform/QnLog.h"
#include "stats/JavaScriptSource.h"
#include "stats/StatisticsManager.h"

#include <cmath>

namespace kr {

namespace {

constexpr double kMinutesAxisLimit = 60.0;

const QStringList& weekdayNames() {
  static const QStringList names{QStringLiteral("Sunday"),   QStringLiteral("Monday"),
                                 QStringLiteral("Tuesday"),  QStringLiteral("Wednesday"),
                                 QStringLiteral("Thursday"), QStringLiteral("Friday"),
                                 QStringLiteral("Saturday")};
  return names;
}

QString weekdayName(const QString& day) {
  const DateHelper& helper = DateHelper::sharedHelper();
  const std::optional<QDateTime> date = helper.dateFromString(day);
  const int weekday = date ? helper.dayOfTheWeek(*date) : 0;
  return weekday >= 1 && weekday <= 7 ? weekdayNames()[weekday - 1] : QString();
}

double barWidthFor(int duration) {
  switch (duration) {
  case 7:
    return 7.0;
  case 14:
    return 4.0;
  case 28:
    return 2.0;
  default:
    return 1.0;
  }
}

} // namespace

ModernOverviewStatistic::ModernOverviewStatistic() {
  supportsTimeBasedFiltering = false;
  supportsTagBasedFiltering = true;
}

std::map<ConcentrationLevel, double>
ModernOverviewStatistic::minutesOfDay(const QString& day) const {
  return dataByDayString_.value(day);
}

QStringList ModernOverviewStatistic::shownDays() const {
  return DateHelper::sharedHelper().lastDays(duration_ - 1);
}

void ModernOverviewStatistic::add(const RawTimeSlice& slice) {
  const std::optional<ConcentrationLevel> level = concentration::fromRawValue(slice.focusRating());
  if (!level)
    return;
  const QString day = slice.dayString().value_or(QString());
  auto& levels = dataByDayString_[day];
  // Worked seconds that are not a positive number count as nothing.
  const double seconds = slice.actualDuration();
  const double minutes = std::isfinite(seconds) && seconds > 0 ? seconds / 60.0 : 0.0;
  levels[*level] += minutes;
}

void ModernOverviewStatistic::computeStatistic(const FullDataSet* dataSet) {
  if (dataSet) {
    for (const FullTimeSlice* slice : dataSet->timeSlices()) {
      if (!statisticsManager || statisticsManager->timeSliceMatchesFilterCriteria(*slice))
        add(*slice);
    }
  }
  for (const QString& day : shownDays()) {
    const auto entry = dataByDayString_.constFind(day);
    if (entry == dataByDayString_.constEnd())
      continue;
    double sum = 0.0;
    for (const auto& [level, minutes] : *entry)
      sum += minutes;
    if (sum > kMinutesAxisLimit)
      useMinutesYAxis_ = false;
  }
}

QString ModernOverviewStatistic::renderScript() const {
  const QStringList days = shownDays();
  QString script;
  for (ConcentrationLevel level : concentration::sequence) {
    std::vector<double> values;
    values.reserve(std::size_t(days.size()));
    for (const QString& day : days) {
      const auto entry = dataByDayString_.constFind(day);
      double minutes = 0.0;
      if (entry != dataByDayString_.constEnd()) {
        const auto found = entry->find(level);
        if (found != entry->end())
          minutes = found->second;
      }
      values.push_back(minutes);
    }
    script += QStringLiteral("var ") + concentration::caseName(level) + QStringLiteral(" = ") +
              asJavaScriptSource(values) + QStringLiteral(";\n");
  }
  QStringList labels;
  for (const QString& day : days)
    labels.append(weekdayName(day));
  script += QStringLiteral("\nvar labels = ") + asJavaScriptSource(labels) + QStringLiteral(";\n");
  qn_log(script);
  script += QStringLiteral("var barWidth = '") + javaScriptNumber(barWidthFor(duration_)) +
            QStringLiteral("%';");
  script += QStringLiteral("var $use_minutes_y_axis = ") +
            (useMinutesYAxis_ ? QStringLiteral("true") : QStringLiteral("false")) +
            QStringLiteral(";");
  return script;
}

QString ModernOverviewStatistic::render() const { return pageHead() + renderScript() + pageTail(); }

} // namespace kr
