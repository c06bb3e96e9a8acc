#pragma once

#include "engine/AppendHandover.h"
#include "engine/DayAppend.h"
#include "engine/OwnAppend.h"
#include "platform/richtext/EncodedRichText.h"
#include "platform/richtext/RichText.h"

#include <QByteArray>
#include <QMutex>
#include <QObject>
#include <QSet>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace kr {

class StreamedRichText;

class BackingStoreDescriptor;

// Reads and writes the files of every store, and gives the support folder,
// this machine's identifier and fresh slice identifiers.
class BackingStoreManager {
public:
  static BackingStoreManager& sharedManager();

  // The bytes of the template ":/templates/<name>.rtf"; a missing template is
  // an installation fault and stops the program.
  QByteArray loadTemplateDataFromBundle(const QString& name) const;

  // This machine's identifier in log-file names, read once per run and
  // always hexadecimal.
  QString obtainMACAddress();
  // Tests only: the identifier to give instead (empty: read it again).
  void setMachineIdentifierForTesting(const QString& identifier);

  // The path of a new numbered page of the store; the index is rescanned.
  // No file is written.
  QString newFile(BackingStoreDescriptor& store);
  // Removes the file or package (a failure is ignored), then rescans.
  void removeSheetFromDescriptor(BackingStoreDescriptor& store, const QString& path);

  // The selected file as RTFD data, created from the template first when
  // missing; empty data when it cannot be read, or only in part.
  QByteArray contentOfSelectedFile(BackingStoreDescriptor& store);

  // The selected file read for an editor: its text, or why it cannot be
  // edited. A file that reads only in part (its text ends before the document
  // does, or text follows the document's end) is told apart from one that cannot be read at all,
  // and both from one that holds what the editor cannot keep (Unkept: `error` names what); an
  // editor shows each without ever writing it back.
  struct SelectedFile {
    enum class Status { Ok, Unreadable, Partial, Unkept };
    Status status = Status::Ok;
    QString path;
    RichText text; // all of it when Ok, what could be read when Partial
    QString error;
  };
  SelectedFile readSelectedFile(BackingStoreDescriptor& store);
  // The same for the sheet at `path`, on whichever thread calls it.
  static SelectedFile readSheet(const QString& path);
  // Replaces the selected file with the text, atomically. False, with the
  // reason, when it could not be written; the old file then stays.
  bool write(const RichText& text, BackingStoreDescriptor& store, QString* error = nullptr);
  // The same for the sheet at `path` in `folder` (made when missing); safe
  // on any thread.
  bool writeFile(const RichText& text, const QString& path, const QString& folder,
                 QString* error = nullptr);
  bool writeFile(const EncodedRichText& text, const QString& path, const QString& folder,
                 QString* error = nullptr);
  bool writeFile(const std::shared_ptr<StreamedRichText>& text, const QString& path,
                 const QString& folder, QString* error = nullptr);
  // Appends the entry at the end of the store's current file (for the log:
  // today's file of this machine), re-creating a removed folder: in place
  // when the file is one this program wrote, else spliced in after its text
  // in a copy that replaces the text file (see DayAppend); a kill at any
  // moment leaves the old or the new day. A missing file counts as empty; an
  // existing file that cannot be read in full is set aside unchanged, and
  // one the splice declines stays as it is, the entry going beside it. A
  // failure is written to the console and shown in an alert, and the entry
  // is not written.
  // `added`, when given, is set when the entry went in place at the end of
  // the day's text, and says how that file was before and after.
  bool append(const RichText& entry, BackingStoreDescriptor& store, QString* error = nullptr,
              std::optional<OwnAppend>* added = nullptr);

  // The same, away from the window: a day whose text is over
  // backgroundBytes(), or whose lock another writer holds, is appended on a
  // worker of its own ("logFileWriter") and `done` runs on the window's
  // thread, through `context`, once the entry has landed or failed (told as
  // append() tells it); a smaller day whose lock is had at once as append()
  // does, under that lock, with `done` run before this returns. The window
  // thus never waits for another writer of the day, and a quit never waits
  // for the lock. Returns whether the entry is still being written. One at a
  // time: while one is under way another fails at once.
  using AppendDone = std::function<void(bool written, const std::optional<OwnAppend>& added)>;
  bool appendLater(const RichText& entry, BackingStoreDescriptor& store, QObject* context,
                   AppendDone done);
  bool isAppending() const;
  // At quit: stops an append under way at the worker's next block and waits
  // at most `waitMilliseconds` for it to finish. Where the worker is by then
  // in a step that writes the entry (the copy replacing the day's text, the
  // entry's last byte in place, the entry written beside the day or as a new
  // day), that short step is waited for (at most AppendHandover::kClaimedStepWait more,
  // for a disk that stalls), and the entry is where it put it. Otherwise the
  // worker writes nothing more: a copy it made is removed, the day is left as
  // it was (or with a tail no reader reads, which the next append writes
  // over), and the quit writes the entry beside the day (see LogFile::
  // writtenAsidePath()). Either way the entry is written once.
  void finishAppendsAtQuit(int waitMilliseconds = 500);
  static constexpr qint64 kBackgroundBytes = 4LL * 1024 * 1024;
  qint64 backgroundBytes() const { return backgroundBytes_; }
  void setBackgroundBytesForTesting(qint64 bytes) { backgroundBytes_ = bytes; }
  // Tests only: told the steps of the appends on a worker started from now.
  void setAppendHookForTesting(AppendHandover::Hook hook);
  // Tests only: how long an append waits for another writer of the day
  // (DayAppend::kLockWait unless set).
  void setLockWaitForTesting(std::chrono::milliseconds wait) { lockWait_ = wait; }

  // ~/.local/share/Korvane-R (or the temporary folder's Korvane-R).
  QString applicationSupportDirectory() const;
  // A new identifier: 32 upper-case hex digits in groups of 8-4-4-4-12.
  static QString createUUID();

  // How long a sheet's write waits for another writer of it.
  static constexpr std::chrono::seconds kSheetLockWait{10};

private:
  BackingStoreManager() = default;
  static bool writeSheet(const QString& path, const QString& folder, QString* error,
                         const std::function<bool(QString* reason)>& write);
  bool reportAppend(const DayAppend::Outcome& outcome, const QString& folder, QString* error);
  // append(), under the day's lock when `held` holds it already.
  bool appendHolding(const RichText& entry, BackingStoreDescriptor& store, QString* error,
                     std::optional<OwnAppend>* added, DayAppend::SharedLock* held);

  struct PendingAppend;

  QMutex mutex_;
  std::optional<QString> machineIdentifier_;
  std::shared_ptr<PendingAppend> pending_; // window's thread only
  qint64 backgroundBytes_ = kBackgroundBytes;
  std::chrono::milliseconds lockWait_ = DayAppend::kLockWait;
  AppendHandover::Hook appendHook_;
  QSet<QString> toldReadOnly_; // window's thread only
};

} // namespace kr
