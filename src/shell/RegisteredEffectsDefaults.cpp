// The sound, notification and screen-effect part of the registration table.

#include "shell/RegisteredDefaults.h"

namespace kr {

namespace {

class TableWriter {
public:
  explicit TableWriter(QVariantMap& table) : table_(table) {}
  void flag(const char* key, bool value) { table_.insert(QString::fromLatin1(key), value); }
  void integer(const char* key, int value) { table_.insert(QString::fromLatin1(key), value); }
  void single(const char* key, float value) { table_.insert(QString::fromLatin1(key), value); }
  void real(const char* key, double value) { table_.insert(QString::fromLatin1(key), value); }
  void text(const char* key, const char* utf8) {
    table_.insert(QString::fromLatin1(key), QString::fromUtf8(utf8));
  }
  // A sound cue: its switch, its sound's private name and its volume.
  void sound(const char* onKey, bool on, const char* soundKey, const char* name,
             const char* volumeKey) {
    flag(onKey, on);
    text(soundKey, name);
    single(volumeKey, 1.0f);
  }

private:
  QVariantMap& table_;
};

void addWarningsAndDimming(TableWriter& w) {
  w.flag("warning10MinutesOn", true);
  w.flag("warning5MinutesOn", true);
  w.flag("warning3MinutesOn", true);
  w.flag("warning1MinuteOn", true);
  w.single("dimmingAlpha", 0.6f);
  w.flag("dimBeforeEndOfTimeSlice", true);
  w.real("endOfTimeSliceDimDuration", 2.5);
  w.flag("dimBeforeEndOfTimedBreak", true);
  w.real("endOfTimedBreakDimDuration", 2.5);
}

void addSounds(TableWriter& w) {
  w.sound("startSoundOn", false, "startSound", "sosumi", "startSoundVolume");
  w.sound("soundReminderOn", true, "countDownSound", "clock1", "soundReminderVolume");
  w.integer("soundReminderInterval", 120);
  w.sound("continuousSoundOn", false, "continuousSound", "pink_noise", "continuousSoundVolume");
  w.sound("warningSoundOn", false, "warningSound", "clock1", "warningSoundVolume");
  w.sound("endSoundOn", true, "endSound", "alarm_clock", "endSoundVolume");
  w.sound("softBreakFirstSoundOn", true, "softBreakFirstSound", "morse",
          "softBreakFirstSoundVolume");
  w.sound("softBreakSecondSoundOn", true, "softBreakSecondSound", "morse",
          "softBreakSecondSoundVolume");
  w.sound("softBreakThirdSoundOn", true, "softBreakThirdSound", "pop", "softBreakThirdSoundVolume");
  w.integer("softBreakScreenFlashingChoice", 0);
  w.sound("pausedSoundOn", false, "pausedSound", "sosumi", "pausedSoundVolume");
  w.sound("stoppedSoundOn", false, "stoppedSound", "sosumi", "stoppedSoundVolume");
  w.sound("breakStartSoundOn", false, "breakStartSound", "sosumi", "breakStartSoundVolume");
  w.sound("breakSoundReminderOn", false, "breakCountDownSound", "clock1",
          "breakSoundReminderVolume");
  w.integer("breakSoundReminderInterval", 300);
  w.sound("breakEndSoundOn", true, "breakEndSound", "alarm_clock", "breakEndSoundVolume");
  w.sound("standaloneSoundOn", false, "standaloneSound", "pink_noise", "standaloneVolume");
  w.text("soundOutputDevice", RegisteredDefaults::kUseSystemDefaultOutputDevice);
  w.flag("mute", false);
}

void addSliceAnnouncements(TableWriter& w) {
  w.text("speechStartText", "Starting Time Slice");
  w.flag("speechStartOn", false);
  w.text("growlStartText", "Starting Time Slice");
  w.text("growlStartDescription", "");
  w.flag("growlStartSticky", false);
  w.flag("growlStartOn", true);

  w.text("speechReminderText", "<MinutesLeft> left");
  w.flag("speechReminderOn", false);
  w.integer("speechReminderInterval", 300);
  w.text("growlReminderText", "<MinutesLeft> left");
  w.text("growlReminderDescription", "");
  w.flag("growlReminderOn", true);
  w.flag("growlReminderSticky", false);
  w.integer("growlReminderInterval", 300);

  w.text("speechWarningText", "Only <MinutesLeft> left");
  w.flag("speechWarningOn", false);
  w.text("growlWarningText", "Only <MinutesLeft> left");
  w.text("growlWarningDescription", "");
  w.flag("growlWarningOn", true);
  w.flag("growlWarningSticky", false);

  w.text("speechEndText", "Time Slice Elapsed");
  w.flag("speechEndOn", false);
  w.text("growlEndText", "Time Slice Elapsed");
  w.text("growlEndDescription", "");
  w.flag("growlEndOn", true);
  w.flag("growlEndSticky", false);

  w.text("speechPausedText", "Time Slice Paused");
  w.flag("speechPausedOn", false);
  w.text("growlPausedText", "Time Slice Paused");
  w.text("growlPausedDescription", "");
  w.flag("growlPausedOn", true);
  w.flag("growlPausedSticky", false);

  w.text("speechStoppedText", "Time Slice Stopped");
  w.flag("speechStoppedOn", false);
  w.text("growlStoppedText", "Time Slice Stopped");
  w.text("growlStoppedDescription", "");
  w.flag("growlStoppedOn", true);
  w.flag("growlStoppedSticky", false);
}

void addSoftBreakAnnouncements(TableWriter& w) {
  w.text("speechSoftBreakUserStillActiveText", "The break will start as soon as you stop working.");
  w.flag("speechSoftBreakUserStillActiveOn", false);
  w.text("growlSoftBreakUserStillActiveText", "Your Break will start in 30 seconds…");
  w.text("growlSoftBreakUserStillActiveDescription", "…or as soon as you stop working.");
  w.flag("growlSoftBreakUserStillActiveOn", true);
  w.flag("growlSoftBreakUserStillActiveSticky", false);

  w.text("speechSoftBreakIntermediaryText", "The break will start automatically in 15 seconds.");
  w.flag("speechSoftBreakIntermediaryOn", false);
  w.flag("growlSoftBreakIntermediaryOn", true);
  w.text("growlSoftBreakIntermediaryText", "Your Break will start in 15 seconds…");
  w.text("growlSoftBreakIntermediaryDescription", "…or as soon as you stop working.");
  w.flag("growlSoftBreakIntermediaryStick", false);

  w.flag("speechSoftBreakFinalOn", false);
  w.text("speechSoftBreakFinalText", "Time Slice Elapsed");
  w.text("growlSoftBreakFinalText", "Time Slice Elapsed");
  w.text("growlSoftBreakFinalDescription", "");
  w.flag("growlSoftBreakFinalOn", false);
  w.flag("growlSoftBreakFinalStick", false);
}

void addBreakAnnouncements(TableWriter& w) {
  w.text("speechBreakStartText", "Starting Timed Break");
  w.flag("speechBreakStartOn", false);
  w.text("growlBreakStartText", "Starting Timed Break");
  w.text("growlBreakStartDescription", "");
  w.flag("growlBreakStartOn", true);
  w.flag("growlBreakStartSticky", false);

  w.text("breakSpeechReminderText", "Your break will end in <MinutesLeft>");
  w.flag("breakSpeechReminderOn", false);
  w.integer("breakSpeechReminderInterval", 300);
  w.text("breakGrowlReminderText", "Your break will end in <MinutesLeft>");
  w.text("breakGrowlReminderDescription", "");
  w.flag("breakGrowlReminderSticky", false);
  w.flag("breakGrowlReminderOn", false);
  w.integer("breakGrowlReminderInterval", 300);

  w.text("breakSpeechEndText", "Timed break finished");
  w.flag("breakSpeechEndOn", false);
  w.text("breakGrowlEndText", "Timed break finished");
  w.text("breakGrowlEndDescription", "");
  w.flag("breakGrowlEndOn", true);
  w.flag("breakGrowlEndSticky", false);
}

} // namespace

void RegisteredDefaults::addEffectsDefaults(QVariantMap& t) {
  TableWriter w(t);
  addWarningsAndDimming(w);
  addSounds(w);
  addSliceAnnouncements(w);
  addSoftBreakAnnouncements(w);
  addBreakAnnouncements(w);
  w.single("speechReminderVolume", 1.0f);
  w.integer("notificationEngine", 1);
  w.integer("notificationPosition", 3);
}

} // namespace kr
