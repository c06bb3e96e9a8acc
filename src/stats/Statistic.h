#pragma once

#include <QString>

namespace kr {

class FullDataSet;
class StatisticsManager;

// A statistic computed from the logged slices and rendered into one complete
// HTML page. Every computation uses a fresh object.
class Statistic {
public:
  Statistic() = default;
  virtual ~Statistic() = default;
  Statistic(const Statistic&) = delete;
  Statistic& operator=(const Statistic&) = delete;

  bool supportsTagBasedFiltering = false;
  bool supportsTimeBasedFiltering = false;
  // The manager that made the statistic; it decides which slices pass the
  // filters. None: every slice passes.
  StatisticsManager* statisticsManager = nullptr;

  // Adds up the data set (none: nothing to add).
  virtual void computeStatistic(const FullDataSet* dataSet);
  virtual bool noDataToShow() const;
  // The whole page.
  virtual QString render() const;
};

} // namespace kr
