#include "engine/Clock.h"
#include "platform/LocalTimeZone.h"

#include "platform/FatalError.h"
#include "platform/SmartTimerWrapper.h"

#include <algorithm>
#include <cmath>
#include <ctime>

namespace kr {

namespace {
Clock::NowFunction& nowFunction() {
  static Clock::NowFunction function;
  return function;
}

Clock::NowFunction& asleepFunction() {
  static Clock::NowFunction function;
  return function;
}

double readClock(clockid_t id) {
  timespec t{};
  if (::clock_gettime(id, &t) != 0)
    return 0.0;
  return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}
} // namespace

double Clock::systemNow() {
  return static_cast<double>(QDateTime::currentMSecsSinceEpoch()) / 1000.0 -
         kReferenceDateUnixSeconds;
}

double Clock::now() {
  const NowFunction& function = nowFunction();
  const double t = function ? function() : systemNow();
  KR_ASSERT(std::isfinite(t) && std::fabs(t) < 9.0e15, QStringLiteral("clock time out of range"));
  return t;
}

QDateTime Clock::nowAsDate() { return dateFromReferenceSeconds(now()); }

QDateTime Clock::dateFromReferenceSeconds(double seconds) {
  return LocalTimeZone::fromMSecsSinceEpoch(
      static_cast<qint64>(std::llround((seconds + kReferenceDateUnixSeconds) * 1000.0)));
}

double Clock::referenceSecondsFromDate(const QDateTime& date) {
  return static_cast<double>(date.toMSecsSinceEpoch()) / 1000.0 - kReferenceDateUnixSeconds;
}

std::shared_ptr<SmartTimerWrapper>
Clock::timerWithSimulatedTimeInterval(double seconds, bool repeats,
                                      std::function<void(SmartTimerWrapper&)> block) {
  return SmartTimerWrapper::wrapTimer(seconds, repeats, std::move(block));
}

std::shared_ptr<SmartTimerWrapper>
Clock::timerWithSystemTimeInterval(double seconds, bool repeats,
                                   std::function<void(SmartTimerWrapper&)> block) {
  return SmartTimerWrapper::wrapTimer(translateDurationForSystemClock(seconds), repeats,
                                      std::move(block));
}

void Clock::setNowFunction(NowFunction function) { nowFunction() = std::move(function); }

double Clock::secondsAsleep() {
  if (const NowFunction& function = asleepFunction())
    return function();
  // Read monotonic last: a reading between the two can only make the
  // difference smaller, never show a sleep that did not happen.
  const double boot = readClock(CLOCK_BOOTTIME);
  const double monotonic = readClock(CLOCK_MONOTONIC);
  return std::max(0.0, boot - monotonic);
}

void Clock::setSecondsAsleepFunction(NowFunction function) {
  asleepFunction() = std::move(function);
}

} // namespace kr
