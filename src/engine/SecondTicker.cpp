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
  entries_.insert(at, Entry{id, rank, std::make_shared<Callback>(std::move(callback))});
  if (!firing_ && !isRunning())
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

bool SecondTicker::isRunning() const { return timer_ && timer_->isValid(); }

double SecondTicker::nextWholeSecondAfter(double clockTime) { return std::floor(clockTime) + 1.0; }

void SecondTicker::arm() {
  if (timer_)
    timer_->stop();
  const double now = Clock::now();
  target_ = nextWholeSecondAfter(now);
  timer_ =
      SmartTimerWrapper::wrapTimer(target_ - now, false, [this](SmartTimerWrapper&) { fire(); });
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
  else
    timer_.reset();
}

} // namespace kr
