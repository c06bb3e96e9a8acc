#include "engine/DayAppend.h"

#include "engine/AppendHandover.h"
#include "engine/BackingStoreDescriptor.h"
#include "engine/EngineLog.h"
#include "engine/LogFile.h"
#include "engine/SplicesUnderWay.h"
#include "platform/ConsoleText.h"
#include "platform/QnLog.h"
#include "platform/files/FileOperations.h"
#include "platform/files/SupportPaths.h"
#include "platform/richtext/RtfdPackage.h"

#include <QFileInfo>
#include <QLocale>

namespace kr {

namespace {

using Kind = DayAppend::Outcome::Kind;
using Step = AppendHandover::Step;
using Done = RtfdPackage::InPlaceResult::Outcome;

// Beside the package, under a name the log readers do not take for a log:
// "System Log Day 2026-12-07 (a1b2c3) (damaged 2026-12-07 10.15.02).rtfd".
std::optional<QString> setAside(const QString& path, const QDateTime& now, QString* error) {
  QString base = path;
  if (base.endsWith(QStringLiteral(".rtfd")))
    base.chop(5);
  base += QStringLiteral(" (damaged %1")
              .arg(QLocale::c().toString(now.toLocalTime(), QStringLiteral("yyyy-MM-dd HH.mm.ss")));
  for (int n = 1; n < 100; ++n) {
    const QString aside =
        base + (n == 1 ? QString() : QStringLiteral(" %1").arg(n)) + QStringLiteral(").rtfd");
    if (FileOperations::renameNoReplace(path, aside, error))
      return aside;
    if (!QFileInfo::exists(aside) && !QFileInfo(aside).isSymLink())
      return std::nullopt;
  }
  return std::nullopt;
}

// The steps of one append, each that writes asked of the hand-over first.
class Steps {
public:
  Steps(DayAppend::Outcome& outcome, AppendHandover* handover)
      : outcome_(outcome), handover_(handover) {}

