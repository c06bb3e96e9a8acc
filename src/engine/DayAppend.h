#pragma once

#include "platform/files/FileLock.h"
#include "platform/files/FileStamp.h"
#include "platform/richtext/RichText.h"

#include <QDateTime>
#include <QString>

#include <chrono>
#include <mutex>
#include <optional>

namespace kr {

class AppendHandover;

// The file work of adding an entry to a day's package, on whichever thread
// calls it: it touches nothing but the files, and tells what it did.
//
// Every append holds the day's lock (see SupportPaths::packageLockFile())
// from before it looks at the day until it is done, so that two writers of
// one day, in this program or in two copies of it on one home, go one after
// the other and each finds the other's entry in the day.
//
// A day this program wrote takes the entry at the end of its text, in place.
// Any other day keeps every byte it holds: its text is copied with the entry
// spliced in after it, and the copy replaces it. A day the splice declines
// is read whole: one that is missing, or damaged (it cannot be read in full;
// it is set aside unchanged), starts anew with the entry; one that reads in
// full stays as it is, and the entry goes beside it. So does a day that is
// read-only (see RtfdPackage::mayWrite), or whose text has an owner, ACL or
// user attribute its copy cannot be given: it is left byte for byte.
class DayAppend {
public:
  struct Outcome {
    enum class Kind { Written, LinkRefused, Unreadable, WriteFailed, LockUnavailable, Cancelled };
    Kind kind = Kind::Written;
    QString path; // the package, a link to it followed
    QString reason;
    QString damage;                     // why the day was set aside, or written beside
    QString aside;                      // where the damaged day went
    std::optional<WrittenFile> inPlace; // the text file, when the entry went into the day
    QString writtenAside;               // where the entry went instead of the day
    bool readOnly = false;              // the day is read-only: the entry is beside it
  };

  // The day's lock of an append on a worker: a quit that takes the entry
  // over writes it under this lock when the worker holds it.
  struct SharedLock {
    std::mutex mutex;
    std::optional<FileLock> lock;
  };

  // How long an append waits for another writer of the day: a day of
  // hundreds of megabytes takes seconds to copy.
  static constexpr std::chrono::seconds kLockWait{60};

  // `handover`, on a worker, decides before each step that writes whether
  // the worker still writes the entry (Cancelled when not). `shared`, on a
  // worker, holds the day's lock; the worker lets go of it when done unless
  // the quit has taken the entry over by then. A lock `shared` holds already
  // (the caller had it at once) is the day's when it is the lock file of the
  // package written; the append then waits for no one. `lockWait` is how
  // long another writer of the day is waited for.
  static Outcome perform(const RichText& entry, const QString& current, const QString& folder,
                         const QDateTime& now, AppendHandover* handover = nullptr,
                         SharedLock* shared = nullptr,
                         std::chrono::milliseconds lockWait = kLockWait);

  // Puts the entry into a package beside the day at `path`, which the log
  // readers read as a day too, leaving the day as it is: the first of "...
  // (written aside).rtfd", "(written aside 2)" and on that is missing or
  // takes the entry in place. Small and quick: the entry alone is written.
  // Its writer holds the day's lock; one that cannot (`locked` false) only
  // makes a new package, under a name no package has.
  static std::optional<QString> writeAside(const RichText& entry, const QString& path,
                                           const QString& folder, QString* reason,
                                           bool locked = true);
};

} // namespace kr
