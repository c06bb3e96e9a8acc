#pragma once

#include <QDateTime>

#include <functional>
#include <memory>

namespace kr {

class SmartTimerWrapper;

// The application clock: seconds since the reference date 2001-01-01 00:00:00
// UTC, read through a replaceable time source so tests run on simulated time.
class Clock {
public:
  using NowFunction = std::function<double()>;

  // Unix time of the reference date.
  static constexpr double kReferenceDateUnixSeconds = 978307200.0;

  static double now();
  static QDateTime nowAsDate();
  static double translateDurationForSystemClock(double d) { return d; }

  static std::shared_ptr<SmartTimerWrapper>
  timerWithSimulatedTimeInterval(double seconds, bool repeats,
                                 std::function<void(SmartTimerWrapper&)> block);
  static std::shared_ptr<SmartTimerWrapper>
  timerWithSystemTimeInterval(double seconds, bool repeats,
                              std::function<void(SmartTimerWrapper&)> block);

  // The system time since the reference date.
  static double systemNow();
  static QDateTime dateFromReferenceSeconds(double seconds);
  static double referenceSecondsFromDate(const QDateTime& date);

  // Replaces the time source (an empty function restores the system clock). Tests only.
  static void setNowFunction(NowFunction function);

  // The seconds the machine has spent asleep (suspended) since it started:
  // the boot-time clock less the monotonic clock, which stands still while
  // the machine sleeps. Growth between two readings means a sleep between them.
  static double secondsAsleep();
  // Replaces its source (an empty function restores the system's). Tests only.
  static void setSecondsAsleepFunction(NowFunction function);
};

// The replaceable current-time source of the launch manager.
class DateProviderAPI {
public:
  virtual ~DateProviderAPI() = default;
  virtual double currentTimeIntervalFromReferenceDate() const = 0;
};

class DateProvider final : public DateProviderAPI {
public:
  double currentTimeIntervalFromReferenceDate() const override { return Clock::systemNow(); }
};

class TestDateProvider final : public DateProviderAPI {
public:
  double currentTimeIntervalFromReferenceDate() const override {
    return testCurrentTimeIntervalFromReferenceDate;
  }
  double testCurrentTimeIntervalFromReferenceDate = 0.0;
};

} // namespace kr
