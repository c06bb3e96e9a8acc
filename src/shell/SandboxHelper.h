#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <optional>

namespace kr {

class LoginItems;

// Where the application lives and how it starts: its support folder, the
// login item, the launch-path check made at every start, and the bookmarks
// of folders a confined build keeps to reach them again.
class SandboxHelper {
public:
  // The application runs unconfined: nothing asks for bookmarks.
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

  // Bookmarks. This desktop keeps no bookmarks of its own: a folder's
  // bookmark is its path as the file system names it, and using one needs
  // only the folder to be there.
  static bool securityBookmarksAreAvailable() { return true; }
  // Stores the bookmark under the settings key (as the path it holds); none
  // stores nothing.
  static void archiveSecurityBookmark(const std::optional<QByteArray>& bookmark,
                                      const QString& key);
  static std::optional<QByteArray> unarchiveSecurityBookmarkFromUserDefaultsKey(const QString& key);
  // The bookmark of a local file or folder that exists; none otherwise.
  static std::optional<QByteArray> getApplicationSecurityScopedBookmark(const QUrl& url);
  // The URL a bookmark names; none for none.
  static std::optional<QUrl>
  resolveSecurityScopedBookmark(const std::optional<QByteArray>& bookmark);
  // Starts using the URL's file or folder: whether it is there.
  static bool startUsingSecurityScopedBookmark(const QUrl& url);
  // Stops using it: whether it could be asked (a local URL).
  static bool stopUsingSecurityScopedBookmark(const QUrl& url);
  static bool isUsingSecurityScopedBookmark(const QUrl& url);
  // Whether this process may access the path in the ways of `accessKind`,
  // as access(2) answers: F_OK, or R_OK, W_OK and X_OK combined.
  static bool isPathAccessible(const QString& path, int accessKind);

  // Not owned; nullptr restores the autostart entry of the running program.
  static void installLoginItems(LoginItems* items);
  static LoginItems& loginItems();
};

} // namespace kr
