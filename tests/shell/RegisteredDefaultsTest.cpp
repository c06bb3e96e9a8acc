#include "shell/RegisteredDefaults.h"
#include "platform/settings/UserDefaults.h"

#include "support/TestEnvironment.h"

#include <QColor>
#include <QFile>
#include <QFont>
#include <QSet>
#include <QSettings>

#include <gtest/gtest.h>

#include <vector>

namespace {

using kr::RegisteredDefaults;

// The keys each subsystem owns in the table, as its documentation names them.
const std::vector<const char*> kShellKeys = {"firstLaunch",
                                             "loggerIsOn",
                                             "debug_speed",
                                             "debug_menu",
                                             "preferencesTabViewItemIdentifier",
                                             "notificationPreferencesTableIndex",
                                             "excludeApplicationsList",
                                             "automaticallyCloseAllFinderWindows",
                                             "experimentalBehavioursAreOn",
                                             "showThingsIntegrationAutoHideMessage",
                                             "showTheHitListIntegrationAutoHideMessage",
                                             "exportAsCSVPath",
                                             "dropboxSync",
                                             "dropboxLocation",
                                             "SUScheduledCheckInterval",
                                             "SUEnableAutomaticChecks"};
const std::vector<const char*> kEffectsKeys = {"warning10MinutesOn",
                                               "warning5MinutesOn",
                                               "warning3MinutesOn",
                                               "warning1MinuteOn",
                                               "dimmingAlpha",
                                               "dimBeforeEndOfTimeSlice",
                                               "endOfTimeSliceDimDuration",
                                               "dimBeforeEndOfTimedBreak",
                                               "endOfTimedBreakDimDuration",
                                               "startSoundOn",
                                               "startSound",
                                               "startSoundVolume",
                                               "countDownSound",
                                               "soundReminderOn",
                                               "soundReminderInterval",
                                               "soundReminderVolume",
                                               "continuousSoundOn",
                                               "continuousSoundVolume",
                                               "continuousSound",
                                               "warningSoundVolume",
                                               "warningSoundOn",
                                               "warningSound",
                                               "endSoundVolume",
                                               "endSoundOn",
                                               "endSound",
                                               "softBreakFirstSoundVolume",
                                               "softBreakFirstSoundOn",
                                               "softBreakFirstSound",
                                               "softBreakSecondSoundVolume",
                                               "softBreakSecondSoundOn",
                                               "softBreakSecondSound",
                                               "softBreakThirdSoundVolume",
                                               "softBreakThirdSoundOn",
                                               "softBreakThirdSound",
                                               "softBreakScreenFlashingChoice",
                                               "pausedSoundVolume",
                                               "pausedSoundOn",
                                               "pausedSound",
                                               "stoppedSoundVolume",
                                               "stoppedSoundOn",
                                               "stoppedSound",
                                               "breakStartSoundOn",
                                               "breakStartSound",
                                               "breakStartSoundVolume",
                                               "breakSoundReminderInterval",
                                               "breakSoundReminderOn",
                                               "breakSoundReminderVolume",
                                               "breakCountDownSound",
                                               "breakEndSoundOn",
                                               "breakEndSound",
                                               "breakEndSoundVolume",
                                               "standaloneSound",
                                               "standaloneSoundOn",
                                               "standaloneVolume",
                                               "speechStartText",
                                               "speechStartOn",
                                               "growlStartText",
                                               "growlStartDescription",
                                               "growlStartSticky",
                                               "growlStartOn",
                                               "speechReminderText",
                                               "speechReminderOn",
                                               "speechReminderInterval",
                                               "growlReminderText",
                                               "growlReminderDescription",
                                               "growlReminderOn",
                                               "growlReminderSticky",
                                               "growlReminderInterval",
                                               "speechWarningText",
                                               "speechWarningOn",
                                               "growlWarningText",
                                               "growlWarningDescription",
                                               "growlWarningOn",
                                               "growlWarningSticky",
                                               "speechEndText",
                                               "speechEndOn",
                                               "growlEndText",
                                               "growlEndDescription",
                                               "growlEndOn",
                                               "growlEndSticky",
                                               "speechSoftBreakUserStillActiveText",
                                               "speechSoftBreakUserStillActiveOn",
                                               "growlSoftBreakUserStillActiveText",
                                               "growlSoftBreakUserStillActiveDescription",
                                               "growlSoftBreakUserStillActiveOn",
                                               "growlSoftBreakUserStillActiveSticky",
                                               "speechSoftBreakIntermediaryText",
                                               "speechSoftBreakIntermediaryOn",
                                               "growlSoftBreakIntermediaryOn",
                                               "growlSoftBreakIntermediaryText",
                                               "growlSoftBreakIntermediaryDescription",
                                               "growlSoftBreakIntermediaryStick",
                                               "speechSoftBreakFinalOn",
                                               "speechSoftBreakFinalText",
                                               "growlSoftBreakFinalText",
                                               "growlSoftBreakFinalDescription",
                                               "growlSoftBreakFinalOn",
                                               "growlSoftBreakFinalStick",
                                               "speechPausedText",
                                               "speechPausedOn",
                                               "growlPausedText",
                                               "growlPausedDescription",
                                               "growlPausedOn",
                                               "growlPausedSticky",
                                               "speechStoppedText",
                                               "speechStoppedOn",
                                               "growlStoppedText",
                                               "growlStoppedDescription",
                                               "growlStoppedOn",
                                               "growlStoppedSticky",
                                               "speechBreakStartText",
                                               "speechBreakStartOn",
                                               "growlBreakStartText",
                                               "growlBreakStartDescription",
                                               "growlBreakStartOn",
                                               "growlBreakStartSticky",
                                               "breakSpeechReminderText",
                                               "breakSpeechReminderOn",
                                               "breakSpeechReminderInterval",
                                               "breakGrowlReminderText",
                                               "breakGrowlReminderDescription",
                                               "breakGrowlReminderSticky",
                                               "breakGrowlReminderOn",
                                               "breakGrowlReminderInterval",
                                               "breakSpeechEndText",
                                               "breakSpeechEndOn",
                                               "breakGrowlEndText",
                                               "breakGrowlEndDescription",
                                               "breakGrowlEndOn",
                                               "breakGrowlEndSticky",
                                               "soundOutputDevice",
                                               "mute",
                                               "speechReminderVolume",
                                               "notificationEngine",
                                               "notificationPosition"};
const std::vector<const char*> kWindowKeys = {"topLeftX",
                                              "topLeftY",
                                              "menubarIconChoice",
                                              "clickMovesWindowBelowIcon",
                                              "insertBreadcrumbTemplate",
                                              "insertPrimingTemplate",
                                              "continuousSpellChecking",
                                              "automaticSpellingCorrection",
                                              "textReplacement",
                                              "grammarChecking",
                                              "smartLinks",
                                              "smartQuotes",
                                              "smartDashes",
                                              "smartInsertAndDelete",
                                              "dataDetectorsOn",
                                              "promptPlacement",
                                              "currentPadIndex",
                                              "nowPadBackgroundColor",
                                              "laterPadBackgroundColor",
                                              "scratchPadBackgroundColor",
                                              "objectiveBackgroundColor",
                                              "textColor",
                                              "defaultFont",
                                              "nowAndLaterBoardAlpha",
                                              "fillWhite",
                                              "strokeWhite",
                                              "fillAlpha",
                                              "strokeAlpha",
                                              "whiteColor",
                                              "HUDGradientStart",
                                              "HUDGradientRange"};
const std::vector<const char*> kStatisticsKeys = {"currentlyDisplayedStatistic",
                                                  "statsRadioButtonChoice",
                                                  "statsDateMode",
                                                  "statsFromDate",
                                                  "statsToDate",
                                                  "filtering"};
const std::vector<const char*> kStateKeys = {
    "IdleStateWhatsNextSelection",
    "recentObjectivesListCopyTags",
    "defaultObjectivesListCopyTags",
    "timeSliceInfoTabViewIndex",
    "timeSliceExtensionInfoTabViewIndex",
    "automaticallyBringDefineTimeSliceToFrontAfterInactivity",
    "automaticallyBringDefineTimeSliceToFrontAfterOneHour",
    "automaticallyBringDefineTimeSliceToFrontAfterLunch",
    "automaticallyBringDefineTimeSliceToFrontAfterBreakfast"};
const std::vector<const char*> kEngineKeys = {"omnifocusIntegration", "theHitListIntegration",
                                              "thingsIntegrationToDoCompletion",
                                              "thingsIntegrationMoveToLogBook"};

const char* const kHotKeyRoots[] = {"now",
                                    "later",
                                    "scratch",
                                    "readObjectiveAloud",
                                    "startTimeSlice",
                                    "pauseTimeSlice",
                                    "endTimeSlice",
                                    "startTimedBreak",
                                    "toggleInterface"};

QSet<QString> keysOf(void (*add)(QVariantMap&)) {
  QVariantMap part;
  add(part);
  const QStringList keys = part.keys();
  return QSet<QString>(keys.cbegin(), keys.cend());
}

QSet<QString> expected(const std::vector<const char*>& keys) {
  QSet<QString> set;
  for (const char* key : keys)
    set.insert(QString::fromLatin1(key));
  return set;
}

QString key(const char* text) { return QString::fromLatin1(text); }

TEST(RegisteredDefaultsTest, TheTableHoldsExactlyTheKeysOfEachOwner) {
  QSet<QString> shortcutKeys;
  for (const char* root : kHotKeyRoots) {
    for (const char* suffix : {"SwiftKeyCode", "SwiftModifierKeys", "ComboType"})
      shortcutKeys.insert(key(root) + key(suffix));
  }
  struct Part {
    void (*add)(QVariantMap&);
    QSet<QString> keys;
    qsizetype count;
  };
  const Part parts[] = {
      {&RegisteredDefaults::addShellDefaults, expected(kShellKeys), 16},
      {&RegisteredDefaults::addEffectsDefaults, expected(kEffectsKeys), 135},
      {&RegisteredDefaults::addShortcutDefaults, shortcutKeys, 27},
      {&RegisteredDefaults::addWindowDefaults, expected(kWindowKeys), 31},
      {&RegisteredDefaults::addStatisticsDefaults, expected(kStatisticsKeys), 6},
      {&RegisteredDefaults::addStateDefaults, expected(kStateKeys), 9},
      {&RegisteredDefaults::addEngineDefaults, expected(kEngineKeys), 4},
  };
  for (const Part& part : parts) {
    EXPECT_EQ(part.keys.size(), part.count);
    const QSet<QString> actual = keysOf(part.add);
    for (const QString& missing : part.keys - actual)
      ADD_FAILURE() << "not registered: " << missing.toStdString();
    for (const QString& extra : actual - part.keys)
      ADD_FAILURE() << "registered but not owned: " << extra.toStdString();
  }
  // The parts do not overlap, so the whole table has every key once.
  EXPECT_EQ(RegisteredDefaults::table().size(), 228);
  // The data model registers its own keys; none of them is in this table.
  for (const char* dataModelKey : {"durationInSeconds", "completed", "tagFilter", "objective"})
    EXPECT_FALSE(RegisteredDefaults::table().contains(key(dataModelKey))) << dataModelKey;
}

TEST(RegisteredDefaultsTest, EveryKeyReadsItsValueFromAnEmptyStoreAndNoneIsWritten) {
  kr::UserDefaults& defaults = kr::UserDefaults::standard();
  kr::RegisteredDefaults::registerAll();
  kr::RegisteredDefaults::registerAll(); // a second registration changes nothing
  const QVariantMap table = kr::RegisteredDefaults::table();
  for (auto it = table.cbegin(); it != table.cend(); ++it) {
    EXPECT_TRUE(defaults.defined(it.key())) << it.key().toStdString();
    EXPECT_EQ(defaults.object(it.key()), it.value()) << it.key().toStdString();
    EXPECT_FALSE(defaults.hasStoredValue(it.key())) << it.key().toStdString();
  }
  EXPECT_TRUE(defaults.synchronize());
  EXPECT_FALSE(QFile::exists(defaults.filePath()) && QFile(defaults.filePath()).size() > 0);

  // Changing one key writes that key alone.
  defaults.setValue(QStringLiteral("menubarIconChoice"), 1);
  ASSERT_TRUE(defaults.flush());
  QSettings file(defaults.filePath(), QSettings::IniFormat);
  EXPECT_EQ(file.allKeys(), QStringList{QStringLiteral("menubarIconChoice")});
  defaults.remove(QStringLiteral("menubarIconChoice"));
  EXPECT_EQ(defaults.integer(QStringLiteral("menubarIconChoice")), 0);
}

struct Row {
  std::vector<const char*> keys;
  QVariant value; // its type is the registered kind
};

TEST(RegisteredDefaultsTest, TellingRowsHaveTheirValueAndKind) {
  const QString softBreakDescription = QString::fromUtf8("…or as soon as you stop working.");
  const std::vector<Row> rows = {
      {{"topLeftX", "topLeftY"}, -1},
      {{"dimmingAlpha"}, 0.6f},
      {{"endOfTimeSliceDimDuration", "endOfTimedBreakDimDuration"}, 2.5},
      {{"soundReminderInterval"}, 120},
      {{"breakSoundReminderInterval", "speechReminderInterval", "growlReminderInterval",
        "breakSpeechReminderInterval", "breakGrowlReminderInterval"},
       300},
      {{"nowAndLaterBoardAlpha"}, 1.0f},
      {{"startSound", "pausedSound", "stoppedSound", "breakStartSound"}, QStringLiteral("sosumi")},
      {{"countDownSound", "warningSound", "breakCountDownSound"}, QStringLiteral("clock1")},
      {{"endSound", "breakEndSound"}, QStringLiteral("alarm_clock")},
      {{"continuousSound", "standaloneSound"}, QStringLiteral("pink_noise")},
      {{"speechReminderText", "growlReminderText"}, QStringLiteral("<MinutesLeft> left")},
      {{"speechWarningText", "growlWarningText"}, QStringLiteral("Only <MinutesLeft> left")},
      {{"breakSpeechReminderText", "breakGrowlReminderText"},
       QStringLiteral("Your break will end in <MinutesLeft>")},
      {{"growlSoftBreakUserStillActiveDescription", "growlSoftBreakIntermediaryDescription"},
       softBreakDescription},
      {{"startTimeSliceSwiftKeyCode"}, 1},
      {{"startTimeSliceSwiftModifierKeys"}, 2304},
      {{"startTimeSliceComboType"}, QStringLiteral("keyModifierCombo")},
      {{"toggleInterfaceSwiftKeyCode"}, 15},
      {{"toggleInterfaceSwiftModifierKeys"}, 4096},
      {{"fillWhite"}, 0.14363636f},
      {{"strokeWhite"}, 0.16545455f},
      {{"fillAlpha"}, 0.5290909f},
      {{"strokeAlpha"}, 0.089090906f},
      {{"HUDGradientStart", "HUDGradientRange"}, 0.0f},
      {{"statsFromDate"}, QStringLiteral("2000-01-01")},
      {{"statsToDate"}, QStringLiteral("2014-01-01")},
      {{"notificationEngine"}, 1},
      {{"notificationPosition"}, 3},
      {{"promptPlacement"}, 2},
      {{"soundOutputDevice"}, QStringLiteral("useSystemDefault")},
      {{"preferencesTabViewItemIdentifier"}, QStringLiteral("Notifications")},
      {{"SUScheduledCheckInterval"}, 86400},
      {{"loggerIsOn", "firstLaunch", "SUEnableAutomaticChecks"}, true},
      {{"insertBreadcrumbTemplate", "insertPrimingTemplate", "dropboxSync", "mute"}, false},
  };
  const QVariantMap table = RegisteredDefaults::table();
  for (const Row& row : rows) {
    for (const char* name : row.keys) {
      const QVariant value = table.value(key(name));
      EXPECT_EQ(value.metaType(), row.value.metaType()) << name;
      EXPECT_EQ(value, row.value) << name;
    }
  }
}

TEST(RegisteredDefaultsTest, VolumesAndDescriptionsFollowTheirFamilyRule) {
  const QVariantMap table = RegisteredDefaults::table();
  int volumes = 0;
  int descriptions = 0;
  for (auto it = table.cbegin(); it != table.cend(); ++it) {
    if (it.key().endsWith(QStringLiteral("Volume"))) {
      ++volumes;
      EXPECT_EQ(it.value(), QVariant(1.0f)) << it.key().toStdString();
    }
    if (it.key().endsWith(QStringLiteral("Description")) && !it.key().contains(u"SoftBreakUser") &&
        !it.key().contains(u"SoftBreakIntermediary")) {
      ++descriptions;
      EXPECT_EQ(it.value(), QVariant(QString())) << it.key().toStdString();
    }
  }
  EXPECT_EQ(volumes, 15);
  EXPECT_EQ(descriptions, 10);
}

TEST(RegisteredDefaultsTest, DimDurationsReadAsWholeSecondsThroughTheIntegerView) {
  kr::UserDefaults::standard().registerDefaults(RegisteredDefaults::table());
  EXPECT_EQ(kr::UserDefaults::standard().integer(QStringLiteral("endOfTimeSliceDimDuration")), 2);
  EXPECT_FLOAT_EQ(kr::UserDefaults::standard().floatValue(QStringLiteral("dimmingAlpha")), 0.6f);
}

TEST(RegisteredDefaultsTest, HotKeysDefaultToTheirCombos) {
  struct Expected {
    const char* root;
    int keyCode;
    int modifiers;
  };
  const Expected hotKeys[] = {
      {"now", 45, 2304},
      {"later", 37, 2304},
      {"scratch", 35, 2304},
      {"readObjectiveAloud", 31, 2816},
      {"startTimeSlice", 1, 2304},
      {"pauseTimeSlice", 32, 2304},
      {"endTimeSlice", 14, 2304},
      {"startTimedBreak", 11, 2304},
      {"toggleInterface", 15, 4096},
  };
  const QVariantMap table = RegisteredDefaults::table();
  for (const Expected& hotKey : hotKeys) {
    const QString root = key(hotKey.root);
    EXPECT_EQ(table.value(root + QStringLiteral("SwiftKeyCode")), QVariant(hotKey.keyCode))
        << hotKey.root;
    EXPECT_EQ(table.value(root + QStringLiteral("SwiftModifierKeys")), QVariant(hotKey.modifiers))
        << hotKey.root;
    EXPECT_EQ(table.value(root + QStringLiteral("ComboType")),
              QVariant(QStringLiteral("keyModifierCombo")))
        << hotKey.root;
  }
}

TEST(RegisteredDefaultsTest, ColoursAndFontAreStoredAsText) {
  const QVariantMap table = RegisteredDefaults::table();
  EXPECT_EQ(table.value(QStringLiteral("nowPadBackgroundColor")).toString(), u"#ffffcc");
  EXPECT_EQ(table.value(QStringLiteral("laterPadBackgroundColor")).toString(), u"#e4ffdc");
  EXPECT_EQ(table.value(QStringLiteral("scratchPadBackgroundColor")).toString(), u"#eddcff");
  EXPECT_EQ(table.value(QStringLiteral("objectiveBackgroundColor")).toString(), u"#e2eeff");
  EXPECT_EQ(table.value(QStringLiteral("textColor")).toString(), u"#000000");
  QFont font;
  ASSERT_TRUE(font.fromString(table.value(QStringLiteral("defaultFont")).toString()));
  EXPECT_EQ(font.family(), QStringLiteral("Helvetica"));
  EXPECT_EQ(font.pointSize(), 12);
}

TEST(RegisteredDefaultsTest, ExcludedApplicationsAreFourPathEntriesInOrder) {
  const QVariantList list =
      RegisteredDefaults::table().value(QStringLiteral("excludeApplicationsList")).toList();
  const QStringList paths = {QStringLiteral("/Applications/OmniFocus.app"),
                             QStringLiteral("/Applications/The Hit List.app"),
                             QStringLiteral("/Applications/Things.app"),
                             QStringLiteral("/Applications/Things beta.app")};
  ASSERT_EQ(list.size(), paths.size());
  for (qsizetype i = 0; i < list.size(); ++i) {
    const QVariantMap entry = list.at(i).toMap();
    EXPECT_EQ(entry.keys(), QStringList{QStringLiteral("path")});
    EXPECT_EQ(entry.value(QStringLiteral("path")).toString(), paths.at(i));
  }
}

TEST(RegisteredDefaultsTest, PathsAreAbsoluteInTheHomeFolder) {
  const QVariantMap table = kr::RegisteredDefaults::table();
  for (const char* name : {"exportAsCSVPath", "dropboxLocation"}) {
    const QString path = table.value(key(name)).toString();
    EXPECT_FALSE(path.startsWith(u'~')) << name;
    EXPECT_TRUE(path.startsWith(kr::test::temporaryHome() + u'/')) << name;
  }
  EXPECT_EQ(table.value(QStringLiteral("exportAsCSVPath")).toString(),
            kr::test::temporaryHome() + QStringLiteral("/Desktop/Korvane-R Log.csv"));
  EXPECT_EQ(table.value(QStringLiteral("dropboxLocation")).toString(),
            kr::test::temporaryHome() + QStringLiteral("/Dropbox/"));
}

} // namespace
