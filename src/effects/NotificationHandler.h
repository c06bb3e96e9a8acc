#pragma once

#include <QString>

namespace kr {

struct NotificationContext;

// The base of every handler of the notification centre: turns one event into
// the outputs the user's settings ask for.
class NotificationHandler {
public:
  // The settings keys of one event's outputs.
  struct OutputKeys {
    QString soundOn, sound, volume;
    QString speechOn, speechText;
    QString growlOn, growlText, growlDescription, growlSticky;
    QString eventHandlerName;
  };

  virtual ~NotificationHandler() = default;

  // Always answers true.
  virtual bool handleNotificationWithValue(const NotificationContext& context, int value,
                                           int maxValue);

  // Replaces the minute and objective tags. `value` is the seconds elapsed,
  // `maxValue` the total; the objective comes last, so tags inside it stay as written.
  static QString performSpeechTagSubstitution(const QString& text, int value, int maxValue,
                                              const NotificationContext& context);
  // The same with the objective given.
  static QString performSpeechTagSubstitution(const QString& text, int value, int maxValue,
                                              const QString& objective);

protected:
  // Sound, speech, visual notification, then the script handler with the
  // substituted speech text (even when speech is off).
  static void produceOutputs(const NotificationContext& context, const OutputKeys& keys, int value,
                             int maxValue);
};

} // namespace kr
