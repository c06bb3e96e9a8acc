#pragma once

#include "effects/NotificationHelper.h"

#include <QHash>
#include <QString>

#include <memory>

namespace kr {

class EventOutputs;
class NotificationHandler;
class UserDefaults;

// The program's dispatcher of state events: each event name has at most one
// handler, which turns the event into sounds, speech, notifications, screen
// effects and script calls.
class QNNotificationCenter {
public:
  // A centre with the eight handlers of the work cycle registered.
  QNNotificationCenter(UserDefaults& defaults, EventOutputs& outputs);
  ~QNNotificationCenter();
  QNNotificationCenter(const QNNotificationCenter&) = delete;
  QNNotificationCenter& operator=(const QNNotificationCenter&) = delete;

  // The process-wide centre. Until the application installs one with its
  // services, the centre reads the standard settings and drives no output.
  static QNNotificationCenter& sharedNotificationCenter();
  static void installSharedNotificationCenter(std::unique_ptr<QNNotificationCenter> centre);

  // A second handler under the same name replaces the first.
  void addNotificationHandler(std::unique_ptr<NotificationHandler> handler, const QString& event);
  // Hands the event to its handler; a name without one does nothing. Always true.
  bool triggerNotificationForEvent(const QString& event, int value, int maxValue);

  NotificationHelper& notificationHelper() { return helper_; }

  // The event names the states post.
  static const QString kTimeSliceTime, kTimeSliceStart, kTimeSliceElapsed, kTimeSlicePaused,
      kTimeSliceStopped, kTimedBreakTime, kTimedBreakStart, kTimedBreakEnd;

private:
  UserDefaults& defaults_;
  EventOutputs& outputs_;
  NotificationHelper helper_;
  QHash<QString, std::shared_ptr<NotificationHandler>> notificationHandlerDictionary_;
};

} // namespace kr
