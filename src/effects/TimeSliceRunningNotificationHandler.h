#pragma once

#include "effects/NotificationHandler.h"

namespace kr {

// Every second of a running slice: the warnings before the end, the periodic
// reminders, the regular script event, the dimming just before the end and the
// first soft-break cue.
class TimeSliceRunningNotificationHandler : public NotificationHandler {
public:
  bool handleNotificationWithValue(const NotificationContext& context, int value,
                                   int maxValue) override;

protected:
  // The reminder keys of a running slice or a timed break.
  struct ReminderKeys {
    QString speechOn, speechInterval, speechText;
    QString soundOn, soundInterval, sound, soundVolume;
    QString growlOn, growlInterval, growlText, growlDescription, growlSticky;
  };
  static void giveReminders(const NotificationContext& context, const ReminderKeys& keys,
                            const QString& reminderText, int value, int maxValue);
  // Starts the dimming when the remaining seconds equal the dim duration.
  static void dimIfDue(const NotificationContext& context, const QString& onKey,
                       const QString& durationKey, qint64 remaining);

private:
  // Answers true when the warning ends the tick (one of its outputs was on).
  static bool giveWarning(const NotificationContext& context, int value, int maxValue,
                          qint64 remaining);
};

} // namespace kr
