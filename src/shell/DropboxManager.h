#pragma once

#include "shell/SyncPane.h"

#include <QString>

#include <functional>
#include <optional>

namespace kr {

class UserDefaults;

// Moves this computer's log files between the application's support folder
// and a "Korvane-R" folder inside the user's Dropbox folder, so that several
// computers log side by side, and points the log writer at the new place.
class DropboxManager {
public:
  // How a log file package moves; replaceable in tests.
  struct FileMoves {
    // Whether a plain rename can move `from` into the folder `toFolder`.
    std::function<bool(const QString& from, const QString& toFolder)> sameFileSystem;
    // Copies a file or a whole package to a path that does not exist yet.
    std::function<bool(const QString& from, const QString& to, QString* error)> copy;
  };

  explicit DropboxManager(UserDefaults& defaults);
  static DropboxManager& sharedInstance();

  // The "dropboxSync" setting.
  bool isDropboxSyncActive() const;
  // Moves the log files into Dropbox; true when storage is now in Dropbox.
  bool configureForDropbox();
  // Moves this computer's system logs back; true when storage is local again.
  bool revertToLocal();
  // Asks the user where the Dropbox folder is; none when cancelled.
  std::optional<QString> autolocateNonStandardDropboxFolderLocationOrAskUser();

  QString getLocalSystemLogsFolderPath() const;
  QString getLocalUserLogsFolderPath() const;
  // The "Korvane-R" folder inside the Dropbox folder the settings name.
  QString dropboxAppFolderPath() const;
  // Whether a file of a log folder was written by this computer.
  static bool isThisComputersLogFile(const QString& fileName, const QString& machine);

  void setFileMoves(FileMoves moves) { moves_ = std::move(moves); }
  static FileMoves standardFileMoves();

private:
  struct MoveResult {
    int moved = 0;
    int failed = 0;
  };
  MoveResult moveEntries(const QString& fromFolder, const QString& toFolder,
                         const std::function<bool(const QString&)>& accept);
  bool moveOne(const QString& from, const QString& to, QString* error);
  // The Dropbox folder from the settings, or as the user points to it.
  std::optional<QString> dropboxFolder();
  void forceLogSystemToUpdate();
  QString machine() const;

  UserDefaults& defaults_;
  FileMoves moves_;
};

// The Sync pane's switch, on the shared manager.
class DropboxSyncService final : public DropboxSyncAPI {
public:
  bool isDropboxSyncActive() const override {
    return DropboxManager::sharedInstance().isDropboxSyncActive();
  }
  void configureForDropbox() override { DropboxManager::sharedInstance().configureForDropbox(); }
  void revertToLocal() override { DropboxManager::sharedInstance().revertToLocal(); }
};

} // namespace kr
