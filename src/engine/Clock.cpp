#include "engine/Clock.h"
#include "platform/LocalTimeZone.h"

#include "platform/FatalError.h"
#include "platform/SmartTimerWrapper.h"

#include <cmath>

namespace kr {

namespace {
Clock::NowFunction& nowFunction() {
  static Clock::NowFunction function;
  return function;
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

} // namespace kr
