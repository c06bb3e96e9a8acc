#include "engine/SmartScheduler.h"

#include "engine/Clock.h"
#include "platform/FatalError.h"
#include "platform/QnLog.h"

#include <QRandomGenerator>

#include <algorithm>
#include <cmath>

namespace kr {

std::int64_t wholeSecond(double clockTime) {
  KR_ASSERT(std::isfinite(clockTime) && std::fabs(clockTime) < 9.2e18,
            QStringLiteral("clock time does not fit a whole-second count"));
  return static_cast<std::int64_t>(std::trunc(clockTime));
}

SmartScheduler::~SmartScheduler() { stop(); }

bool SmartScheduler::isRunning() const { return tick_.isActive(); }

void SmartScheduler::subscribe(std::shared_ptr<ScheduledItemType> item) {
  KR_ASSERT(item != nullptr, QStringLiteral("SmartScheduler: subscribing nothing"));
  subscribers_.push_back(std::move(item));
}

void SmartScheduler::unsubscribe(const ScheduledItemType* item) {
  std::erase_if(subscribers_, [item](const auto& s) { return s.get() == item; });
}

void SmartScheduler::start() {
  std::weak_ptr<SmartScheduler> weakSelf = weak_from_this();
  KR_ASSERT(!weakSelf.expired(), QStringLiteral("SmartScheduler must be owned by a shared_ptr"));
  stop(); // never a second timer
  lastFired_ = Clock::now();
  lastSecondFired_ = wholeSecond(lastFired_);
  tick_ = SecondTicker::shared().subscribe(SecondTicker::Rank::scheduler, [weakSelf] {
    if (auto self = weakSelf.lock()) // kept alive while its subscribers run
      self->timerFired();
  });
}

void SmartScheduler::stop() {
  ++generation_;
  tick_.reset();
}

void SmartScheduler::resume() {
  if (!isRunning())
    start();
}

void SmartScheduler::setTestMode(bool on, Coin coin) {
  testMode_ = on;
  coin_ = std::move(coin);
}

bool SmartScheduler::skipThisFiring() const {
  if (!testMode_)
    return false;
  return coin_ ? coin_() : QRandomGenerator::global()->bounded(2) == 1;
}

void SmartScheduler::timerFired() {
  if (skipThisFiring())
    return;
  const std::int64_t second = wholeSecond(Clock::now());
  const std::int64_t delta = second - lastSecondFired_;
  const std::uint64_t generation = generation_;
  if (delta >= 0) {
    // A copy: subscribers may subscribe or unsubscribe while they run.
    const auto items = subscribers_;
    for (const auto& item : items) {
      if (generation_ != generation)
        return; // stopped or restarted by a subscriber: it sends nothing more
      if (delta >= 2)
        item->fastForward(second, delta);
      else
        item->tick(second);
    }
    if (generation_ != generation)
      return;
    // With two firings inside one clock second (delta 0) the count runs one
    // ahead of the clock, so a firing in the next second sees 0 again.
    lastSecondFired_ += delta == 0 ? 1 : delta;
  } else {
    platformLog(QStringLiteral("smart scheduler called with negative delta %1!").arg(delta));
  }
  lastFired_ = Clock::now();
}

} // namespace kr
