#pragma once

#include <QString>

namespace kr {

// A note, in a file of the support folder, of the day packages whose text a
// splice is copying (see RtfdPackage::appendBySplice()). A kill during the
// copy leaves the copy in the package; the next start finds it from the note
// and removes it, without looking into every package of the log folders.
// The note holds the packages' paths, each ended by a zero byte. Every
// program that changes it holds its lock (see FileLock), so that two copies
// of the program on one home keep each other's lines.
class SplicesUnderWay {
public:
  // ~/.local/share/Korvane-R/.kr-splices-under-way
  static QString notePath();

  // Names the package before its copy is begun, and takes its name off once
  // the copy has replaced the text or was removed. A note that cannot be
  // written is said on the console; the splice goes on, and a copy a kill
  // leaves then waits for the day's next append, which removes it first.
  static void begin(const QString& package, const QString& note = notePath());
  static void end(const QString& package, const QString& note = notePath());

  // At start: removes the copies left in the packages the note names whose
  // writers are gone (no one holds the package's lock), and takes those off
  // the note; a package another running program is writing keeps its copy
  // and its line, which that writer takes off. Returns how many copies were
  // removed. A note that cannot be read or locked removes nothing; only
  // copies inside folders named as packages are ever removed.
  static int removeLeftovers(const QString& note = notePath());
};

} // namespace kr
