#pragma once

#include "effects/TimeSliceRunningNotificationHandler.h"

namespace kr {

// Every second of a timed break: its reminders, the script event and the
// dimming just before the end. No warnings, no soft-break cue.
class TimedBreakNotificationHandler : public TimeSliceRunningNotificationHandler {
public:
  bool handleNotificationWithValue(const NotificationContext& context, int value,
                                   int maxValue) override;
};

} // namespace kr
