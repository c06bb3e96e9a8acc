#pragma once

namespace kr {

class EventOutputs;
class NotificationHelper;
class UserDefaults;

// What a notification handler works with: the settings it reads afresh at every
// event, the outputs it drives and the soft-break cues.
struct NotificationContext {
  UserDefaults& defaults;
  EventOutputs& outputs;
  NotificationHelper& cues;
};

} // namespace kr
