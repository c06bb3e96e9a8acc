#pragma once

#include "engine/ScheduledItemType.h"

#include <memory>

namespace kr {

// What the real scheduler and the test scheduler share.
class SmartSchedulerType {
public:
  virtual ~SmartSchedulerType() = default;
  virtual void subscribe(std::shared_ptr<ScheduledItemType> item) = 0;
};

} // namespace kr
