#pragma once

#include <QString>

#include <functional>

namespace kr {

class SmartTimerWrapper;

// Facts about the running system and this build, asked by the older parts of
// the application. The version record is read once, from the running kernel's
// release ("6.1.0-18-amd64" gives 6.1.0); it is all zero when unavailable.
class MacOSXVersion {
public:
  struct Version {
    int majorVersion = 0;
    int minorVersion = 0;
    int patchVersion = 0;
  };

  static Version version();
  // The leading "major.minor.patch" numbers of a release text; missing parts are 0.
  static Version parseVersion(const QString& release);

  // Lets the timer fire up to `seconds` late, so the system can group wake-ups.
  static void setTimerToTolerance(SmartTimerWrapper* timer, double seconds);

  // Whether the desktop shows a dark appearance. Follows the palette once the
  // appearance watcher (MacOSVersion) exists; false before that.
  static bool isInDarkMode();
  static void setDarkModeProbe(std::function<bool()> probe);

  // True when the build's "CustomApplicationName" is "Korvane-C": the sibling
  // edition, which keeps its data under its own folder names.
  static bool isKorvaneC();
  // The name of the folders the edition keeps its data in (the support
  // folder, the folder inside Dropbox): "Korvane-C" or "Korvane-R".
  static QString applicationFolderName();
  // The application always runs on a system newer than the releases this
  // question was asked about.
  static bool isElCapitanOrLater();
};

} // namespace kr
