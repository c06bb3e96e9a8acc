#pragma once

#include "platform/SmartTimerWrapper.h"

#include <QDateTime>

#include <vector>

namespace kr::test {

// Simulated time for tests. While it exists, Clock::now() reads it and every
// SmartTimerWrapper runs on it: advancing the clock fires the due timers in
// the order of their firing times, with the clock set to each firing time.
class TestClock final : public TimerBackend {
public:
  // Starts at the given seconds since the reference date
  // (default: Monday 2026-03-02 09:00:00 UTC).
  explicit TestClock(double start = 794134800.0);
  ~TestClock() override;
  TestClock(const TestClock&) = delete;
  TestClock& operator=(const TestClock&) = delete;

  double now() const { return now_; }
  QDateTime nowAsDate() const;

  // Moves time forward, firing every timer that falls due on the way.
  void advance(double seconds);
  // Moves time forward as a sleeping machine does: nothing fires on the way;
  // on waking each overdue timer fires once and a repeating one is rescheduled
  // one interval after the wake-up. The seconds count as asleep
  // (Clock::secondsAsleep), as the boot-time clock tells them.
  void sleep(double seconds);
  // The same for a program that was stopped while the machine ran on: the
  // timers catch up alike, but no second counts as asleep.
  void stall(double seconds);
  double secondsAsleep() const { return asleep_; }
  // Sets the time without firing anything (also backwards).
  void set(double seconds);
  void setDate(const QDateTime& date);

  int runningTimerCount() const;
  // The times at which advance() fired timers, each once however many fired
  // then: the program's wake-ups.
  const std::vector<double>& wakeUps() const { return wakeUps_; }

  void start(SmartTimerWrapper& timer) override;
  void stop(SmartTimerWrapper& timer) override;

private:
  struct Entry {
    SmartTimerWrapper* timer;
    double due;
    unsigned long long order;
  };
  Entry* nextDue(double limit);
  void catchUp(double seconds);

  double now_;
  double asleep_ = 0.0;
  std::vector<Entry> entries_;
  std::vector<double> wakeUps_;
  unsigned long long nextOrder_ = 0;
};

} // namespace kr::test
