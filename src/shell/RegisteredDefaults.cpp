#include "shell/RegisteredDefaults.h"

#include "platform/files/SupportPaths.h"
#include "platform/settings/UserDefaults.h"

#include <QColor>
#include <QFont>
#include <QVariantList>

namespace kr {

namespace {

QVariantMap applicationPath(const QString& path) { return {{QStringLiteral("path"), path}}; }

// Colours are kept as "#rrggbb" text.
QString colour(double red, double green, double blue) {
  return QColor::fromRgbF(static_cast<float>(red), static_cast<float>(green),
                          static_cast<float>(blue))
      .name(QColor::HexRgb);
}

struct HotKeyDefault {
  const char* root;
  int keyCode;
  int modifiers; // command 256, shift 512, option 2048, control 4096
};

// Key codes are the stored virtual key codes: S 1, B 11, E 14, R 15, O 31,
// U 32, P 35, L 37, N 45.
constexpr HotKeyDefault kHotKeys[] = {
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

} // namespace

QVariantMap RegisteredDefaults::table() {
  QVariantMap t;
  addShellDefaults(t);
  addEffectsDefaults(t);
  addShortcutDefaults(t);
  addWindowDefaults(t);
  addStatisticsDefaults(t);
  addStateDefaults(t);
  addEngineDefaults(t);
  return t;
}

void RegisteredDefaults::registerAll() { UserDefaults::standard().registerDefaults(table()); }

void RegisteredDefaults::addShellDefaults(QVariantMap& t) {
  const QString home = SupportPaths::homeFolder();
  t[QStringLiteral("firstLaunch")] = true;
  t[QStringLiteral("loggerIsOn")] = true;
  t[QStringLiteral("debug_speed")] = 0;
  t[QStringLiteral("debug_menu")] = false;
  t[QStringLiteral("preferencesTabViewItemIdentifier")] = QStringLiteral("Notifications");
  t[QStringLiteral("notificationPreferencesTableIndex")] = 1;
  t[QStringLiteral("excludeApplicationsList")] =
      QVariantList{applicationPath(QStringLiteral("/Applications/OmniFocus.app")),
                   applicationPath(QStringLiteral("/Applications/The Hit List.app")),
                   applicationPath(QStringLiteral("/Applications/Things.app")),
                   applicationPath(QStringLiteral("/Applications/Things beta.app"))};
  t[QStringLiteral("automaticallyCloseAllFinderWindows")] = false;
  t[QStringLiteral("experimentalBehavioursAreOn")] = false;
  t[QStringLiteral("showThingsIntegrationAutoHideMessage")] = true;
  t[QStringLiteral("showTheHitListIntegrationAutoHideMessage")] = true;
  t[QStringLiteral("exportAsCSVPath")] = home + QStringLiteral("/Desktop/Korvane-R Log.csv");
  t[QStringLiteral("dropboxSync")] = false;
  t[QStringLiteral("dropboxLocation")] = home + QStringLiteral("/Dropbox/");
  t[QStringLiteral("SUScheduledCheckInterval")] = 86400;
  t[QStringLiteral("SUEnableAutomaticChecks")] = true;
}

void RegisteredDefaults::addShortcutDefaults(QVariantMap& t) {
  for (const HotKeyDefault& hotKey : kHotKeys) {
    const QString root = QString::fromLatin1(hotKey.root);
    t[root + QStringLiteral("SwiftKeyCode")] = hotKey.keyCode;
    t[root + QStringLiteral("SwiftModifierKeys")] = hotKey.modifiers;
    t[root + QStringLiteral("ComboType")] = QStringLiteral("keyModifierCombo");
  }
}

void RegisteredDefaults::addWindowDefaults(QVariantMap& t) {
  // Window placement and the status item.
  t[QStringLiteral("topLeftX")] = -1;
  t[QStringLiteral("topLeftY")] = -1;
  t[QStringLiteral("menubarIconChoice")] = 0;
  t[QStringLiteral("clickMovesWindowBelowIcon")] = true;

  // Pads: template pages, text features, colours and font.
  t[QStringLiteral("insertBreadcrumbTemplate")] = false;
  t[QStringLiteral("insertPrimingTemplate")] = false;
  t[QStringLiteral("continuousSpellChecking")] = true;
  t[QStringLiteral("automaticSpellingCorrection")] = false;
  t[QStringLiteral("textReplacement")] = true;
  t[QStringLiteral("grammarChecking")] = false;
  t[QStringLiteral("smartLinks")] = true;
  t[QStringLiteral("smartQuotes")] = true;
  t[QStringLiteral("smartDashes")] = true;
  t[QStringLiteral("smartInsertAndDelete")] = true;
  t[QStringLiteral("dataDetectorsOn")] = false;
  t[QStringLiteral("promptPlacement")] = 2;
  t[QStringLiteral("currentPadIndex")] = 0;
  t[QStringLiteral("nowPadBackgroundColor")] = colour(1.0, 1.0, 0.8);
  t[QStringLiteral("laterPadBackgroundColor")] = colour(0.893307, 0.999776, 0.862248);
  t[QStringLiteral("scratchPadBackgroundColor")] = colour(0.929994, 0.863978, 1.0);
  t[QStringLiteral("objectiveBackgroundColor")] = colour(0.886275, 0.933333, 1.0);
  t[QStringLiteral("textColor")] = colour(0.0, 0.0, 0.0);
  t[QStringLiteral("defaultFont")] = QFont(QStringLiteral("Helvetica"), 12).toString();

  // The older drawn views.
  t[QStringLiteral("nowAndLaterBoardAlpha")] = 1.0f;
  t[QStringLiteral("fillWhite")] = 0.14363636f;
  t[QStringLiteral("strokeWhite")] = 0.16545455f;
  t[QStringLiteral("fillAlpha")] = 0.5290909f;
  t[QStringLiteral("strokeAlpha")] = 0.089090906f;
  t[QStringLiteral("whiteColor")] = 1.0f;
  t[QStringLiteral("HUDGradientStart")] = 0.0f;
  t[QStringLiteral("HUDGradientRange")] = 0.0f;
}

void RegisteredDefaults::addStatisticsDefaults(QVariantMap& t) {
  t[QStringLiteral("currentlyDisplayedStatistic")] = 0;
  t[QStringLiteral("statsRadioButtonChoice")] = 0;
  t[QStringLiteral("statsDateMode")] = 0;
  t[QStringLiteral("statsFromDate")] = QStringLiteral("2000-01-01");
  t[QStringLiteral("statsToDate")] = QStringLiteral("2014-01-01");
  t[QStringLiteral("filtering")] = false;
}

void RegisteredDefaults::addStateDefaults(QVariantMap& t) {
  t[QStringLiteral("IdleStateWhatsNextSelection")] = 0;
  t[QStringLiteral("recentObjectivesListCopyTags")] = false;
  t[QStringLiteral("defaultObjectivesListCopyTags")] = false;
  t[QStringLiteral("timeSliceInfoTabViewIndex")] = 0;
  t[QStringLiteral("timeSliceExtensionInfoTabViewIndex")] = 0;
  t[QStringLiteral("automaticallyBringDefineTimeSliceToFrontAfterInactivity")] = false;
  t[QStringLiteral("automaticallyBringDefineTimeSliceToFrontAfterOneHour")] = false;
  t[QStringLiteral("automaticallyBringDefineTimeSliceToFrontAfterLunch")] = false;
  t[QStringLiteral("automaticallyBringDefineTimeSliceToFrontAfterBreakfast")] = false;
}

void RegisteredDefaults::addEngineDefaults(QVariantMap& t) {
  t[QStringLiteral("omnifocusIntegration")] = false;
  t[QStringLiteral("theHitListIntegration")] = false;
  t[QStringLiteral("thingsIntegrationToDoCompletion")] = false;
  t[QStringLiteral("thingsIntegrationMoveToLogBook")] = false;
}

} // namespace kr
