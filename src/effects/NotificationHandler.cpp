#include "effects/NotificationHandler.h"

#include "effects/EventOutputs.h"
#include "effects/NotificationContext.h"
#include "platform/settings/UserDefaults.h"

namespace kr {

namespace {
const QString kObjectiveTag = QStringLiteral("<CurrentObjective>");

QString minuteText(qint64 seconds) {
  if (seconds == 60)
    return QStringLiteral("one minute");
  return QStringLiteral("%1 minutes").arg(seconds / 60);
}
} // namespace

bool NotificationHandler::handleNotificationWithValue(const NotificationContext&, int, int) {
  return true;
}

QString NotificationHandler::performSpeechTagSubstitution(const QString& text, int value,
                                                          int maxValue,
                                                          const NotificationContext& context) {
  // The objective is only fetched when the text asks for it.
  const QString objective =
      text.contains(kObjectiveTag) ? context.outputs.currentObjective() : QString();
  return performSpeechTagSubstitution(text, value, maxValue, objective);
}

QString NotificationHandler::performSpeechTagSubstitution(const QString& text, int value,
                                                          int maxValue, const QString& objective) {
  // Computed wide, so extreme values cannot overflow.
  const qint64 left = qint64(maxValue) - qint64(value);
  const qint64 elapsed = value;
  const qint64 total = maxValue;
  QString result = text;
  result.replace(QStringLiteral("<MinutesLeft>"), minuteText(left));
  result.replace(QStringLiteral("<MinutesElapsed>"), minuteText(elapsed));
  result.replace(QStringLiteral("<MinutesTotal>"), minuteText(total));
  result.replace(QStringLiteral("<MinutesLeftValueOnly>"), QString::number(left / 60));
  result.replace(QStringLiteral("<MinutesElapsedValueOnly>"), QString::number(elapsed / 60));
  result.replace(QStringLiteral("<MinutesTotalValueOnly>"), QString::number(total / 60));
  result.replace(kObjectiveTag, objective);
  return result;
}

void NotificationHandler::produceOutputs(const NotificationContext& context, const OutputKeys& keys,
                                         int value, int maxValue) {
  UserDefaults& d = context.defaults;
  EventOutputs& out = context.outputs;
  const bool soundOn = d.boolValue(keys.soundOn);
  const bool speechOn = d.boolValue(keys.speechOn);
  const bool growlOn = d.boolValue(keys.growlOn);
  const float volume = d.floatValue(keys.volume);

  if (soundOn)
    out.playSound(d.string(keys.sound), volume);
  const QString speechText =
      performSpeechTagSubstitution(d.string(keys.speechText), value, maxValue, context);
  if (speechOn)
    out.speak(speechText);
  if (growlOn) {
    out.showNotification(
        performSpeechTagSubstitution(d.string(keys.growlText), value, maxValue, context),
        performSpeechTagSubstitution(d.string(keys.growlDescription), value, maxValue, context),
        0.0, d.boolValue(keys.growlSticky));
  }
  out.runScriptHandler(keys.eventHandlerName, speechText);
}

} // namespace kr
