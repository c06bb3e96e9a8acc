#include "effects/QNNotificationCenter.h"

#include "effects/EventOutputs.h"
#include "effects/NotificationContext.h"
#include "effects/TimeSliceAbortedNotificationHandler.h"
#include "effects/TimeSliceElapsedNotificationHandler.h"
#include "effects/TimeSlicePausedNotificationHandler.h"
#include "effects/TimeSliceRunningNotificationHandler.h"
#include "effects/TimeSliceStartNotificationHandler.h"
#include "effects/TimedBreakEndNotificationHandler.h"
#include "effects/TimedBreakNotificationHandler.h"
#include "effects/TimedBreakStartNotificationHandler.h"
#include "platform/settings/UserDefaults.h"

namespace kr {

const QString QNNotificationCenter::kTimeSliceTime =
    QStringLiteral("Korvane_R_3.TimeSliceRunningState.time");
const QString QNNotificationCenter::kTimeSliceStart =
    QStringLiteral("Korvane_R_3.TimeSliceRunningState.start");
const QString QNNotificationCenter::kTimeSliceElapsed =
    QStringLiteral("Korvane_R_3.TimeSliceRunningState.elapsed");
const QString QNNotificationCenter::kTimeSlicePaused =
    QStringLiteral("Korvane_R_3.TimeSliceRunningState.paused");
const QString QNNotificationCenter::kTimeSliceStopped =
    QStringLiteral("Korvane_R_3.TimeSliceRunningState.stopped");
const QString QNNotificationCenter::kTimedBreakTime =
    QStringLiteral("Korvane_R_3.TimedBreakRunningState.time");
const QString QNNotificationCenter::kTimedBreakStart =
    QStringLiteral("Korvane_R_3.TimedBreakRunningState.start");
const QString QNNotificationCenter::kTimedBreakEnd =
    QStringLiteral("Korvane_R_3.TimedBreakRunningState.end");

namespace {
std::unique_ptr<QNNotificationCenter>& sharedSlot() {
  static std::unique_ptr<QNNotificationCenter> centre;
  return centre;
}
} // namespace

QNNotificationCenter::QNNotificationCenter(UserDefaults& defaults, EventOutputs& outputs)
    : defaults_(defaults), outputs_(outputs), helper_(defaults, outputs) {
  addNotificationHandler(std::make_unique<TimeSliceRunningNotificationHandler>(), kTimeSliceTime);
  addNotificationHandler(std::make_unique<TimeSliceStartNotificationHandler>(), kTimeSliceStart);
  addNotificationHandler(std::make_unique<TimeSliceElapsedNotificationHandler>(),
                         kTimeSliceElapsed);
  addNotificationHandler(std::make_unique<TimeSlicePausedNotificationHandler>(), kTimeSlicePaused);
  addNotificationHandler(std::make_unique<TimeSliceAbortedNotificationHandler>(),
                         kTimeSliceStopped);
  addNotificationHandler(std::make_unique<TimedBreakNotificationHandler>(), kTimedBreakTime);
  addNotificationHandler(std::make_unique<TimedBreakStartNotificationHandler>(), kTimedBreakStart);
  addNotificationHandler(std::make_unique<TimedBreakEndNotificationHandler>(), kTimedBreakEnd);
}

QNNotificationCenter::~QNNotificationCenter() = default;

QNNotificationCenter& QNNotificationCenter::sharedNotificationCenter() {
  std::unique_ptr<QNNotificationCenter>& slot = sharedSlot();
  if (!slot) {
    static SilentEventOutputs silent;
    slot = std::make_unique<QNNotificationCenter>(UserDefaults::standard(), silent);
  }
  return *slot;
}

void QNNotificationCenter::installSharedNotificationCenter(
    std::unique_ptr<QNNotificationCenter> centre) {
  sharedSlot() = std::move(centre);
}

void QNNotificationCenter::addNotificationHandler(std::unique_ptr<NotificationHandler> handler,
                                                  const QString& event) {
  notificationHandlerDictionary_.insert(event,
                                        std::shared_ptr<NotificationHandler>(std::move(handler)));
}

bool QNNotificationCenter::triggerNotificationForEvent(const QString& event, int value,
                                                       int maxValue) {
  // Held while it runs, so a handler that replaces itself is not destroyed mid-call.
  const std::shared_ptr<NotificationHandler> handler = notificationHandlerDictionary_.value(event);
  if (handler) {
    const NotificationContext context{defaults_, outputs_, helper_};
    handler->handleNotificationWithValue(context, value, maxValue);
  }
  return true;
}

} // namespace kr
