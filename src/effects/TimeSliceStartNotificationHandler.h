#pragma once

#include "effects/TimeSliceRunningNotificationHandler.h"

namespace kr {

// A slice starts: the continuous sound when it is switched on, then the start outputs.
class TimeSliceStartNotificationHandler : public TimeSliceRunningNotificationHandler {
public:
  bool handleNotificationWithValue(const NotificationContext& context, int value,
                                   int maxValue) override;
};

} // namespace kr
