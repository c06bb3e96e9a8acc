#include "effects/TimedBreakNotificationHandler.h"

#include "effects/EventOutputs.h"
#include "effects/NotificationContext.h"
#include "platform/settings/UserDefaults.h"

namespace kr {

bool TimedBreakNotificationHandler::handleNotificationWithValue(const NotificationContext& context,
                                                                int value, int maxValue) {
  UserDefaults& d = context.defaults;
  const qint64 remaining = qint64(maxValue) - value;
  const QString reminderText = performSpeechTagSubstitution(
      d.string(QStringLiteral("breakSpeechReminderText")), value, maxValue, context);
  static const ReminderKeys keys{QStringLiteral("breakSpeechReminderOn"),
                                 QStringLiteral("breakSpeechReminderInterval"),
                                 QStringLiteral("breakSpeechReminderText"),
                                 QStringLiteral("breakSoundReminderOn"),
                                 QStringLiteral("breakSoundReminderInterval"),
                                 QStringLiteral("breakCountDownSound"),
                                 QStringLiteral("breakSoundReminderVolume"),
                                 QStringLiteral("breakGrowlReminderOn"),
                                 QStringLiteral("breakGrowlReminderInterval"),
                                 QStringLiteral("breakGrowlReminderText"),
                                 QStringLiteral("breakGrowlReminderDescription"),
                                 QStringLiteral("breakGrowlReminderSticky")};
  giveReminders(context, keys, reminderText, value, maxValue);
  context.outputs.runScriptHandler(QStringLiteral("timed_break_in_progress"), reminderText,
                                   remaining);
  dimIfDue(context, QStringLiteral("dimBeforeEndOfTimedBreak"),
           QStringLiteral("endOfTimedBreakDimDuration"), remaining);
  return true;
}

} // namespace kr
