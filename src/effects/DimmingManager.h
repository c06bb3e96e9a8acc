#pragma once

#include <QtGlobal>

namespace kr {

class EventOutputs;

// The dimming before the end of a slice or break: all screens darken towards
// black and come back, over twice the given duration.
class DimmingManager {
public:
  explicit DimmingManager(EventOutputs& outputs) : outputs_(outputs) {}
  void startBlackOutWithDuration(qint64 duration, float alpha);

private:
  EventOutputs& outputs_;
};

} // namespace kr
