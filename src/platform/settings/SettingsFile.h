#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QVariant>

#include <chrono>
#include <functional>
#include <optional>

namespace kr {

// The settings file on disk: read once into memory, and changed only by
// rewrite(): under its lock, from the file as it is at that moment, in a new
// file with its permissions that then replaces it, and never when the user
// made it read-only.
//
// Qt's INI reader and writer only ever see a private copy in a folder of our
// own: the file itself, its lock and the copies kept beside it are opened here
// without blocking and checked for their kind first, so a pipe, a device or a
// folder put in their place can neither stop the program nor be written into.
class SettingsFile {
public:
  using Values = QHash<QString, QVariant>;
  // Texts by key.
  using Texts = QHash<QString, QString>;

  // The program's own settings take kilobytes (megabytes with a long pasted
  // objective); a file of hundreds of megabytes is something else put there.
  static constexpr qint64 kLargestFile = qint64(256) * 1024 * 1024;

  // Why the file at `path` cannot be read (its kind, or its size); empty when
  // it can, or is not there yet. A link to a regular file is read through.
  static QString unreadableReason(const QString& path);

  // The values stored at `path` (none when there is no file); nothing, with
  // the reason, when it cannot be read. Values that could not be decoded
  // safely, and a file that is not an INI file at all, are kept beside it as
  // "<path>.damaged" and named on the console. `wholeTexts`, when given,
  // gets the whole text of each entry written by hand that Qt's reader gives
  // back otherwise (see IniLines::wholeTexts).
  static std::optional<Values> read(const QString& path, QString* why, Texts* wholeTexts = nullptr);

  struct WriteResult {
    bool written = false;
    // The lock file is in the way (`why` says how), rather than the file.
    bool lockInTheWay = false;
    // Another writer held the lock all the time it was waited for.
    bool lockHeld = false;
    // Empty when nothing was written as there was nothing to change.
    QString why;
  };
  // Applies `changes` (an invalid value removes its key) to the file at
  // `path` as it is now, through rewrite().
  static WriteResult write(const QString& path, const Values& changes,
                           std::chrono::milliseconds lockWait,
                           const std::function<void()>& locked = {});

  // Makes the bytes to write from the file's bytes as they are now; nothing
  // writes nothing, `why` saying why (left empty: there is nothing to change).
  using Rewriter =
      std::function<std::optional<QByteArray>(const QByteArray& current, QString* why)>;
  // The one way the settings file is changed. A file or folder the user made
  // read-only is left as it is (a new file renamed over it would replace it
  // all the same); otherwise, once its lock is had (waiting at most
  // `lockWait` for another writer's, `locked` called then), the file as it
  // is now is rewritten beside it with its permissions and owner, put on the
  // disk and renamed over it. A link is written through.
  static WriteResult rewrite(const QString& path, std::chrono::milliseconds lockWait,
                             const Rewriter& rewriter, const std::function<void()>& locked = {});

  // Keeps `bytes` (else the file at `path` as it is now) as
  // "<path>.damaged", open to no more than the file itself, saying on the
  // console `what` is wrong with it and where it is kept; false, said too,
  // when it cannot be kept.
  static bool keepDamaged(const QString& path, const QString& what,
                          std::optional<QByteArray> bytes = std::nullopt);

  static QString lockPath(const QString& path) { return path + QStringLiteral(".lock"); }
};

} // namespace kr
