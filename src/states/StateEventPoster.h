#pragma once

#include <QString>

namespace kr {

// Where the states post their events ("<class>.start", ".end", ".time"). The
// shell connects it to the notification centre.
class StateEventPoster {
public:
  virtual ~StateEventPoster() = default;
  virtual void triggerNotificationForEvent(const QString& event, int value, int maxValue) = 0;

  // The installed poster; stops the program when none is installed.
  static StateEventPoster& instance();
  // Not owned; nullptr uninstalls.
  static void install(StateEventPoster* poster);
};

} // namespace kr
