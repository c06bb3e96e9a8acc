#pragma once

#include "platform/settings/ValueTransformer.h"
#include "stats/StatisticsManager.h"

#include <QDateTime>
#include <QStringList>

#include <optional>

namespace kr {

class TagManager;

// The statistics manager of the program: chooses the statistic that
// "currentlyDisplayedStatistic" names and filters the slices by tags and
// dates while "filtering" is on.
class FullFeaturedStatisticsManager : public StatisticsManager {
  Q_OBJECT

public:
  explicit FullFeaturedStatisticsManager(LogFileManager* logFiles = nullptr,
                                         UserDefaults* defaults = nullptr);
  ~FullFeaturedStatisticsManager() override;

  // The manager that ran awakeFromNib last; asking before that is a
  // programming error and stops the program.
  static FullFeaturedStatisticsManager& sharedInstance();
  static bool hasSharedInstance();

  void awakeFromNib() override;
  std::unique_ptr<Statistic> getCurrentStatistic() override;
  QStringList additionalKeyPathsToObserve() const override;
  void configureFiltersPreFlight() override;
  bool timeSliceMatchesFilterCriteria(const RawTimeSlice& slice) const override;

  TagManager& tagManager() const;

  const std::optional<QStringList>& cachedTagArray() const { return cachedTagArray_; }
  const std::optional<QDateTime>& cachedStartDate() const { return cachedStartDate_; }
  const std::optional<QDateTime>& cachedEndDate() const { return cachedEndDate_; }
  bool cachedShouldFilterDates() const { return cachedShouldFilterDates_; }
  bool cachedShouldFilterTags() const { return cachedShouldFilterTags_; }
  bool cachedFiltering() const { return cachedFiltering_; }

private:
  std::optional<QDateTime> dateOfSetting(const QString& key) const;

  std::optional<QStringList> cachedTagArray_;
  std::optional<QDateTime> cachedStartDate_;
  std::optional<QDateTime> cachedEndDate_;
  bool cachedShouldFilterDates_ = false;
  bool cachedShouldFilterTags_ = false;
  bool cachedFiltering_ = false;
  ValueTransformer stringToDateTransformer_;
  ValueTransformer stringToTokenArrayTransformer_;
};

} // namespace kr
