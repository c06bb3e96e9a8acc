#pragma once

#include "effects/TimedBreakNotificationHandler.h"

namespace kr {

// A timed break starts: its outputs; the continuous sound is left alone.
class TimedBreakStartNotificationHandler final : public TimedBreakNotificationHandler {
public:
  bool handleNotificationWithValue(const NotificationContext& context, int value,
                                   int maxValue) override;
};

} // namespace kr
