#pragma once

#include <QHash>
#include <QString>
#include <QVariant>

namespace kr {

// Typed access to the settings by key, replaceable in tests.
class DefaultsStorageAPI {
public:
  virtual ~DefaultsStorageAPI() = default;
  virtual double getTimeInterval(const QString& key) const = 0;
  virtual void store(qint64 integer, const QString& key) = 0;
  virtual qint64 getInteger(const QString& key) const = 0;
  virtual void store(bool boolean, const QString& key) = 0;
  virtual bool getBoolean(const QString& key) const = 0;
  // True when any value, stored or registered, exists for the key.
  virtual bool defined(const QString& key) const = 0;
  // Avoids the int -> bool overload surprise.
  void store(int integer, const QString& key) { store(static_cast<qint64>(integer), key); }
};

// The settings store of the application (UserDefaults::standard()).
class StandardUserDefaultsStorage final : public DefaultsStorageAPI {
public:
  static StandardUserDefaultsStorage& shared();

  double getTimeInterval(const QString& key) const override;
  using DefaultsStorageAPI::store;
  void store(qint64 integer, const QString& key) override;
  qint64 getInteger(const QString& key) const override;
  void store(bool boolean, const QString& key) override;
  bool getBoolean(const QString& key) const override;
  bool defined(const QString& key) const override;

  void registerDefault(double value, const QString& key);
  void registerDefault(qint64 value, const QString& key);
  void registerDefault(int value, const QString& key) { registerDefault(qint64{value}, key); }
  void registerDefault(bool value, const QString& key);
};

// In-memory storage for tests: nothing is registered or persisted. Reads of a
// key that holds another type give -1 (integer) or -1.0 (time interval).
class TestDefaultsStorage final : public DefaultsStorageAPI {
public:
  double getTimeInterval(const QString& key) const override;
  using DefaultsStorageAPI::store;
  void store(qint64 integer, const QString& key) override;
  qint64 getInteger(const QString& key) const override;
  void store(bool boolean, const QString& key) override;
  bool getBoolean(const QString& key) const override;
  bool defined(const QString& key) const override;

  void storeTimeInterval(double value, const QString& key);

  QHash<QString, QVariant> values;
};

} // namespace kr
