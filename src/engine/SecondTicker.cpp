#include "engine/SecondTicker.h"

#include "engine/Clock.h"
#include "platform/SmartTimerWrapper.h"

#include <algorithm>
#include <cmath>

namespace kr {

SecondTicker::Subscription& SecondTicker::Subscription::operator=(Subscription&& other) noexcept {
  if (this != &other) {
    reset();
    id_ = std::exchange(other.id_, 0);
  }
  return *this;
}

void SecondTicker::Subscription::reset() {
  if (id_ != 0)
    SecondTicker::shared().unsubscribe(std::exchange(id_, 0));
}

SecondTicker::Heartbeat& SecondTicker::Heartbeat::operator=(Heartbeat&& other) noexcept {
  if (this != &other) {
    reset();
    ticker_ = std::exchange(other.ticker_, nullptr);
  }
  return *this;
}

void SecondTicker::Heartbeat::beat() {
  if (ticker_)
    ticker_->beat();
}

void SecondTicker::Heartbeat::reset() {
  if (ticker_)
    std::exchange(ticker_, nullptr)->releaseHeartbeat();
}

SecondTicker& SecondTicker::shared() {
  // Never destroyed: subscriptions held by other long-lived objects may end
  // at any point of the program's exit.
  static SecondTicker* const ticker = new SecondTicker;
  return *ticker;
}

SecondTicker::~SecondTicker() {
  if (timer_)
    timer_->stop();
}

SecondTicker::Subscription SecondTicker::subscribe(Rank rank, Callback callback) {
  const quint64 id = nextId_++;
  // Kept in rank order; equal ranks in the order of subscription.
  const auto at = std::upper_bound(entries_.begin(), entries_.end(), rank,
                                   [](Rank r, const Entry& e) { return r < e.rank; });
  const bool wasIdle = entries_.empty();
  entries_.insert(at, Entry{id, rank, std::make_shared<Callback>(std::move(callback))});
  if (!firing_ && (wasIdle || !isRunning()))
    arm();
  return Subscription(id);
}

void SecondTicker::unsubscribe(quint64 id) {
  std::erase_if(entries_, [id](const Entry& e) { return e.id == id; });
  if (entries_.empty() && timer_) {
    timer_->stop();
    timer_.reset();
  }
}

bool SecondTicker::isRunning() const {
  return (timer_ && timer_->isValid()) || (heartbeats_ > 0 && !entries_.empty());
}

SecondTicker::Heartbeat SecondTicker::driveByHeartbeat() {
  ++heartbeats_;
  // The second it waits for stays; only its own timer goes.
  if (timer_) {
    timer_->stop();
    timer_.reset();
  }
  return Heartbeat(this);
}

void SecondTicker::releaseHeartbeat() {
  --heartbeats_;
  // While firing, the end of the firing arms the timer again.
  if (heartbeats_ == 0 && !firing_ && !entries_.empty() && !timer_)
    armFor(target_);
}

void SecondTicker::beat() {
  if (!firing_ && !entries_.empty() && Clock::now() >= target_)
    fire();
}

double SecondTicker::nextWholeSecondAfter(double clockTime) { return std::floor(clockTime) + 1.0; }

void SecondTicker::arm() { armFor(nextWholeSecondAfter(Clock::now())); }

void SecondTicker::armFor(double target) {
  if (timer_) {
    timer_->stop();
    timer_.reset();
  }
  target_ = target;
  if (heartbeats_ > 0)
    return;
  const double delay = std::max(0.0, target_ - Clock::now());
  timer_ = SmartTimerWrapper::wrapTimer(delay, false, [this](SmartTimerWrapper&) { fire(); });
}

void SecondTicker::fire() {
  const double now = Clock::now();
  if (now < target_ && target_ - now < kEarlinessTolerated) {
    // Woken a moment early: the subscribers would still read the last second.
    timer_ =
        SmartTimerWrapper::wrapTimer(target_ - now, false, [this](SmartTimerWrapper&) { fire(); });
    return;
  }
  firing_ = true;
  // Those who subscribe meanwhile wait for the next second; those who leave
  // meanwhile are not called.
  const std::vector<Entry> entries = entries_;
  for (const Entry& entry : entries) {
    const bool stillSubscribed = std::any_of(entries_.begin(), entries_.end(),
                                             [&entry](const Entry& e) { return e.id == entry.id; });
    if (stillSubscribed)
      (*entry.callback)();
  }
  firing_ = false;
  if (!entries_.empty())
    arm();
  else if (timer_) {
    timer_->stop();
    timer_.reset();
  }
}

} // namespace kr
