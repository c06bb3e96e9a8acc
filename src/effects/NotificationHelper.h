#pragma once

namespace kr {

class EventOutputs;
class UserDefaults;

// The cues of a soft break: tick and tock sounds with an optional flash of
// every screen, spoken and shown messages, and the end-of-slice script event.
// Texts are used as written: no tags are substituted.
class NotificationHelper {
public:
  NotificationHelper(UserDefaults& defaults, EventOutputs& outputs);

  // The shared cues of the notification centre.
  static NotificationHelper& instance();

  void playFirstTick();
  void playSecondTick();
  void playIntermediateTick();
  void playTock();
  void speakAndDisplayUserStillActiveMessages();
  void speakAndDisplayIntermediaryMessages();
  void speakAndDisplayForcedBreakMessages();
  void executeEndOfTimeSliceScript();

private:
  bool playSoundIfOn(const char* onKey, const char* soundKey, const char* volumeKey);
  void flashIf(bool flash);
  void speakAndDisplay(const char* speechOn, const char* speechText, const char* growlOn,
                       const char* growlText, const char* growlDescription,
                       const char* growlSticky);

  UserDefaults& defaults_;
  EventOutputs& outputs_;
};

} // namespace kr
