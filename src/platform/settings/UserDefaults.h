#pragma once

#include "platform/settings/SettingsFile.h"
#include "platform/settings/StoredValue.h"

#include <QElapsedTimer>
#include <QHash>
#include <QMutex>
#include <QObject>
#include <QSet>
#include <QString>
#include <QVariant>

#include <memory>
#include <optional>

class QTimer;

namespace kr {

class OrderedWorker;

// The settings store: flat keys with registered fallbacks.
//
// Registered values live in memory for the run and are never written; stored
// values live in an INI file, read once into memory. A change is seen at once
// by every reader; the file is written on a thread of its own, at most once a
// second (the first change after a write waits a second for the ones that
// follow it), at flush() and when the application quits. Each write replaces
// the file atomically. Readers never wait for the writer: they read memory.
// A change that cannot be written (the file or its folder read-only, its lock
// in the way) is kept in memory and tried again every few seconds. Reading a key gives its stored
// value, else its registered value, else nothing. `changed(key)` is emitted whenever the value a
// key reads actually changes, whoever caused it (a write, a removal, or a
// registration that changes what an unset key reads).
class UserDefaults : public QObject {
  Q_OBJECT

public:
  explicit UserDefaults(const QString& filePath, QObject* parent = nullptr);
  ~UserDefaults() override;

  // The process-wide store over SupportPaths::settingsFile().
  static UserDefaults& standard();
  // Drops the process-wide store, so the next call to standard() opens the
  // file again. Tests only.
  static void resetStandardForTesting();

  void registerDefaults(const QVariantMap& values);
  void registerDefault(const QString& key, const QVariant& value);
  QVariant registeredValue(const QString& key) const;
  // The whole numbers a key's controls allow. A stored value beyond them
  // reads as the nearest end; one that is not a number, or is negative,
  // reads as the registered value. Each such value is named once on the
  // console; the stored text itself is left as it is.
  void registerRange(const QString& key, qint64 minimum, qint64 maximum);

  // Stored value, else registered value, else an invalid variant. Values read
  // back from the file get the type of their registered value (or a guessed
  // scalar type when none is registered).
  QVariant object(const QString& key) const;
  bool hasStoredValue(const QString& key) const;
  // True when a stored or registered value exists.
  bool defined(const QString& key) const;

  // Typed reads with the usual coercions: a number reads as an integer
  // truncated toward zero, "true"/"yes"/non-zero numbers read as true, an
  // unset key reads 0, false or "".
  bool boolValue(const QString& key) const;
  qint64 integer(const QString& key) const;
  double doubleValue(const QString& key) const;
  float floatValue(const QString& key) const;
  QString string(const QString& key) const;
  QVariantList array(const QString& key) const;
  // The whole text of the stored entry of `key` as written by hand, where
  // the INI reading gives it back otherwise (as a list, cut at a ';',
  // without its quotes): string() and a key registered as text read it, and
  // the next write stores it as text. None for any other key, and once the
  // key is changed.
  std::optional<QString> handWrittenText(const QString& key) const;

  void setValue(const QString& key, const QVariant& value);
  void remove(const QString& key);
  // Has pending changes written soon, away from the calling thread, at most
  // once a second. False when the last write failed.
  bool synchronize();
  // Writes pending changes now and waits until they are on disk, but never
  // longer than kFlushLimit; false when they are not (the keys left
  // unwritten are named on the console). Called at quit and when the store
  // goes.
  bool flush();
  static constexpr int kFlushLimitMilliseconds = 300;
  // Waits, without flush's limit, until every write asked for so far has
  // ended (tests, where a busy machine may take longer than a quit waits).
  void waitForWritesForTesting();
  // Why changes cannot be written now; empty while they can.
  QString writeProblem() const { return writeProblem_; }

  // Keeps the file as it is now beside it as "<file>.damaged", and says so
  // on the console: for a stored value of `key` the program cannot read,
  // before it is replaced.
  void keepDamagedCopy(const QString& key);

  QString filePath() const;
  // Why the file could not be read when the store opened it (then it is
  // never written and changes last only the run); empty when it could, or
  // was not there yet. A link to a regular file is read through.
  QString unreadableReason() const { return unreadable_; }
  // A settings file larger than this is not read (nor written over).
  static constexpr qint64 kLargestSettingsFile = SettingsFile::kLargestFile;
  QStringList storedKeys() const;

  // Coercions shared with the other typed views of the settings.
  static bool toBool(const QVariant& value) { return StoredValue::toBool(value); }
  static qint64 toInteger(const QVariant& value) { return StoredValue::toInteger(value); }
  static double toDouble(const QVariant& value) { return StoredValue::toDouble(value); }
  static QString toString(const QVariant& value) { return StoredValue::toString(value); }

Q_SIGNALS:
  void changed(const QString& key);
  // Changes could be written and now cannot (once until they can again).
  void cannotWrite(const QString& why);

private:
  struct Range {
    qint64 minimum;
    qint64 maximum;
  };
  struct Outcomes;
  struct Unwritten {
    QVariant value; // invalid: a removal
    quint64 generation;
  };
  QVariant storedObject(const QString& key) const;
  void scheduleWrite();
  void startWrite();
  // Takes in what the writer has done since last asked.
  void takeOutcomes();
  void sayNotWritten();
  QVariant withinRange(const QString& key, const QVariant& stored, const Range& range) const;

  // Read and changed on this thread only.
  QString filePath_;
  QString unreadable_;
  // Hand-written texts of keys not changed since the file was read.
  SettingsFile::Texts handWritten_;
  // What the file held when read, with the changes written since; none when
  // the file could not be read.
  std::optional<SettingsFile::Values> stored_;
  // Changes not yet handed to the writer, and handed but not yet written
  // (an invalid value is a removal). Reads look here first.
  QHash<QString, QVariant> pending_;
  QHash<QString, Unwritten> inFlight_;
  quint64 writeGeneration_ = 0;
  std::shared_ptr<Outcomes> outcomes_;
  std::unique_ptr<OrderedWorker> writer_;
  QTimer* writeTimer_ = nullptr;
  QTimer* retryTimer_ = nullptr;
  QElapsedTimer sinceLastWrite_;
  QString writeProblem_;
  // A write found the file's lock held: said only once the retry finds it
  // held too.
  QString heldLockProblem_;
  // A flush gave up waiting for this write: later ones do not wait for it.
  quint64 abandoned_ = 0;
  // Made while an application ran: what the store holds is written while it
  // goes (flush() at its end), never once its Qt is gone.
  bool underApplication_ = false;
  QStringList lastSaidNotWritten_;
  QVariantMap registered_;
  QHash<QString, Range> ranges_;
  // Stored values already named on the console as out of range.
  mutable QMutex reportedMutex_;
  mutable QSet<QString> reported_;
};

} // namespace kr
