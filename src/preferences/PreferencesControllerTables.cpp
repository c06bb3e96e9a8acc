// The preferences window's fixed lists: its panes, the notification table's
// texts, the shortcut roots, the sound pop-ups and the observed keys.
#include "preferences/PreferencesController.h"

namespace kr {

namespace {
const QString kPaneKey = QStringLiteral("preferencesTabViewItemIdentifier");
} // namespace

const QStringList PreferencesController::kPaneIdentifiers = {
    QStringLiteral("Notifications"), QStringLiteral("Sounds"),   QStringLiteral("Shortcuts"),
    QStringLiteral("Pads"),          QStringLiteral("Calendar"), QStringLiteral("Distractions"),
    QStringLiteral("Integrations"),  QStringLiteral("Scripts"),  QStringLiteral("Sync"),
    QStringLiteral("General")};

const QString PreferencesController::kSoftwareUpdateIdentifier = QStringLiteral("SoftwareUpdate");

const QStringList PreferencesController::kNotificationTableLabels = {
    QStringLiteral("Time Slice"),      QStringLiteral(" is started"),
    QStringLiteral(" is in progress"), QStringLiteral(" will elapse soon"),
    QStringLiteral(" has elapsed"),    QStringLiteral(" was paused"),
    QStringLiteral(" was stopped"),    QStringLiteral("Timed Break"),
    QStringLiteral(" is started"),     QStringLiteral(" is in progress"),
    QStringLiteral(" has elapsed")};

const QStringList PreferencesController::kShortcutRoots = {QStringLiteral("now"),
                                                           QStringLiteral("later"),
                                                           QStringLiteral("scratch"),
                                                           QStringLiteral("readObjectiveAloud"),
                                                           QStringLiteral("startTimeSlice"),
                                                           QStringLiteral("endTimeSlice"),
                                                           QStringLiteral("startTimedBreak"),
                                                           QStringLiteral("toggleInterface"),
                                                           QStringLiteral("pauseTimeSlice")};

const std::vector<PreferencesController::SoundChoice> PreferencesController::kSoundChoices = {
    {QStringLiteral("selectStartSound"), QStringLiteral("startSound"), SoundList::end,
     QStringLiteral("startSoundVolume")},
    {QStringLiteral("selectWarningSound"), QStringLiteral("warningSound"), SoundList::reminder,
     QStringLiteral("warningSoundVolume")},
    {QStringLiteral("selectReminderSound"), QStringLiteral("countDownSound"), SoundList::reminder,
     QStringLiteral("soundReminderVolume")},
    {QStringLiteral("selectContinuousSound"), QStringLiteral("continuousSound"),
     SoundList::continuous, QStringLiteral("continuousSoundVolume")},
    {QStringLiteral("selectEndSound"), QStringLiteral("endSound"), SoundList::end,
     QStringLiteral("endSoundVolume")},
    {QStringLiteral("selectSoftBreakFirstSound"), QStringLiteral("softBreakFirstSound"),
     SoundList::end, QStringLiteral("softBreakFirstSoundVolume")},
    {QStringLiteral("selectSoftBreakSecondSound"), QStringLiteral("softBreakSecondSound"),
     SoundList::end, QStringLiteral("softBreakSecondSoundVolume")},
    {QStringLiteral("selectSoftBreakThirdSound"), QStringLiteral("softBreakThirdSound"),
     SoundList::end, QStringLiteral("softBreakThirdSoundVolume")},
    {QStringLiteral("selectPausedSound"), QStringLiteral("pausedSound"), SoundList::end,
     QStringLiteral("pausedSoundVolume")},
    {QStringLiteral("selectStoppedSound"), QStringLiteral("stoppedSound"), SoundList::end,
     QStringLiteral("stoppedSoundVolume")},
    {QStringLiteral("selectBreakStartSound"), QStringLiteral("breakStartSound"), SoundList::end,
     QStringLiteral("breakStartSoundVolume")},
    {QStringLiteral("selectBreakReminderSound"), QStringLiteral("breakCountDownSound"),
     SoundList::reminder, QStringLiteral("breakSoundReminderVolume")},
    {QStringLiteral("selectBreakEndSound"), QStringLiteral("breakEndSound"), SoundList::end,
     QStringLiteral("breakEndSoundVolume")},
    {QStringLiteral("selectStandaloneSound"), QStringLiteral("standaloneSound"),
     SoundList::continuous, QStringLiteral("standaloneVolume")},
};

const QStringList PreferencesController::kObservedKeys = [] {
  QStringList keys = {QStringLiteral("textColor"), kPaneKey};
  for (const SoundChoice& choice : kSoundChoices)
    keys << choice.volumeKey;
  keys << QStringLiteral("speechReminderVolume");
  return keys;
}();

} // namespace kr
