#include "support/TestClock.h"

#include "engine/Clock.h"

#include <algorithm>
#include <memory>

namespace kr::test {

TestClock::TestClock(double start) : now_(start) {
  Clock::setNowFunction([this] { return now_; });
  Clock::setSecondsAsleepFunction([this] { return asleep_; });
  SmartTimerWrapper::setBackend(this);
}

TestClock::~TestClock() {
  // Timers still running belong to this clock: stop them so none outlives it.
  while (!entries_.empty()) {
    SmartTimerWrapper* timer = entries_.back().timer;
    timer->stop(); // calls stop(timer), which erases the entry
  }
  SmartTimerWrapper::setBackend(nullptr);
  Clock::setNowFunction({});
  Clock::setSecondsAsleepFunction({});
}

QDateTime TestClock::nowAsDate() const { return Clock::dateFromReferenceSeconds(now_); }

TestClock::Entry* TestClock::nextDue(double limit) {
  Entry* best = nullptr;
  for (Entry& e : entries_) {
    if (e.due > limit)
      continue;
    if (!best || e.due < best->due || (e.due == best->due && e.order < best->order))
      best = &e;
  }
  return best;
}

void TestClock::advance(double seconds) {
  const double target = now_ + seconds;
  while (Entry* entry = nextDue(target)) {
    now_ = std::max(now_, entry->due);
    if (wakeUps_.empty() || now_ - wakeUps_.back() > 1e-6)
      wakeUps_.push_back(now_);
    SmartTimerWrapper* timer = entry->timer;
    if (timer->repeats()) {
      entry->due += std::max(timer->interval(), 1e-3);
      entry->order = nextOrder_++;
    }
    auto keepAlive = timer->shared_from_this();
    timer->execute();
  }
  now_ = target;
}

void TestClock::sleep(double seconds) {
  asleep_ += seconds;
  catchUp(seconds);
}

void TestClock::stall(double seconds) { catchUp(seconds); }

void TestClock::catchUp(double seconds) {
  now_ += seconds;
  std::vector<SmartTimerWrapper*> overdue;
  for (Entry& e : entries_) {
    if (e.due <= now_)
      overdue.push_back(e.timer);
  }
  for (SmartTimerWrapper* timer : overdue) {
    auto it = std::find_if(entries_.begin(), entries_.end(),
                           [timer](const Entry& e) { return e.timer == timer; });
    if (it == entries_.end())
      continue; // stopped by an earlier timer's block
    if (timer->repeats())
      it->due = now_ + std::max(timer->interval(), 1e-3);
    auto keepAlive = timer->shared_from_this();
    timer->execute();
  }
}

void TestClock::set(double seconds) { now_ = seconds; }

void TestClock::setDate(const QDateTime& date) { now_ = Clock::referenceSecondsFromDate(date); }

int TestClock::runningTimerCount() const { return static_cast<int>(entries_.size()); }

void TestClock::start(SmartTimerWrapper& timer) {
  entries_.push_back({&timer, now_ + std::max(timer.interval(), 0.0), nextOrder_++});
}

void TestClock::stop(SmartTimerWrapper& timer) {
  std::erase_if(entries_, [&timer](const Entry& e) { return e.timer == &timer; });
}

} // namespace kr::test
