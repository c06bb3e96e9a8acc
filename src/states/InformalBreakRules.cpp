#include "states/InformalBreakRules.h"

#include "engine/Clock.h"

#include <cmath>

namespace kr {

InformalBreakRules::Rule InformalBreakRules::check(double start, int startHour, double now,
                                                   int nowHour, double idleSeconds,
                                                   const Switches& switches) {
  if (now - start < kGuardSeconds)
    return Rule::none;
  if (now - start > kHourSeconds && switches.hour)
    return Rule::hour;
  if (startHour <= 12 && nowHour >= 13 && switches.lunch)
    return Rule::lunch;
  if (startHour <= 4 && nowHour >= 5 && switches.breakfast)
    return Rule::breakfast;
  if (std::trunc(idleSeconds) >= kIdleSeconds && switches.inactivity)
    return Rule::inactivity;
  return Rule::none;
}

int InformalBreakRules::localHour(double clockSeconds) {
  return Clock::dateFromReferenceSeconds(clockSeconds).time().hour();
}

} // namespace kr
