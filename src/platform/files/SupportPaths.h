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
  // The lock file (see FileLock) that every writer of the package at `path`
  // holds while it writes it: ~/.local/share/Korvane-R/.kr-locks/<its name>
  // and a digest of its folder ".lock". Kept apart from the package's own
  // folder, which a sync service may share with other machines.
  static QString packageLockFile(const QString& path);
  // The user's home folder.
  static QString homeFolder();
  // Replaces a leading "~" (alone or followed by "/") with the home folder.
  static QString expandTilde(const QString& path);
};

} // namespace kr
