#pragma once

#include <QString>

namespace kr {

// Where the application keeps its files.
class SupportPaths {
public:
  // ~/.local/share/Korvane-R (Korvane-C for that edition): logs, pads and
  // statistics pages.
  static QString supportFolder();
  // ~/.config/Korvane-R
  static QString configFolder();
  // ~/.config/Korvane-R/Korvane-R.conf
  static QString settingsFile();
  // ~/.config/Korvane-R/Scripts: the user's notification handler lives here.
  static QString scriptsFolder();
  // ~/.cache/Korvane-R: what can be made again, such as the parsed log days.
  static QString cacheFolder();
  // The user's home folder.
  static QString homeFolder();
  // Replaces a leading "~" (alone or followed by "/") with the home folder.
  static QString expandTilde(const QString& path);
};

} // namespace kr
