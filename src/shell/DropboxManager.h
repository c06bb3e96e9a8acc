#pragma once

#include "platform/services/AskedAbout.h"
#include "preferences/SyncPane.h"

#include <QString>
#include <QStringList>
#include <QUrl>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

namespace kr {

class TaskThread;
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
    // Renames without replacing anything.
    std::function<bool(const QString& from, const QString& to, QString* error)> rename;
    // Removes a file or a whole package; false when something is left.
    std::function<bool(const QString& path)> remove;
  };

  explicit DropboxManager(UserDefaults& defaults);
  ~DropboxManager();
  static DropboxManager& sharedInstance();

  // The "dropboxSync" setting.
  bool isDropboxSyncActive() const;
  // Moves the log files into Dropbox; true when storage is now in Dropbox.
  // A file copied across file systems whose original cannot be removed stays
  // in Dropbox, and the user is told what is left behind.
  bool configureForDropbox();
  // Moves this computer's system logs back, all or nothing: true when every
  // one came back and storage is local again. When any cannot, those that
  // came back return to Dropbox, storage stays there, and the alert names
  // the files.
  bool revertToLocal();
  // Whether log files are being moved now (the window goes on meanwhile).
  bool isMoving() const { return moving_; }
  // Finishes a move that a quit cut short: what it left half-copied goes, and
  // the move runs again from where it stopped, as when it was asked for.
  void finishUnfinishedMove();
  // Asks the user where the Dropbox folder is; none when cancelled, or when
  // `about` no longer holds by the answer.
  std::optional<QString>
  autolocateNonStandardDropboxFolderLocationOrAskUser(const AskedAbout& about = {});

  // The Dropbox folder of a confined build, which may reach only the folders
  // the user chose (start-up and quit ask for it only while
  // SandboxHelper::isSandboxOn(), which this build never is). With
  // "dropboxSync" on, starts using the folder stored under
  // "dropboxFolderBookmark"; where none is stored, or it is gone, the user is
  // asked where it is, and that folder is stored and used.
  void obtainAccessToDropboxFolder();
  void relinquishAccessToDropboxFolder();
  // Asks for the Dropbox folder in a folder panel starting in the home folder
  // and stores its bookmark; whether one was chosen.
  bool locateDropboxFolderAndSaveSecurityScopedURL();

  QString getLocalSystemLogsFolderPath() const;
  QString getLocalUserLogsFolderPath() const;
  // None: the log writer finds the Dropbox logs through "dropboxLocation".
  std::optional<QString> getDropboxSystemLogsFolderPath() const { return std::nullopt; }
  // The edition's folder ("Korvane-R") inside the Dropbox folder the settings name.
  QString dropboxAppFolderPath() const;
  // Whether a file of a log folder was written by this computer.
  static bool isThisComputersLogFile(const QString& fileName, const QString& machine);

  void setFileMoves(FileMoves moves) { moves_ = std::move(moves); }
  static FileMoves standardFileMoves();

private:
  // One package's move. A complete copy exists at every moment: at the
  // source until the destination is whole, there from then on.
  struct MoveOutcome {
    enum class Kind {
      NotMoved,         // the source is as it was, nothing at the destination
      Moved,            // the destination is whole, the source's name free
      CopiedSourceKept, // both whole: the source could not leave its name
    };
    Kind kind = Kind::NotMoved;
    QString error;
    QString leftover; // what remains of the source, when it could not be removed
  };
  static MoveOutcome moveOne(const FileMoves& moves, const QString& from, const QString& to);
  // The names moved, copied (source kept) and not moved, and what was left.
  struct MoveResult {
    QStringList moved;
    QStringList copied;
    QStringList failed;
    QStringList leftovers;
  };
  // Stops before the next package once `stop` is set.
  static MoveResult moveEntries(const FileMoves& moves, const QString& fromFolder,
                                const QString& toFolder,
                                const std::function<bool(const QString&)>& accept,
                                const std::atomic_bool& stop);
  // A move of the log files: off the window's thread, which goes on drawing
  // and answering a quit meanwhile. False when a quit cut it short: the work
  // is let go (it stops after the package it is moving) and the move is left
  // marked as unfinished for the next start.
  using Moving = std::function<void(const FileMoves& moves, const std::atomic_bool& stop)>;
  bool runAwayFromTheWindow(const Moving& work);
  // The two moves once the user has agreed.
  bool moveToDropbox();
  bool moveBackToLocal();
  // Names the log files that stayed where they were, and where they are: the
  // first few in the alert, all of them on the console.
  static QString namedFailures(const QStringList& names, const QString& folder);
  // Tells the user what moved files left behind, when anything did.
  void tellLeftovers(const QStringList& leftovers, const QString& whereComplete);
  // The Dropbox folder from the settings, or as the user points to it.
  std::optional<QString> dropboxFolder(const AskedAbout& about);
  // Where the logs are kept and whether they are moving, for the questions
  // before a move: the move the answer starts goes on only while these are
  // as they were when it was asked (storage switched meanwhile, or a move
  // under way, and it would move the logs the wrong way or twice).
  AskedAbout askingAboutStorage() const;
  void forceLogSystemToUpdate();
  QString machine() const;

  UserDefaults& defaults_;
  // The Dropbox folder in use through its bookmark, if any.
  std::optional<QUrl> accessedDropboxFolder_;
  FileMoves moves_;
  std::unique_ptr<TaskThread> mover_;
  bool moving_ = false;
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
