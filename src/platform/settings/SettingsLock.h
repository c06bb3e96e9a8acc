#pragma once

#include <QString>

#include <chrono>

namespace kr {

// The lock file beside the settings file, kept the way Qt's lock files are
// (made exclusively, holding "pid\nname\nhost\n", and locked with flock while
// held), so that any other writer of the file waits for ours and we for its.
//
// Nothing here ever blocks: the path is opened without following a link and
// without waiting, and only a regular file of this user is taken. A lock left
// by a process of this user that is gone (or older than any write takes) is
// taken over; a pipe, a folder, a link, another user's file or one that
// cannot be opened is never touched, and said to be in the way.
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

private:
  enum class Attempt { Taken, Busy, Refused };
  Attempt tryOnce(QString* why);
  Attempt takeOver(int fd, QString* why);

  QString path_;
  int fd_ = -1;
};

} // namespace kr