  // Whether the worker may write the step; when not, the append is over.
  bool claim(Step step) {
    if (!handover_ || handover_->claim(step))
      return true;
    outcome_.kind = Kind::Cancelled;
    return false;
  }
  std::function<bool()> claimer(Step step) {
    return [this, step] { return claim(step); };
  }
  void settle(bool landed) const {
    if (handover_)
      handover_->settle(landed);
  }
  void reached(Step step) const {
    if (handover_)
      handover_->reached(step);
  }
  bool cancelled() const {
    if (!handover_ || !handover_->cancelled())
      return false;
    outcome_.kind = Kind::Cancelled;
    return true;
  }

private:
  DayAppend::Outcome& outcome_;
  AppendHandover* handover_;
};

// The entry beside a day that stays as it is, for `why`.
void appendAside(const RichText& entry, const QString& folder, Steps& steps,
                 DayAppend::Outcome& outcome, const QString& why) {
  if (!steps.claim(Step::WriteAside))
    return;
  const std::optional<QString> aside =
      DayAppend::writeAside(entry, outcome.path, folder, &outcome.reason);
  steps.settle(aside.has_value());
  if (!aside) {
    outcome.kind = Kind::WriteFailed;
    return;
  }
  outcome.writtenAside = *aside;
  outcome.damage = why;
}

// The day in another program's style: copied a block at a time with the
// entry spliced in after its text, every byte it held kept, into a file that
// replaces its text. True when that settled the append, one way or another.
bool splice(const RichText& entry, const QString& path, const QString& folder, Steps& steps,
            DayAppend::Outcome& outcome, QString* declined) {
  // Noted where there is a text to copy (not for a day yet to begin).
  const bool noted = FileOperations::isRegularFile(path + QStringLiteral("/TXT.rtf"), false);
  if (noted)
    SplicesUnderWay::begin(path);
  const RtfdPackage::InPlaceResult spliced = RtfdPackage::appendBySplice(
      path, entry,
      [&steps] {
        steps.reached(Step::Copy);
        return steps.cancelled();
      },
      steps.claimer(Step::Replace));
  steps.settle(spliced.outcome == Done::Appended);
  if (noted)
    SplicesUnderWay::end(path);
  if (spliced.outcome == Done::Appended) {
    outcome.inPlace = spliced.written;
    return true;
  }
  if (outcome.kind == Kind::Cancelled || steps.cancelled())
    return true;
  if (spliced.outcome == Done::Failed) {
    outcome.reason = spliced.reason;
    outcome.kind = Kind::WriteFailed;
    return true;
  }
  // A text the copy could not replace as it is: the day stays as it is.
  if (spliced.leaveAsIs) {
    outcome.readOnly = spliced.readOnly;
    appendAside(entry, folder, steps, outcome,
                QStringLiteral("the entry cannot be added after its text: %1").arg(spliced.reason));
    return true;
  }
  *declined = spliced.reason;
  qn_log(QStringLiteral("append: the entry cannot be spliced in: %1").arg(spliced.reason));
  return false;
}

// The append, once the day's lock is held.
void appendLocked(const RichText& entry, const QString& folder, const QDateTime& now, Steps& steps,
                  DayAppend::Outcome& outcome) {
  const QString& path = outcome.path;
  const QString name = QFileInfo(path).fileName();
  // What writers killed before they were done left: no other writer of the
  // day runs while its lock is held.
  RtfdPackage::removeSpliceCopies(path);
  RtfdPackage::recoverLeftoversIn(QFileInfo(path).absolutePath(),
                                  [&name](const QString& owner) { return owner == name; });

  // A day made read-only is the user's word, though the folder would let a
  // copy be renamed over it (and root may write it).
  if (!RtfdPackage::mayWrite(path)) {
    outcome.readOnly = true;
    appendAside(entry, folder, steps, outcome, QStringLiteral("it is read-only"));
    return;
  }

  // A day this program wrote takes the entry at the end of its text, in
  // place, however large it is: the text is checked as it is read once and
  // nothing else is read or written.
  const RtfdPackage::InPlaceResult inPlace =
      RtfdPackage::appendInPlace(path, entry, steps.claimer(Step::InPlace));
  steps.settle(inPlace.outcome == Done::Appended);
  switch (inPlace.outcome) {
  case Done::Appended:
    outcome.inPlace = inPlace.written;
    if (!inPlace.reason.isEmpty())
      qCWarning(lcEngine).noquote()
          << consoleSafe(QStringLiteral("append: %1: %2").arg(path, inPlace.reason));
    return;
  case Done::Failed:
    qCWarning(lcEngine).noquote() << consoleSafe(
        QStringLiteral("append: could not add the entry at the end of %1 (%2); it is added to "
                       "a copy of the day instead")
            .arg(path, inPlace.reason));
    break;
  case Done::Declined:
    qn_log(QStringLiteral("append: not in place: %1").arg(inPlace.reason));
    break;
  }
  if (outcome.kind == Kind::Cancelled || steps.cancelled())
    return;
  QString declined;
  if (splice(entry, path, folder, steps, outcome, &declined))
    return;

  // The splice found no certain end of the day's text, or no text at all.
  // Only a day that is not there counts as empty. One that is there but
  // cannot be read in full is never written over: it is set aside as it
  // stands, and the entry starts a new package in its place. One that reads
  // in full stays as it is, and the entry goes beside it.
  RtfdPackage::ReadResult existing = RtfdPackage::read(path, false);
  steps.reached(Step::Read);
  if (existing.status == RtfdPackage::Status::Ok && existing.wellFormed) {
    appendAside(entry, folder, steps, outcome,
                QStringLiteral("the entry cannot be added after its text: %1").arg(declined));
    return;
  }
  if (!steps.claim(Step::NewDay))
    return;
  if (existing.status != RtfdPackage::Status::Missing) {
    outcome.damage = existing.wellFormed ? existing.error
                                         : QStringLiteral("its text ends before the document does");
    const std::optional<QString> aside = setAside(path, now, &outcome.reason);
    if (!aside) {
      steps.settle(false);
      outcome.kind = Kind::Unreadable;
      return;
    }
    outcome.aside = *aside;
  }
  const bool written = BackingStoreDescriptor::ensureFolder(folder, &outcome.reason) &&
                       RtfdPackage::write(path, entry, RtfdPackage::ReadResult(), &outcome.reason);
  steps.settle(written);
  if (!written)
    outcome.kind = Kind::WriteFailed;
}

} // namespace

std::optional<QString> DayAppend::writeAside(const RichText& entry, const QString& path,
                                             const QString& folder, QString* reason, bool locked) {
  if (!BackingStoreDescriptor::ensureFolder(folder, reason))
    return std::nullopt;
  for (int n = 1; n < 100; ++n) {
    const QString aside = LogFile::writtenAsidePath(path, n);
    if (!QFileInfo::exists(aside) && !QFileInfo(aside).isSymLink()) {
      if (RtfdPackage::write(aside, entry, reason))
        return aside;
      // Without the lock, another writer may have taken the name meanwhile.
      if (locked || !QFileInfo::exists(aside))
        return std::nullopt;
    } else if (locked && RtfdPackage::appendInPlace(aside, entry).outcome == Done::Appended) {
      return aside;
    }
  }
  *reason = QStringLiteral("no package beside the day takes it");
  return std::nullopt;
}

DayAppend::Outcome DayAppend::perform(const RichText& entry, const QString& current,
                                      const QString& folder, const QDateTime& now,
                                      AppendHandover* handover, SharedLock* shared,
                                      std::chrono::milliseconds lockWait) {
  Outcome outcome;
  // A link to a package is written through; one that leads elsewhere is
  // left as it is.
  const std::optional<QString> resolved = RtfdPackage::resolvePackageLink(current, &outcome.reason);
  if (!resolved) {
    outcome.kind = Kind::LinkRefused;
    return outcome;
  }
  outcome.path = *resolved;
  Steps steps(outcome, handover);
  std::optional<FileLock> own;
  FileLock* lock = nullptr;
  steps.reached(Step::Lock);
  {
    std::unique_lock<std::mutex> guard;
    if (shared)
      guard = std::unique_lock(shared->mutex);
    // Never taken once the quit has come: it may have let go of it already.
    if (steps.cancelled())
      return outcome;
    std::optional<FileLock>& slot = shared ? shared->lock : own;
    const QString lockFile = SupportPaths::packageLockFile(outcome.path);
    if (!slot || !slot->isHeld() || slot->path() != lockFile)
      slot.emplace(lockFile);
    lock = &*slot;
    QString why;
    if (!lock->acquire(lockWait, &why, [&steps] { return steps.cancelled(); })) {
      if (outcome.kind != Kind::Cancelled) {
        outcome.kind = Kind::LockUnavailable;
        outcome.reason = QStringLiteral("its lock file %1 %2").arg(lock->path(), why);
      }
      return outcome;
    }
  }
  appendLocked(entry, folder, now, steps, outcome);
  // Held on for a quit that took the entry over, which writes it under it
  // and then lets go of it.
  if (shared) {
    const std::lock_guard guard(shared->mutex);
    if (!handover || !handover->taken())
      lock->release();
  }
  return outcome;
}

} // namespace kr
