#pragma once

#include <QString>

namespace kr {

// The rules that end an informal break by themselves, as one pure check.
class InformalBreakRules {
public:
  enum class Rule { none, hour, lunch, breakfast, inactivity };

  struct Switches {
    bool hour = false;
    bool lunch = false;
    bool breakfast = false;
    bool inactivity = false;
  };

  static constexpr double kGuardSeconds = 10.0;
  static constexpr double kHourSeconds = 3600.0;
  static constexpr int kIdleSeconds = 301;

  InformalBreakRules() = delete;

  // The first rule that holds for a break that began at `start` (clock
  // seconds; local hours `startHour`) checked at `now` (local hour
  // `nowHour`) with the user idle for `idleSeconds`. Nothing holds in the
  // first 10 seconds.
  static Rule check(double start, int startHour, double now, int nowHour, double idleSeconds,
                    const Switches& switches);
  // The local hour of the day of a clock time.
  static int localHour(double clockSeconds);
};

} // namespace kr
