#include "stats/FullFeaturedStatisticsManager.h"

#include "engine/DateHelper.h"
#include "engine/RawTimeSlice.h"
#include "engine/TagManager.h"
#include "platform/FatalError.h"
#include "platform/QnLog.h"
#include "platform/settings/UserDefaults.h"
#include "stats/ModernDayOfTheWeekStatistic.h"
#include "stats/ModernHourOfTheDayStatistic.h"
#include "stats/ModernOverviewStatistic.h"
#include "stats/ReportsStatistic.h"

#include <QLocale>

namespace kr {

namespace {

FullFeaturedStatisticsManager* sharedManager = nullptr;

ValueTransformer registeredOr(const QString& name, ValueTransformer fallback) {
  return ValueTransformer::isRegistered(name) ? ValueTransformer::named(name) : fallback;
}

QString describe(const std::optional<QDateTime>& date) {
  return date ? QLocale().toString(*date, QLocale::LongFormat) : QStringLiteral("(null)");
}

std::unique_ptr<Statistic> overview(int days) {
  auto statistic = std::make_unique<ModernOverviewStatistic>();
  statistic->setDuration(days);
  return statistic;
}

} // namespace

FullFeaturedStatisticsManager::FullFeaturedStatisticsManager(LogFileManager* logFiles,
                                                             UserDefaults* defaults)
    : StatisticsManager(logFiles, defaults),
      stringToDateTransformer_(
          registeredOr(QStringLiteral("StringToDateTransformer"), transformers::stringToDate())),
      stringToTokenArrayTransformer_(registeredOr(QStringLiteral("StringToTokenArrayTransformer"),
                                                  transformers::stringToTokenArray())) {}

FullFeaturedStatisticsManager::~FullFeaturedStatisticsManager() {
  if (sharedManager == this)
    sharedManager = nullptr;
}

FullFeaturedStatisticsManager& FullFeaturedStatisticsManager::sharedInstance() {
  KR_ASSERT(sharedManager,
            QStringLiteral("Statistics manager shared instance called before initialized"));
  return *sharedManager;
}

bool FullFeaturedStatisticsManager::hasSharedInstance() { return sharedManager != nullptr; }

void FullFeaturedStatisticsManager::awakeFromNib() {
  sharedManager = this;
  StatisticsManager::awakeFromNib();
}

std::unique_ptr<Statistic> FullFeaturedStatisticsManager::getCurrentStatistic() {
  std::unique_ptr<Statistic> statistic;
  switch (defaults().integer(currentlyDisplayedStatisticKey())) {
  case 0:
    statistic = overview(7);
    break;
  case 1:
    statistic = std::make_unique<ModernDayOfTheWeekStatistic>();
    break;
  case 3:
    statistic = std::make_unique<ModernHourOfTheDayStatistic>();
    break;
  case 4:
    statistic = std::make_unique<ReportsStatistic>();
    break;
  case 5:
    statistic = overview(14);
    break;
  case 6:
    statistic = overview(28);
    break;
  default:
    return nullptr;
  }
  statistic->statisticsManager = this;
  return statistic;
}

QStringList FullFeaturedStatisticsManager::additionalKeyPathsToObserve() const {
  return StatisticsManager::additionalKeyPathsToObserve() +
         QStringList{QStringLiteral("tagFilter"),     QStringLiteral("statsRadioButtonChoice"),
                     QStringLiteral("statsDateMode"), QStringLiteral("statsFromDate"),
                     QStringLiteral("statsToDate"),   QStringLiteral("filtering")};
}

TagManager& FullFeaturedStatisticsManager::tagManager() const {
  return TagManager::sharedInstance();
}

std::optional<QDateTime> FullFeaturedStatisticsManager::dateOfSetting(const QString& key) const {
  const QVariant date = stringToDateTransformer_.transformedValue(defaults().object(key));
  if (date.typeId() != QMetaType::QDateTime || !date.toDateTime().isValid())
    return std::nullopt;
  return date.toDateTime();
}

void FullFeaturedStatisticsManager::configureFiltersPreFlight() {
  qn_log(QStringLiteral("-- Filter Options --"));
  cachedTagArray_.reset();
  cachedStartDate_.reset();
  cachedEndDate_.reset();
  cachedShouldFilterTags_ = false;
  cachedShouldFilterDates_ = false;
  cachedFiltering_ = defaults().boolValue(QStringLiteral("filtering"));

  const std::unique_ptr<Statistic> forTags = getCurrentStatistic();
  if (forTags && forTags->supportsTagBasedFiltering) {
    cachedShouldFilterTags_ = true;
    const QVariant filter = defaults().object(QStringLiteral("tagFilter"));
    if (filter.isValid() && !UserDefaults::toString(filter).isEmpty()) {
      const QVariant tokens =
          stringToTokenArrayTransformer_.transformedValue(UserDefaults::toString(filter));
      cachedTagArray_ = tokens.toStringList();
    }
    qn_log(QStringLiteral("tags: %1")
               .arg(filter.isValid() ? UserDefaults::toString(filter) : QStringLiteral("(null)")));
  }

  const std::unique_ptr<Statistic> forDates = getCurrentStatistic();
  if (forDates && forDates->supportsTimeBasedFiltering) {
    cachedShouldFilterDates_ = true;
    if (defaults().integer(QStringLiteral("statsRadioButtonChoice")) != 0) {
      cachedStartDate_ = dateOfSetting(QStringLiteral("statsFromDate"));
      cachedEndDate_ = dateOfSetting(QStringLiteral("statsToDate"));
    } else if (const auto period = DateHelper::sharedHelper().periodForStatsDateMode(
                   defaults().integer(QStringLiteral("statsDateMode")))) {
      cachedStartDate_ = period->start;
      cachedEndDate_ = period->end;
    }
    qn_log(QStringLiteral("from: %1").arg(describe(cachedStartDate_)));
    qn_log(QStringLiteral("to: %1").arg(describe(cachedEndDate_)));
  }
  qn_log(QStringLiteral("----"));
}

bool FullFeaturedStatisticsManager::timeSliceMatchesFilterCriteria(
    const RawTimeSlice& slice) const {
  if (!cachedFiltering_)
    return true;
  if (cachedShouldFilterDates_ &&
      !(slice.beginsBefore(cachedEndDate_) && slice.beginsAfter(cachedStartDate_)))
    return false;
  if (cachedShouldFilterTags_ && !slice.matchesTagFilter(cachedTagArray_))
    return false;
  return true;
}

} // namespace kr
