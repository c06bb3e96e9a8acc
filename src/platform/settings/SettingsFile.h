#pragma once

#include <QHash>
#include <QString>
#include <QVariant>

#include <chrono>
#include <functional>
#include <optional>

namespace kr {

// The settings file on disk: read once into memory, and changed by applying a
// set of changes to the file as it is at that moment, under its lock, in a new
// file that then replaces it.
//
// Qt's INI reader and writer only ever see a private copy in a folder of our
// own: the file itself, its lock and the copies kept beside it are opened here
// without blocking and checked for their kind first, so a pipe, a device or a
// folder put in their place can neither stop the program nor be written into.
class SettingsFile {
public:
  using Values = QHash<QString, QVariant>;

  // The program's own settings take kilobytes (megabytes with a long pasted
  // objective); a file of hundreds of megabytes is something else put there.
  static constexpr qint64 kLargestFile = qint64(256) * 1024 * 1024;

  // Why the file at `path` cannot be read (its kind, or its size); empty when
  // it can, or is not there yet. A link to a regular file is read through.
  static QString unreadableReason(const QString& path);

  // The values stored at `path` (none when there is no file); nothing, with
  // the reason, when it cannot be read. Values that could not be decoded
  // safely, and a file that is not an INI file at all, are kept beside it as
  // "<path>.damaged" and named on the console.
  static std::optional<Values> read(const QString& path, QString* why);

  struct WriteResult {
    bool written = false;
    // The lock file is in the way (`why` says how), rather than the file.
    bool lockInTheWay = false;
    QString why;
  };
  // Applies `changes` (an invalid value removes its key) to the file at
  // `path` as it is now. Waits at most `lockWait` for another writer's lock;
  // `locked` is called once the lock is had.
  static WriteResult write(const QString& path, const Values& changes,
                           std::chrono::milliseconds lockWait,
                           const std::function<void()>& locked = {});

  // Puts `bytes` at `path` through a new file beside it, renamed over it:
  // whatever stood there (a pipe, a link) is replaced, never written into.
  static bool replace(const QString& path, const QByteArray& bytes, QString* why);

  // Keeps the file at `path` as it is now as "<path>.damaged", saying on the
  // console `what` is wrong with it and where it is kept.
  static void keepDamaged(const QString& path, const QString& what,
                          std::optional<QByteArray> bytes = std::nullopt);

  static QString lockPath(const QString& path) { return path + QStringLiteral(".lock"); }
};

} // namespace kr
