#include "platform/MacOSXVersion.h"

#include "platform/BundleInfo.h"
#include "platform/SmartTimerWrapper.h"

#include <QRegularExpression>
#include <QSysInfo>

namespace kr {

namespace {
std::function<bool()>& darkModeProbe() {
  static std::function<bool()> probe;
  return probe;
}
} // namespace

MacOSXVersion::Version MacOSXVersion::version() {
  static const Version running = parseVersion(QSysInfo::kernelVersion());
  return running;
}

MacOSXVersion::Version MacOSXVersion::parseVersion(const QString& release) {
  static const QRegularExpression pattern(QStringLiteral("^(\\d+)(?:\\.(\\d+))?(?:\\.(\\d+))?"));
  const QRegularExpressionMatch match = pattern.match(release.trimmed());
  Version v;
  if (!match.hasMatch())
    return v;
  v.majorVersion = match.captured(1).toInt(); // 0 when out of range
  v.minorVersion = match.captured(2).toInt();
  v.patchVersion = match.captured(3).toInt();
  return v;
}

void MacOSXVersion::setTimerToTolerance(SmartTimerWrapper* timer, double seconds) {
  if (timer)
    timer->setTolerance(seconds);
}

bool MacOSXVersion::isInDarkMode() {
  const auto& probe = darkModeProbe();
  return probe ? probe() : false;
}

void MacOSXVersion::setDarkModeProbe(std::function<bool()> probe) {
  darkModeProbe() = std::move(probe);
}

bool MacOSXVersion::isKorvaneC() {
  return BundleInfo::customApplicationName() == QStringLiteral("Korvane-C");
}

QString MacOSXVersion::applicationFolderName() {
  return isKorvaneC() ? QStringLiteral("Korvane-C") : QStringLiteral("Korvane-R");
}

bool MacOSXVersion::isElCapitanOrLater() { return true; }

} // namespace kr
