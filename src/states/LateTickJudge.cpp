#include "states/LateTickJudge.h"

#include "engine/Clock.h"

#include <algorithm>

namespace kr {

void LateTickJudge::start(double now) {
  previousInstant_ = currentInstant_ = now;
  asleepBefore_ = asleepAtCurrent_ = Clock::secondsAsleep();
  previousDelay_ = currentDelay_ = 0.0;
}

double LateTickJudge::idleSecondsProven(double now, double delay, double putToSleep, double woken) {
  if (now > currentInstant_) {
    previousInstant_ = currentInstant_;
    currentInstant_ = now;
    asleepBefore_ = asleepAtCurrent_;
    asleepAtCurrent_ = Clock::secondsAsleep();
    previousDelay_ = currentDelay_;
    currentDelay_ = 0.0;
  }
  currentDelay_ = std::max(currentDelay_, delay);
  const auto heardSince = [&](double time) { return time > previousInstant_ && time <= now; };
  const bool slept = asleepAtCurrent_ - asleepBefore_ > kSleepEvidenceSeconds ||
                     heardSince(putToSleep) || heardSince(woken);
  return slept ? std::max({delay, previousDelay_, 0.0}) : 0.0;
}

} // namespace kr
