#include "shell/LaunchManager.h"

#include "engine/Clock.h"
#include "platform/QnLog.h"
#include "platform/settings/DefaultsStorageAPI.h"

#include <cmath>
#include <limits>

namespace kr {

LaunchManager::LaunchManager(QString defaultsKeyRoot, std::vector<LaunchListItem> launchList,
                             DefaultsStorageAPI& defaultsStorage,
                             const DateProviderAPI& dateProvider)
    : root_(std::move(defaultsKeyRoot)), launchList_(std::move(launchList)),
      storage_(defaultsStorage), dateProvider_(dateProvider) {
  storage_.registerDefault(qint64{0}, launchCounterKey());
  storage_.registerDefault(dateProvider_.currentTimeIntervalFromReferenceDate(), firstLaunchKey());
  storage_.registerDefault(qint64{-1}, lastExecutedLaunchDayKey());
}

qint64 LaunchManager::launchCounter() const { return storage_.getInteger(launchCounterKey()); }

void LaunchManager::doIt() {
  const double now = dateProvider_.currentTimeIntervalFromReferenceDate();
  // The first launch keeps its time, so day counts run from it on later launches.
  if (launchCounter() == 0)
    storage_.storeTimeInterval(now, firstLaunchKey());
  const double first = storage_.getTimeInterval(firstLaunchKey());
  // The stored time of the first launch is the user's file: a value that
  // gives no day count (not a number, or more days than any clock holds)
  // counts from now, so the program still starts.
  constexpr double kLongestDayCount = 1.0e9;
  double dayCount = std::floor((now - first) / 60.0 / 60.0 / 24.0);
  if (!std::isfinite(dayCount) || std::abs(dayCount) > kLongestDayCount) {
    platformLog(QStringLiteral("settings: the stored value %1 of \"%2\" is not a usable time; "
                               "the first launch counts from now")
                    .arg(first)
                    .arg(firstLaunchKey()));
    storage_.storeTimeInterval(now, firstLaunchKey());
    dayCount = 0.0;
  }
  const auto days = static_cast<qint64>(dayCount);
  const qint64 lastDay = storage_.getInteger(lastExecutedLaunchDayKey());

  for (const LaunchListItem& item : launchList_) {
    if (fires(item.trigger, days, lastDay) && item.function)
      item.function();
  }

  // The counter stops at its largest value rather than wrapping around.
  const qint64 counter = launchCounter();
  if (counter < std::numeric_limits<qint64>::max())
    storage_.store(counter + 1, launchCounterKey());
  else
    platformLog(QStringLiteral("settings: \"%1\" is at its largest value and stays there")
                    .arg(launchCounterKey()));
  storage_.store(days, lastExecutedLaunchDayKey());
}

bool LaunchManager::fires(const LaunchTrigger& trigger, qint64 days, qint64 lastDay) {
  if (const auto* afterDays = std::get_if<LaunchTrigger::AfterDays>(&trigger.kind))
    return afterDays->days == days && lastDay != days;
  if (const auto* afterLaunches = std::get_if<LaunchTrigger::AfterLaunches>(&trigger.kind))
    return launchCounter() == afterLaunches->launches;
  if (const auto* until = std::get_if<LaunchTrigger::UntilDefaultsKeyIsSet>(&trigger.kind)) {
    if (storage_.defined(until->defaultsKey))
      return false;
    storage_.store(true, until->defaultsKey);
    return true;
  }
  if (std::holds_alternative<LaunchTrigger::FirstLaunch>(trigger.kind))
    return launchCounter() == 0;
  return true; // every time
}

} // namespace kr
