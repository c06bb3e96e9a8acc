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
  virtual void storeTimeInterval(double value, const QString& key) = 0;
  // Fallback values, read while nothing is stored under the key.
  virtual void registerDefault(double value, const QString& key) = 0;
  virtual void registerDefault(qint64 value, const QString& key) = 0;
  // Avoid the int -> bool and int -> double overload surprises.
  void store(int integer, const QString& key) { store(static_cast<qint64>(integer), key); }
  void registerDefault(int value, const QString& key) { registerDefault(qint64{value}, key); }
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

  void storeTimeInterval(double value, const QString& key) override;
  void registerDefault(double value, const QString& key) override;
  void registerDefault(qint64 value, const QString& key) override;
  void registerDefault(int value, const QString& key) { registerDefault(qint64{value}, key); }
  void registerDefault(bool value, const QString& key);
};

// In-memory storage for tests: nothing is persisted; registered values are
// kept apart and read while nothing is stored. Reads of a key that holds
// another type give -1 (integer) or -1.0 (time interval).
class TestDefaultsStorage final : public DefaultsStorageAPI {
public:
  double getTimeInterval(const QString& key) const override;
  using DefaultsStorageAPI::store;
  void store(qint64 integer, const QString& key) override;
  qint64 getInteger(const QString& key) const override;
  void store(bool boolean, const QString& key) override;
  bool getBoolean(const QString& key) const override;
  bool defined(const QString& key) const override;

  void storeTimeInterval(double value, const QString& key) override;
  using DefaultsStorageAPI::registerDefault;
  void registerDefault(double value, const QString& key) override;
  void registerDefault(qint64 value, const QString& key) override;

  QHash<QString, QVariant> values;
  QHash<QString, QVariant> registered;

private:
  QVariant lookUp(const QString& key) const;
};

} // namespace kr
