#include "stats/ReportsStatistic.h"

#include "engine/DateHelper.h"
#include "engine/FullDataSet.h"
#include "stats/ReportsStatisticHelper.h"
#include "stats/StatisticsManager.h"

#include <cmath>
#include <limits>

namespace kr {

ReportsStatistic::ReportsStatistic() {
  supportsTagBasedFiltering = true;
  supportsTimeBasedFiltering = true;
}

void ReportsStatistic::add(const RawTimeSlice& slice) {
  const double seconds = slice.actualDuration();
  ++timeslices_;
  totalTime_ += seconds;
  const QString& rating = slice.focusRating();
  if (rating == QLatin1StringView("distracted"))
    distractedTime_ += seconds;
  else if (rating == QLatin1StringView("experienced flow"))
    flowTime_ += seconds;
  else if (rating == QLatin1StringView("highly focused"))
    highlyConcentratedTime_ += seconds;
  else
    goodTime_ += seconds;
  if (slice.dayString())
    workedOnDays_.insert(*slice.dayString());
}

void ReportsStatistic::computeStatistic(const FullDataSet* dataSet) {
  if (!dataSet)
    return;
  for (const FullTimeSlice* slice : dataSet->timeSlices()) {
    if (!statisticsManager || statisticsManager->timeSliceMatchesFilterCriteria(*slice))
      add(*slice);
  }
}

std::array<float, 4> ReportsStatistic::percentages() const {
  const std::array<double, 4> times{distractedTime_, goodTime_, flowTime_, highlyConcentratedTime_};
  const double sum = times[0] + times[1] + times[2] + times[3];
  const float divisor = float(sum);
  std::array<float, 4> percent{};
  if (!(sum > 0))
    return percent;
  for (std::size_t i = 0; i < times.size(); ++i) {
    if (std::isfinite(divisor)) {
      percent[i] = std::floor(float(times[i]) / divisor * 100.0f);
    } else {
      // Times beyond single precision (a damaged log): divided as they are.
      percent[i] = float(std::floor(times[i] / sum * 100.0));
    }
  }
  return percent;
}

qint64 ReportsStatistic::wholeSeconds(double seconds) {
  // 2^63 as a double; anything at or above it holds no 64-bit count.
  constexpr double kLimit = 9223372036854775808.0;
  if (!(seconds > 0))
    return 0;
  return seconds >= kLimit ? std::numeric_limits<qint64>::max() : qint64(seconds);
}

QString ReportsStatistic::renderScript() const {
  const std::array<float, 4> percent = percentages();
  const float distracted = percent[0], good = percent[1], flow = percent[2],
              highlyConcentrated = percent[3];
  QString script;
  script += QStringLiteral("var $time = \"%1\";\n")
                .arg(DateHelper::formatNumberOfSecondsAsHoursAndMinutes(wholeSeconds(totalTime_)));
  script += QStringLiteral("var $timeslice_value = %1;\n").arg(timeslices_);
  script += QStringLiteral("var $days_value = %1;\n").arg(workedOnDays_.size());
  // QString::asprintf formats in the C locale: a decimal point, always.
  script += QString::asprintf("var $distracted = %f;\n", double(distracted));
  script += QString::asprintf("var $good = %f;\n", double(good));
  script += QString::asprintf("var $flow = %f;\n", double(flow));
  script += QString::asprintf("var $highlyConcentrated = %f;\n", double(highlyConcentrated));
  script += QString::asprintf("var $labels = ['%d%%','%d%%','%d%%','%d%%'];\n", int(flow),
                              int(highlyConcentrated), int(good), int(distracted));
  return script;
}

QString ReportsStatistic::render() const {
  return ReportsStatisticHelper::renderOutputString(renderScript());
}

} // namespace kr
