#include "effects/NotificationHelper.h"

#include "effects/EventOutputs.h"
#include "effects/QNNotificationCenter.h"

#include "art/BreakTimeStyleKit.h"
#include "platform/QnLog.h"
#include "platform/settings/UserDefaults.h"

namespace kr {

namespace {
QString key(const char* k) { return QString::fromLatin1(k); }
const QString kFlashChoice = QStringLiteral("softBreakScreenFlashingChoice");
} // namespace

NotificationHelper::NotificationHelper(UserDefaults& defaults, EventOutputs& outputs)
    : defaults_(defaults), outputs_(outputs) {}

NotificationHelper& NotificationHelper::instance() {
  return QNNotificationCenter::sharedNotificationCenter().notificationHelper();
}

bool NotificationHelper::playSoundIfOn(const char* onKey, const char* soundKey,
                                       const char* volumeKey) {
  if (!defaults_.boolValue(key(onKey)))
    return false;
  outputs_.playSound(defaults_.string(key(soundKey)), defaults_.floatValue(key(volumeKey)));
  return true;
}

void NotificationHelper::flashIf(bool flash) {
  if (flash)
    outputs_.quickFadeAllScreens(BreakTimeStyleKit::flashColor(), 0.25f, 0.2);
}

void NotificationHelper::playFirstTick() {
  qn_log(QStringLiteral("playFirstTick()"));
  playSoundIfOn("softBreakFirstSoundOn", "softBreakFirstSound", "softBreakFirstSoundVolume");
  flashIf(defaults_.integer(kFlashChoice) == 3);
}

void NotificationHelper::playSecondTick() {
  qn_log(QStringLiteral("playSecondTick()"));
  playSoundIfOn("softBreakSecondSoundOn", "softBreakSecondSound", "softBreakSecondSoundVolume");
  flashIf(defaults_.integer(kFlashChoice) == 3);
}

void NotificationHelper::playIntermediateTick() {
  qn_log(QStringLiteral("playIntermediateTick()"));
  if (!playSoundIfOn("softBreakFirstSoundOn", "softBreakFirstSound", "softBreakFirstSoundVolume"))
    playSoundIfOn("softBreakSecondSoundOn", "softBreakSecondSound", "softBreakSecondSoundVolume");
  flashIf(defaults_.integer(kFlashChoice) == 3);
}

void NotificationHelper::playTock() {
  qn_log(QStringLiteral("playTock()"));
  playSoundIfOn("softBreakThirdSoundOn", "softBreakThirdSound", "softBreakThirdSoundVolume");
  const qint64 choice = defaults_.integer(kFlashChoice);
  flashIf(choice == 1 || choice == 3);
}

void NotificationHelper::speakAndDisplay(const char* speechOn, const char* speechText,
                                         const char* growlOn, const char* growlText,
                                         const char* growlDescription, const char* growlSticky) {
  if (defaults_.boolValue(key(speechOn)))
    outputs_.speak(defaults_.string(key(speechText)));
  if (defaults_.boolValue(key(growlOn))) {
    outputs_.showNotification(defaults_.string(key(growlText)),
                              defaults_.string(key(growlDescription)), 0.0,
                              defaults_.boolValue(key(growlSticky)));
  }
}

void NotificationHelper::speakAndDisplayUserStillActiveMessages() {
  qn_log(QStringLiteral("speakAndDisplayUserStillActiveMessages()"));
  speakAndDisplay("speechSoftBreakUserStillActiveOn", "speechSoftBreakUserStillActiveText",
                  "growlSoftBreakUserStillActiveOn", "growlSoftBreakUserStillActiveText",
                  "growlSoftBreakUserStillActiveDescription",
                  "growlSoftBreakUserStillActiveSticky");
}

void NotificationHelper::speakAndDisplayIntermediaryMessages() {
  qn_log(QStringLiteral("speakAndDisplayIntermediaryMessages()"));
  speakAndDisplay("speechSoftBreakIntermediaryOn", "speechSoftBreakIntermediaryText",
                  "growlSoftBreakIntermediaryOn", "growlSoftBreakIntermediaryText",
                  "growlSoftBreakIntermediaryDescription", "growlSoftBreakIntermediaryStick");
}

void NotificationHelper::speakAndDisplayForcedBreakMessages() {
  qn_log(QStringLiteral("speakAndDisplayForcedBreakMessages()"));
  speakAndDisplay("speechSoftBreakFinalOn", "speechSoftBreakFinalText", "growlSoftBreakFinalOn",
                  "growlSoftBreakFinalText", "growlSoftBreakFinalDescription",
                  "growlSoftBreakFinalStick");
}

void NotificationHelper::executeEndOfTimeSliceScript() {
  const QString k = QStringLiteral("speechSoftBreakFinalText");
  if (!defaults_.defined(k))
    return;
  outputs_.runScriptHandler(QStringLiteral("time_slice_elapsed"), defaults_.string(k));
}

} // namespace kr
