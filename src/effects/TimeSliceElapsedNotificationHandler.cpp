#include "effects/TimeSliceElapsedNotificationHandler.h"

#include "effects/EventOutputs.h"
#include "effects/NotificationContext.h"
#include "platform/QnLog.h"

namespace kr {

bool TimeSliceElapsedNotificationHandler::handleNotificationWithValue(
    const NotificationContext& context, int value, int maxValue) {
  qn_log(QStringLiteral("%1 handling notification.").arg(handlerClassName()));
  context.outputs.stopContinuousSound();
  produceOutputs(context,
                 {soundOnKey(), soundKey(), soundVolumeKey(), speechOnKey(), speechTextKey(),
                  growlOnKey(), growlTextKey(), growlDescriptionKey(), growlStickyKey(),
                  eventHandlerName()},
                 value, maxValue);
  return true;
}

QString TimeSliceElapsedNotificationHandler::handlerClassName() const {
  return QStringLiteral("TimeSliceElapsedNotificationHandler");
}
QString TimeSliceElapsedNotificationHandler::soundOnKey() const {
  return QStringLiteral("endSoundOn");
}
QString TimeSliceElapsedNotificationHandler::soundKey() const { return QStringLiteral("endSound"); }
QString TimeSliceElapsedNotificationHandler::soundVolumeKey() const {
  return QStringLiteral("endSoundVolume");
}
QString TimeSliceElapsedNotificationHandler::speechOnKey() const {
  return QStringLiteral("speechEndOn");
}
QString TimeSliceElapsedNotificationHandler::speechTextKey() const {
  return QStringLiteral("speechEndText");
}
QString TimeSliceElapsedNotificationHandler::growlOnKey() const {
  return QStringLiteral("growlEndOn");
}
QString TimeSliceElapsedNotificationHandler::growlTextKey() const {
  return QStringLiteral("growlEndText");
}
QString TimeSliceElapsedNotificationHandler::growlDescriptionKey() const {
  return QStringLiteral("growlEndDescription");
}
QString TimeSliceElapsedNotificationHandler::growlStickyKey() const {
  return QStringLiteral("growlEndSticky");
}
QString TimeSliceElapsedNotificationHandler::eventHandlerName() const {
  return QStringLiteral("time_slice_elapsed");
}

} // namespace kr
