#pragma once

#include <QString>

namespace kr {

// A note, in a file of the support folder, of the day packages whose text a
// splice is copying (see RtfdPackage::appendBySplice()). A kill during the
// copy leaves the copy in the package; the next start finds it from the note
// and removes it, without looking into every package of the log folders.
// The note holds the packages' paths, each ended by a zero byte.
class SplicesUnderWay {
public:
  // ~/.local/share/Korvane-R/.kr-splices-under-way
  static QString notePath();

  // Names the package before its copy is begun, and takes its name off once
  // the copy has replaced the text or was removed. A note that cannot be
  // written is said on the console; the splice goes on, and a copy a kill
  // leaves then waits for the day's next splice, which removes it first.
  static void begin(const QString& package, const QString& note = notePath());
  static void end(const QString& package, const QString& note = notePath());

  // At start: removes the copies the note names that are still there, then
  // the note. Returns how many copies were removed. A note that cannot be
  // read removes nothing; only files with the copy's name, inside folders
  // named as packages, are ever removed.
  static int removeLeftovers(const QString& note = notePath());
};

} // namespace kr
