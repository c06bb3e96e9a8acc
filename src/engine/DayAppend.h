#pragma once

#include "platform/files/FileStamp.h"
#include "platform/richtext/RichText.h"

#include <QDateTime>
#include <QString>

#include <optional>

namespace kr {

class AppendHandover;

// The file work of adding an entry to a day's package, on whichever thread
// calls it: it touches nothing but the files, and tells what it did.
//
// A day this program wrote takes the entry at the end of its text, in place.
// Any other day keeps every byte it holds: its text is copied with the entry
// spliced in after it, and the copy replaces it. A day the splice declines
// is read whole: one that is missing, or damaged (it cannot be read in full;
// it is set aside unchanged), starts anew with the entry; one that reads in
// full stays as it is, and the entry goes beside it.
class DayAppend {
public:
  struct Outcome {
    enum class Kind { Written, LinkRefused, Unreadable, WriteFailed, Cancelled };
    Kind kind = Kind::Written;
    QString path; // the package, a link to it followed
    QString reason;
    QString damage;                     // why the day was set aside, or written beside
    QString aside;                      // where the damaged day went
    std::optional<WrittenFile> inPlace; // the text file, when the entry went into the day
    QString writtenAside;               // where the entry went instead of the day
  };

  // `handover`, on a worker, decides before each step that writes whether
  // the worker still writes the entry (Cancelled when not).
  static Outcome perform(const RichText& entry, const QString& current, const QString& folder,
                         const QDateTime& now, AppendHandover* handover = nullptr);

  // Puts the entry into a package beside the day at `path`, which the log
  // readers read as a day too, leaving the day as it is: the first of "...
  // (written aside).rtfd", "(written aside 2)" and on that is missing or
  // takes the entry in place. Small and quick: the entry alone is written.
  static std::optional<QString> writeAside(const RichText& entry, const QString& path,
                                           const QString& folder, QString* reason);
};

} // namespace kr
