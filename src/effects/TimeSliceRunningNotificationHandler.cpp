#include "effects/TimeSliceRunningNotificationHandler.h"

#include "effects/DimmingManager.h"
#include "effects/EventOutputs.h"
#include "effects/NotificationContext.h"
#include "effects/NotificationHelper.h"
#include "platform/settings/UserDefaults.h"

namespace kr {

namespace {
bool warningDue(const UserDefaults& d, qint64 remaining, qint64 total) {
  struct Warning {
    qint64 seconds;
    const char* key;
  };
  static constexpr Warning warnings[] = {{600, "warning10MinutesOn"},
                                         {300, "warning5MinutesOn"},
                                         {180, "warning3MinutesOn"},
                                         {60, "warning1MinuteOn"}};
  for (const Warning& w : warnings) {
    // A slice exactly as long as the warning gets none at its start.
    if (remaining == w.seconds && total != w.seconds && d.boolValue(QLatin1String(w.key)))
      return true;
  }
  return false;
}

const QString kInProgress = QStringLiteral("time_slice_in_progress");
} // namespace

bool TimeSliceRunningNotificationHandler::handleNotificationWithValue(
    const NotificationContext& context, int value, int maxValue) {
  UserDefaults& d = context.defaults;
  const qint64 remaining = qint64(maxValue) - value;

  if (warningDue(d, remaining, maxValue) && giveWarning(context, value, maxValue, remaining))
    return true;

  const QString reminderText = performSpeechTagSubstitution(
      d.string(QStringLiteral("speechReminderText")), value, maxValue, context);
  static const ReminderKeys keys{
      QStringLiteral("speechReminderOn"),         QStringLiteral("speechReminderInterval"),
      QStringLiteral("speechReminderText"),       QStringLiteral("soundReminderOn"),
      QStringLiteral("soundReminderInterval"),    QStringLiteral("countDownSound"),
      QStringLiteral("soundReminderVolume"),      QStringLiteral("growlReminderOn"),
      QStringLiteral("growlReminderInterval"),    QStringLiteral("growlReminderText"),
      QStringLiteral("growlReminderDescription"), QStringLiteral("growlReminderSticky")};
  giveReminders(context, keys, reminderText, value, maxValue);

  if (remaining % 30 == 0)
    context.outputs.runScriptHandler(kInProgress, reminderText, remaining);

  const bool softBreak = d.boolValue(QStringLiteral("shouldUseSoftBreak"));
  if (!softBreak) {
    dimIfDue(context, QStringLiteral("dimBeforeEndOfTimeSlice"),
             QStringLiteral("endOfTimeSliceDimDuration"), remaining);
  }
  if (remaining == 1 && softBreak)
    context.cues.playFirstTick();
  return true;
}

bool TimeSliceRunningNotificationHandler::giveWarning(const NotificationContext& context, int value,
                                                      int maxValue, qint64 remaining) {
  UserDefaults& d = context.defaults;
  EventOutputs& out = context.outputs;
  const bool soundOn = d.boolValue(QStringLiteral("warningSoundOn"));
  const bool speechOn = d.boolValue(QStringLiteral("speechWarningOn"));
  const bool growlOn = d.boolValue(QStringLiteral("growlWarningOn"));
  if (soundOn) {
    out.playSound(d.string(QStringLiteral("warningSound")),
                  d.floatValue(QStringLiteral("warningSoundVolume")));
  }
  const QString text = performSpeechTagSubstitution(d.string(QStringLiteral("speechWarningText")),
                                                    value, maxValue, context);
  if (speechOn)
    out.speak(text);
  if (growlOn) {
    out.showNotification(
        performSpeechTagSubstitution(d.string(QStringLiteral("growlWarningText")), value, maxValue,
                                     context),
        performSpeechTagSubstitution(d.string(QStringLiteral("growlWarningDescription")), value,
                                     maxValue, context),
        0.0, d.boolValue(QStringLiteral("growlWarningSticky")));
  }
  out.runScriptHandler(kInProgress, text, remaining);
  return soundOn || speechOn || growlOn;
}

void TimeSliceRunningNotificationHandler::giveReminders(const NotificationContext& context,
                                                        const ReminderKeys& keys,
                                                        const QString& reminderText, int value,
                                                        int maxValue) {
  UserDefaults& d = context.defaults;
  EventOutputs& out = context.outputs;
  const qint64 remaining = qint64(maxValue) - value;
  const auto due = [&](const QString& onKey, const QString& intervalKey) {
    const qint64 interval = d.integer(intervalKey);
    return d.boolValue(onKey) && value != 0 && remaining != 0 && interval > 0 &&
           remaining % interval == 0;
  };
  if (due(keys.speechOn, keys.speechInterval))
    out.speak(reminderText);
  if (due(keys.soundOn, keys.soundInterval))
    out.playSound(d.string(keys.sound), d.floatValue(keys.soundVolume));
  if (due(keys.growlOn, keys.growlInterval)) {
    out.showNotification(
        performSpeechTagSubstitution(d.string(keys.growlText), value, maxValue, context),
        performSpeechTagSubstitution(d.string(keys.growlDescription), value, maxValue, context),
        0.0, d.boolValue(keys.growlSticky));
  }
}

void TimeSliceRunningNotificationHandler::dimIfDue(const NotificationContext& context,
                                                   const QString& onKey, const QString& durationKey,
                                                   qint64 remaining) {
  UserDefaults& d = context.defaults;
  const qint64 duration = d.integer(durationKey);
  if (duration == remaining && d.boolValue(onKey)) {
    DimmingManager(context.outputs)
        .startBlackOutWithDuration(duration, d.floatValue(QStringLiteral("dimmingAlpha")));
  }
}

} // namespace kr
