#include "shell/RegisteredDefaults.h"

#include "platform/SupportPaths.h"
#include "platform/UserDefaults.h"

namespace kr {

QVariantMap RegisteredDefaults::table() {
  QVariantMap t;
  const QString home = SupportPaths::homeFolder();

  // The shell's own keys.
  t[QStringLiteral("firstLaunch")] = true;
  t[QStringLiteral("loggerIsOn")] = true;
  t[QStringLiteral("debug_speed")] = 0;
  t[QStringLiteral("debug_menu")] = false;
  t[QStringLiteral("preferencesTabViewItemIdentifier")] = QStringLiteral("Notifications");
  t[QStringLiteral("notificationPreferencesTableIndex")] = 1;
  t[QStringLiteral("automaticallyCloseAllFinderWindows")] = false;
  t[QStringLiteral("experimentalBehavioursAreOn")] = false;
  t[QStringLiteral("showThingsIntegrationAutoHideMessage")] = true;
  t[QStringLiteral("showTheHitListIntegrationAutoHideMessage")] = true;
  t[QStringLiteral("exportAsCSVPath")] = home + QStringLiteral("/Desktop/Korvane-R Log.csv");
  t[QStringLiteral("dropboxSync")] = false;
  t[QStringLiteral("dropboxLocation")] = home + QStringLiteral("/Dropbox/");
  t[QStringLiteral("SUScheduledCheckInterval")] = 86400;
  t[QStringLiteral("SUEnableAutomaticChecks")] = true;
  t[QStringLiteral("soundOutputDevice")] = QString::fromLatin1(kUseSystemDefaultOutputDevice);
  return t;
}

void RegisteredDefaults::registerAll() { UserDefaults::standard().registerDefaults(table()); }

} // namespace kr
