#pragma once

#include <QString>

#include <chrono>

namespace kr {

// The lock file beside the settings file, kept the way Qt's lock files are
// (made exclusively, holding "pid\nname\nhost\n", and locked with flock while
// held), so that any other writer of the file waits for ours and we for its.
//
// Nothing here ever blocks: the path is opened without following a link and
// without waiting, and only a regular file of this user is taken. A lock is
// held only once it is locked with flock and the path still names the file
// locked; a lock file is removed only by the writer holding it. A lock left
// by a process of this user that is gone (or older than any write takes) is
// taken over by locking it; an empty one only once it is older than any
// writer takes to lock the file it made. A pipe, a folder, a link, another
// user's file or one that cannot be opened is never touched, and said to be
// in the way.
class SettingsLock {
public:
  explicit SettingsLock(QString path) : path_(std::move(path)) {}
  ~SettingsLock() { release(); }
  SettingsLock(const SettingsLock&) = delete;
  SettingsLock& operator=(const SettingsLock&) = delete;

  // Tries for at most `wait` while another writer holds it; false with the
  // reason (to follow the lock file's name) when it cannot be had.
  bool acquire(std::chrono::milliseconds wait, QString* why);
  void release();
  QString path() const { return path_; }

  // A lock not taken within this age is left behind by a writer that never
  // finished: a write takes milliseconds.
  static constexpr std::chrono::seconds kStaleAge{30};
  // A writer locks the lock file it made within milliseconds: one still
  // empty after this long was left by a writer that stopped in between.
  static constexpr std::chrono::seconds kEmptyStaleAge{5};

  // Called between making a new lock file and locking it, the moment in
  // which another writer may find it empty. Tests only.
  static void setAfterMakingForTesting(void (*hook)());

private:
  enum class Attempt { Taken, Busy, Refused };
  Attempt tryOnce(QString* why);
  Attempt lockMade(QString* why);
  Attempt takeOver(int fd, QString* why);
  Attempt hold(int fd, QString* why);
  bool stillAtPath(int fd) const;

  QString path_;
  int fd_ = -1;
  // The lock file this writer made and could not lock yet, as another
  // writer was looking into it: locked at the next try.
  int made_ = -1;
};

} // namespace kr
