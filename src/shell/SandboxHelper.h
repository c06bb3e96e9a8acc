#pragma once

#include <QString>

#include <optional>

namespace kr {

class LoginItems;

// Where the application lives and how it starts: its support folder, the
// login item, and the launch-path check made at every start.
class SandboxHelper {
public:
  // The application runs unconfined; nothing here needs sandbox bookmarks.
  static bool isSandboxOn() { return false; }
  static QString getApplicationSupportFolderPath();

  static bool isLaunchAtStartup();
  // Removes the login item when there is one, adds it otherwise. Whether it
  // worked; a failure is also written to the console.
  static bool toggleLaunchAtStartup(QString* error = nullptr);
  // The login item that starts this program (the autostart entry's path).
  static std::optional<QString> itemRefInLoginItems();

  // Writes "launch path: <program>" and stops: on this system a program is
  // never started from a read-only disk image that vanishes.
  static void dealWithLaunchFromDiskImage();

  // Not owned; nullptr restores the autostart entry of the running program.
  static void installLoginItems(LoginItems* items);
  static LoginItems& loginItems();
};

} // namespace kr
