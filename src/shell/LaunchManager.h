#pragma once

#include <QString>

#include <functional>
#include <variant>
#include <vector>

namespace kr {

class DateProviderAPI;
class DefaultsStorageAPI;

// When an item of the launch list runs.
struct LaunchTrigger {
  struct AfterDays {
    qint64 days;
  };
  struct AfterLaunches {
    qint64 launches;
  };
  struct UntilDefaultsKeyIsSet {
    QString defaultsKey;
  };
  struct FirstLaunch {};
  struct EveryTime {};
  using Kind =
      std::variant<AfterDays, AfterLaunches, UntilDefaultsKeyIsSet, FirstLaunch, EveryTime>;

  static LaunchTrigger afterDays(qint64 days) { return {AfterDays{days}}; }
  static LaunchTrigger afterLaunches(qint64 launches) { return {AfterLaunches{launches}}; }
  static LaunchTrigger untilDefaultsKeyIsSet(QString key) {
    return {UntilDefaultsKeyIsSet{std::move(key)}};
  }
  static LaunchTrigger firstLaunch() { return {FirstLaunch{}}; }
  static LaunchTrigger everyTime() { return {EveryTime{}}; }

  Kind kind;
};

struct LaunchListItem {
  LaunchTrigger trigger;
  std::function<void()> function;
};

class LaunchManagerAPI {
public:
  virtual ~LaunchManagerAPI() = default;
  virtual void doIt() = 0;
};

// Runs the actions that depend on the history of launches and counts the
// launches. Its counters live in the settings under one key root.
class LaunchManager final : public LaunchManagerAPI {
public:
  // Registers the counter (0), the first-launch time (now) and the last
  // executed launch day (-1).
  LaunchManager(QString defaultsKeyRoot, std::vector<LaunchListItem> launchList,
                DefaultsStorageAPI& defaultsStorage, const DateProviderAPI& dateProvider);

  // Runs the items whose trigger fires, in list order, then counts the launch.
  void doIt() override;

  // The number of completed launches (0 before the first doIt() ever).
  qint64 launchCounter() const;
  QString launchCounterKey() const { return root_ + QStringLiteral("LaunchCounter"); }
  QString firstLaunchKey() const { return root_ + QStringLiteral("FirstLaunch"); }
  QString lastExecutedLaunchDayKey() const {
    return root_ + QStringLiteral("LastExecutedLaunchDay");
  }

private:
  bool fires(const LaunchTrigger& trigger, qint64 days, qint64 lastDay);

  QString root_;
  std::vector<LaunchListItem> launchList_;
  DefaultsStorageAPI& storage_;
  const DateProviderAPI& dateProvider_;
};

} // namespace kr
