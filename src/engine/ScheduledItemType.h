#pragma once

#include <cstdint>

namespace kr {

// Something a scheduler drives once per clock second.
class ScheduledItemType {
public:
  virtual ~ScheduledItemType() = default;
  // One clock second has passed; currentSecond is the whole clock second.
  virtual void tick(std::int64_t currentSecond) = 0;
  // The given number of seconds has passed since the last call (after a sleep
  // or a busy main thread); they are covered in one call.
  virtual void fastForward(std::int64_t currentSecond, std::int64_t secondsToFastForward) = 0;
};

} // namespace kr
