#pragma once

#include <QString>

#include <chrono>
#include <functional>

namespace kr {

// A lock file that every writer of one file holds while it writes it, kept
// the way Qt's lock files are (made exclusively, holding "pid\nname\nhost\n",
// and locked with flock while held), so that any other writer of the file,
// in this program or another, waits for ours and we for its. The settings
// file has one beside it; the packages of the logs and the pads have theirs
// in the support folder (see SupportPaths::packageLockFile()).
//
// Nothing here ever blocks: the path is opened without following a link and
// without waiting, and only a regular file of this user is taken. A lock is
// held only once it is locked with flock and the path still names the file
// locked; a lock file is removed only by the writer holding it. A lock left
// by a process of this user that is gone (or older than any write takes) is
// taken over by locking it; an empty one only once it is older than any
// writer takes to lock the file it made. A pipe, a folder, a link, another
// user's file or one that cannot be opened is never touched, and said to be
// in the way. A missing folder of the lock file is made.
//
// On a file system that cannot lock files (flock fails with ENOLCK,
// EOPNOTSUPP or ENOSYS) the lock file made exclusively is the lock while it
// exists, as Qt's lock files are: it is left behind once the process it
// names is gone from this machine (or, for another machine's, by its age).
// Where the lock file or its folder may not be made (EACCES, EPERM, EROFS),
// the lock is had without a file: the write goes ahead unlocked. Either is
// said on the console once a run for each folder of lock files.
class FileLock {
public:
  explicit FileLock(QString path) : path_(std::move(path)) {}
  ~FileLock() { release(); }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  // Tries for at most `wait` while another writer holds it, and no longer
  // once `stop` (asked between tries) says so; false with the reason (to
  // follow the lock file's name) when it cannot be had. A wait of zero
  // tries once.
  bool acquire(std::chrono::milliseconds wait, QString* why,
               const std::function<bool()>& stop = {});
  void release();
  bool isHeld() const { return fd_ >= 0 || unlocked_; }
  // Had without a lock file, as none may be made where it belongs: another
  // writer of the file may be at it. What is only put right under the lock
  // (another writer's leftovers) is left alone then.
  bool isWithoutLock() const { return unlocked_; }
  // The last acquire() gave up as another writer held the lock (rather than
  // for something in the way).
  bool foundHeld() const { return foundHeld_; }
  QString path() const { return path_; }

  // A lock file no one has locked, older than this, was left behind by a
  // writer that never finished (a writer that runs keeps it locked).
  static constexpr std::chrono::seconds kStaleAge{30};
  // A writer locks the lock file it made within milliseconds: one still
  // empty after this long was left by a writer that stopped in between.
  static constexpr std::chrono::seconds kEmptyStaleAge{5};

  // Called between making a new lock file and locking it, the moment in
  // which another writer may find it empty. Tests only.
  static void setAfterMakingForTesting(void (*hook)());
  // Called each time a try finds the lock held by another writer. Tests only.
  static void setWhenBusyForTesting(void (*hook)());
  // Called instead of flock(2), or flock again for none. Tests only.
  static void setLockCallForTesting(int (*call)(int fd, int operation));

private:
  // Gone: a lock file left behind was removed, to be made again.
  enum class Attempt { Taken, Busy, Refused, Gone };
  Attempt tryOnce(QString* why, bool again = false);
  Attempt lockMade(QString* why);
  Attempt takeOver(int fd, QString* why);
  Attempt removeLeftBehind(int fd);
  Attempt hold(int fd, QString* why);
  bool stillAtPath(int fd) const;

  QString path_;
  int fd_ = -1;
  // The lock file this writer made and could not lock yet, as another
  // writer was looking into it: locked at the next try.
  int made_ = -1;
  // Held as the file made exclusively, where files cannot be locked.
  bool byExistence_ = false;
  // Had without a lock file (see isWithoutLock()).
  bool unlocked_ = false;
  bool foundHeld_ = false;
};

} // namespace kr
