#include "states/WelcomeProfile.h"

#include "platform/settings/UserDefaults.h"

namespace kr {

const QString WelcomeProfile::kTechniqueKey = QStringLiteral("techniqueProfileChoice");
const QString WelcomeProfile::kNotificationKey = QStringLiteral("notificationProfileChoice");
const QString WelcomeProfile::kContinuousSoundKey = QStringLiteral("continuousSoundProfileChoice");

namespace {

void setAll(UserDefaults& defaults, const QStringList& keys, bool value) {
  for (const QString& key : keys)
    defaults.setValue(key, value);
}

void writeTechnique(UserDefaults& defaults, const QString& choice) {
  bool pomodoro = false;
  if (choice == QStringLiteral("pomodoro"))
    pomodoro = true;
  else if (choice != QStringLiteral("korvane"))
    return;
  defaults.setValue(QStringLiteral("durationInSeconds"), pomodoro ? 1500 : 1200);
  setAll(defaults,
         {QStringLiteral("primingOption"), QStringLiteral("breadcrumbsOption"),
          QStringLiteral("startWithBreakOption"), QStringLiteral("doNotLogOption"),
          QStringLiteral("informalBreakOption")},
         pomodoro);
  defaults.setValue(QStringLiteral("breakDurationControlAlternative"),
                    pomodoro ? QStringLiteral("pomodoroStyle") : QStringLiteral("default"));
}

void writeNotifications(UserDefaults& defaults, const QString& choice) {
  using P = WelcomeProfile;
  if (choice == QStringLiteral("none")) {
    P::configureVisualNotifications(defaults);
    P::switchOffAllSoundNotifications(defaults);
    P::switchOffAllVoiceNotifications(defaults);
    P::switchSoftBreakToVisual(defaults);
  } else if (choice == QStringLiteral("some")) {
    P::configureVisualNotifications(defaults);
    P::switchOffAllVoiceNotifications(defaults);
    P::switchOffAllSoundNotifications(defaults);
    P::configureSoundNotifications(defaults);
    P::switchSoftBreakToSound(defaults);
  } else if (choice == QStringLiteral("voice")) {
    P::configureVisualNotifications(defaults);
    P::switchOffAllSoundNotifications(defaults);
    P::switchOffAllVoiceNotifications(defaults);
    P::configureVoiceNotifications(defaults);
    P::switchSoftBreakToSound(defaults);
  }
}

void writeContinuousSound(UserDefaults& defaults, const QString& choice) {
  const QString kOn = QStringLiteral("continuousSoundOn");
  const QString kSound = QStringLiteral("continuousSound");
  const QString kHidden = QStringLiteral("hideContinuousSoundInTimeSliceRunningState");
  if (choice == QStringLiteral("none")) {
    defaults.setValue(kOn, false);
    defaults.setValue(kHidden, true);
  } else if (choice == QStringLiteral("pomodoro") || choice == QStringLiteral("pinkNoise")) {
    defaults.setValue(kOn, true);
    defaults.setValue(kSound, choice == QStringLiteral("pomodoro") ? QStringLiteral("clock1_c")
                                                                   : QStringLiteral("pink_noise"));
    defaults.setValue(kHidden, false);
  }
}

} // namespace

const QStringList& WelcomeProfile::techniqueChoices() {
  static const QStringList list{QStringLiteral("korvane"), QStringLiteral("pomodoro")};
  return list;
}

const QStringList& WelcomeProfile::notificationChoices() {
  static const QStringList list{QStringLiteral("none"), QStringLiteral("some"),
                                QStringLiteral("voice")};
  return list;
}

const QStringList& WelcomeProfile::continuousSoundChoices() {
  static const QStringList list{QStringLiteral("none"), QStringLiteral("pomodoro"),
                                QStringLiteral("pinkNoise")};
  return list;
}

int WelcomeProfile::techniqueIndex(const QString& stored) {
  return stored == QStringLiteral("korvane") ? 0 : 1;
}

int WelcomeProfile::notificationIndex(const QString& stored) {
  if (stored == QStringLiteral("none"))
    return 0;
  return stored == QStringLiteral("some") ? 1 : 2;
}

int WelcomeProfile::continuousSoundIndex(const QString& stored) {
  if (stored == QStringLiteral("none"))
    return 0;
  return stored == QStringLiteral("pomodoro") ? 1 : 2;
}

void WelcomeProfile::createInitialConfigurationBasedOnSettings(UserDefaults& defaults) {
  writeTechnique(defaults, defaults.string(kTechniqueKey));
  const QString notification = defaults.string(kNotificationKey);
  writeNotifications(defaults, notification);
  const QString sound = defaults.string(kContinuousSoundKey);
  writeContinuousSound(defaults, sound);
  // The continuous ticking takes the place of the reminder ticks.
  if (sound == QStringLiteral("pomodoro") && notification == QStringLiteral("some")) {
    defaults.setValue(QStringLiteral("warningSoundOn"), false);
    defaults.setValue(QStringLiteral("soundReminderOn"), false);
  }
}

void WelcomeProfile::configureVisualNotifications(UserDefaults& defaults) {
  setAll(defaults,
         {QStringLiteral("growlStartOn"), QStringLiteral("growlReminderOn"),
          QStringLiteral("growlWarningOn"), QStringLiteral("growlEndOn"),
          QStringLiteral("growlPausedOn"), QStringLiteral("growlStoppedOn"),
          QStringLiteral("growlBreakStartOn")},
         true);
}

void WelcomeProfile::switchOffAllVoiceNotifications(UserDefaults& defaults) {
  setAll(defaults,
         {QStringLiteral("speechStartOn"), QStringLiteral("speechReminderOn"),
          QStringLiteral("speechWarningOn"), QStringLiteral("speechEndOn"),
          QStringLiteral("speechPausedOn"), QStringLiteral("speechStoppedOn"),
          QStringLiteral("speechBreakStartOn"), QStringLiteral("breakSpeechReminderOn"),
          QStringLiteral("breakSpeechEndOn")},
         false);
}

void WelcomeProfile::switchOffAllSoundNotifications(UserDefaults& defaults) {
  setAll(defaults,
         {QStringLiteral("breakEndSoundOn"), QStringLiteral("soundReminderOn"),
          QStringLiteral("endSoundOn"), QStringLiteral("startSoundOn"),
          QStringLiteral("warningSoundOn"), QStringLiteral("pausedSoundOn"),
          QStringLiteral("breakSoundReminderOn"), QStringLiteral("breakStartSoundOn"),
          QStringLiteral("stoppedSoundOn")},
         false);
}

void WelcomeProfile::configureSoundNotifications(UserDefaults& defaults) {
  setAll(defaults,
         {QStringLiteral("breakEndSoundOn"), QStringLiteral("soundReminderOn"),
          QStringLiteral("endSoundOn")},
         true);
}

void WelcomeProfile::configureVoiceNotifications(UserDefaults& defaults) {
  setAll(defaults,
         {QStringLiteral("speechReminderOn"), QStringLiteral("speechWarningOn"),
          QStringLiteral("speechEndOn"), QStringLiteral("breakSpeechEndOn")},
         true);
}

void WelcomeProfile::switchSoftBreakToSound(UserDefaults& defaults) {
  defaults.setValue(QStringLiteral("softBreakScreenFlashingChoice"), 0);
  setAll(defaults,
         {QStringLiteral("softBreakFirstSoundOn"), QStringLiteral("softBreakSecondSoundOn"),
          QStringLiteral("softBreakThirdSoundOn")},
         true);
}

void WelcomeProfile::switchSoftBreakToVisual(UserDefaults& defaults) {
  defaults.setValue(QStringLiteral("softBreakScreenFlashingChoice"), 3);
  setAll(defaults,
         {QStringLiteral("softBreakFirstSoundOn"), QStringLiteral("softBreakSecondSoundOn"),
          QStringLiteral("softBreakThirdSoundOn")},
         false);
}

} // namespace kr
