#pragma once

#include <QHash>
#include <QMutex>
#include <QObject>
#include <QSet>
#include <QSettings>
#include <QString>
#include <QVariant>

#include <memory>

namespace kr {

// The settings store: flat keys with registered fallbacks.
//
// Registered values live in memory for the run and are never written; stored
// values live in an INI file. Reading a key gives its stored value, else its
// registered value, else nothing. `changed(key)` is emitted whenever the value a
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

  void setValue(const QString& key, const QVariant& value);
  void remove(const QString& key);
  // Writes pending changes to disk; returns false when the file cannot be written.
  bool synchronize();

  QString filePath() const;
  QStringList storedKeys() const;

  // Coercions shared with the other typed views of the settings.
  static bool toBool(const QVariant& value);
  static qint64 toInteger(const QVariant& value);
  static double toDouble(const QVariant& value);
  static QString toString(const QVariant& value);

Q_SIGNALS:
  void changed(const QString& key);

private:
  struct Range {
    qint64 minimum;
    qint64 maximum;
  };
  QVariant storedObject(const QString& key) const;
  QVariant withinRange(const QString& key, const QVariant& stored, const Range& range) const;
  static bool sameValue(const QVariant& a, const QVariant& b);

  std::unique_ptr<QSettings> settings_;
  QVariantMap registered_;
  QHash<QString, Range> ranges_;
  // Stored values already named on the console as out of range.
  mutable QMutex reportedMutex_;
  mutable QSet<QString> reported_;
};

} // namespace kr
