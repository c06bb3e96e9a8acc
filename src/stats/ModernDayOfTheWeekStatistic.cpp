#include "stats/ModernDayOfTheWeekStatistic.h"

#include "engine/DateHelper.h"
#include "engine/FullDataSet.h"
#include "platform/QnLog.h"
#include "stats/StatisticsManager.h"

namespace kr {

namespace {

// The chart's rows, top to bottom: the week from Monday to Sunday, reversed.
const QStringList& rows() {
  static const QStringList names{QStringLiteral("Sunday"),    QStringLiteral("Saturday"),
                                 QStringLiteral("Friday"),    QStringLiteral("Thursday"),
                                 QStringLiteral("Wednesday"), QStringLiteral("Tuesday"),
                                 QStringLiteral("Monday")};
  return names;
}

} // namespace

ModernDayOfTheWeekStatistic::ModernDayOfTheWeekStatistic() {
  supportsTimeBasedFiltering = true;
  supportsTagBasedFiltering = true;
  for (const QString& name : weekDayNameArray())
    totalAcrossAllConcentrationLevelsForDayOfTheWeek_.insert(name, 0.0);
}

const QStringList& ModernDayOfTheWeekStatistic::weekDayNameArray() {
  static const QStringList names{QStringLiteral("Sunday"),   QStringLiteral("Monday"),
                                 QStringLiteral("Tuesday"),  QStringLiteral("Wednesday"),
                                 QStringLiteral("Thursday"), QStringLiteral("Friday"),
                                 QStringLiteral("Saturday")};
  return names;
}

double ModernDayOfTheWeekStatistic::totalOf(const QString& weekday) const {
  return totalAcrossAllConcentrationLevelsForDayOfTheWeek_.value(weekday);
}

double ModernDayOfTheWeekStatistic::percentOf(const QString& weekday,
                                              ConcentrationLevel level) const {
  return percentbars::valueOf(dataByDayOfTheWeek_, weekday, level);
}

int ModernDayOfTheWeekStatistic::weekdayOf(const QString& day) {
  // Many slices share a day: each day text is read once per computation.
  const auto known = weekdayOfDay_.constFind(day);
  if (known != weekdayOfDay_.constEnd())
    return *known;
  const DateHelper& helper = DateHelper::sharedHelper();
  const std::optional<QDateTime> date = helper.dateFromString(day);
  const int weekday = date ? helper.dayOfTheWeek(*date) : 0;
  weekdayOfDay_.insert(day, weekday);
  return weekday;
}

void ModernDayOfTheWeekStatistic::add(const RawTimeSlice& slice) {
  // A day text that does not read back as a day has no weekday: left out.
  const int weekday = slice.dayString() ? weekdayOf(*slice.dayString()) : 0;
  if (weekday < 1 || weekday > 7)
    return;
  percentbars::add(dataByDayOfTheWeek_, totalAcrossAllConcentrationLevelsForDayOfTheWeek_,
                   weekDayNameArray()[weekday - 1], slice.focusRating(), slice.actualDuration());
}

void ModernDayOfTheWeekStatistic::computeStatistic(const FullDataSet* dataSet) {
  if (dataSet) {
    for (const FullTimeSlice* slice : dataSet->timeSlices()) {
      if (!statisticsManager || statisticsManager->timeSliceMatchesFilterCriteria(*slice))
        add(*slice);
    }
  }
  const bool logging = QnLog::isOn();
  if (logging)
    qn_log(QStringLiteral("before making percents: ") +
           percentbars::describe(dataByDayOfTheWeek_, weekDayNameArray()));
  for (const QString& name : weekDayNameArray()) {
    const auto entry = dataByDayOfTheWeek_.find(name);
    if (entry == dataByDayOfTheWeek_.end())
      continue;
    const double total = totalOf(name);
    for (ConcentrationLevel level : concentration::sequence) {
      const double value = (*entry)[level];
      if (logging)
        qn_log(QStringLiteral("duration at level %1 for %2: %3")
                   .arg(concentration::caseName(level), name, QString::number(value, 'g', 17)));
      (*entry)[level] = total > 0 ? value / total * 100.0 : 0.0;
    }
  }
}

QString ModernDayOfTheWeekStatistic::renderScript() const {
  QString script = percentbars::seriesScript(dataByDayOfTheWeek_, rows());
  script += QStringLiteral("\nvar labels = ['Sunday', 'Saturday', 'Friday', 'Thursday', "
                           "'Wednesday', 'Tuesday', 'Monday' ];\n");
  qn_log(script);
  return script + QStringLiteral("var barWidth = '8%';");
}

QString ModernDayOfTheWeekStatistic::render() const {
  return percentbars::pageHead() + renderScript() + pageTail();
}

QString ModernDayOfTheWeekStatistic::pageTail() {
  return percentbars::pageTail(
      {{QStringLiteral("screen and (max-width: 2048px)"), 10, 60, QStringLiteral("return value;")},
       {QStringLiteral("screen and (max-width: 800px)"), 5, 20,
        QStringLiteral("return value.slice(0, 2);")},
       {QStringLiteral("screen and (max-width: 400px)"), 5, 20,
        QStringLiteral("return value.slice(0, 1);")}});
}

} // namespace kr
