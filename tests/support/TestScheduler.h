#pragma once

#include "engine/SmartSchedulerType.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace kr {

// A scheduler for tests: no timer, the test says when a second passes.
class TestScheduler final : public SmartSchedulerType {
public:
  void subscribe(std::shared_ptr<ScheduledItemType> item) override {
    subscribers.push_back(std::move(item));
  }

  void tick(std::int64_t second) {
    const auto items = subscribers;
    for (const auto& item : items)
      item->tick(second);
  }

  void fastForward(std::int64_t second, std::int64_t seconds) {
    const auto items = subscribers;
    for (const auto& item : items)
      item->fastForward(second, seconds);
  }

  std::vector<std::shared_ptr<ScheduledItemType>> subscribers;
};

} // namespace kr
