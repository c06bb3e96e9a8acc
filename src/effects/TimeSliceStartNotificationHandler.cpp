#include "effects/TimeSliceStartNotificationHandler.h"

#include "effects/EventOutputs.h"
#include "effects/NotificationContext.h"
#include "platform/settings/UserDefaults.h"

namespace kr {

bool TimeSliceStartNotificationHandler::handleNotificationWithValue(
    const NotificationContext& context, int value, int maxValue) {
  if (context.defaults.boolValue(QStringLiteral("continuousSoundOn")))
    context.outputs.playContinuousSound();
  static const OutputKeys keys{
      QStringLiteral("startSoundOn"),     QStringLiteral("startSound"),
      QStringLiteral("startSoundVolume"), QStringLiteral("speechStartOn"),
      QStringLiteral("speechStartText"),  QStringLiteral("growlStartOn"),
      QStringLiteral("growlStartText"),   QStringLiteral("growlStartDescription"),
      QStringLiteral("growlStartSticky"), QStringLiteral("time_slice_start")};
  produceOutputs(context, keys, value, maxValue);
  return true;
}

} // namespace kr
