#include "platform/settings/DefaultsStorageAPI.h"

#include "platform/settings/UserDefaults.h"

namespace kr {

StandardUserDefaultsStorage& StandardUserDefaultsStorage::shared() {
  static StandardUserDefaultsStorage instance;
  return instance;
}

double StandardUserDefaultsStorage::getTimeInterval(const QString& key) const {
  return UserDefaults::standard().doubleValue(key);
}

void StandardUserDefaultsStorage::store(qint64 integer, const QString& key) {
  UserDefaults::standard().setValue(key, integer);
}

qint64 StandardUserDefaultsStorage::getInteger(const QString& key) const {
  return UserDefaults::standard().integer(key);
}

void StandardUserDefaultsStorage::store(bool boolean, const QString& key) {
  UserDefaults::standard().setValue(key, boolean);
}

bool StandardUserDefaultsStorage::getBoolean(const QString& key) const {
  return UserDefaults::standard().boolValue(key);
}

bool StandardUserDefaultsStorage::defined(const QString& key) const {
  return UserDefaults::standard().defined(key);
}

void StandardUserDefaultsStorage::storeTimeInterval(double value, const QString& key) {
  UserDefaults::standard().setValue(key, value);
}

void StandardUserDefaultsStorage::registerDefault(double value, const QString& key) {
  UserDefaults::standard().registerDefault(key, value);
}

void StandardUserDefaultsStorage::registerDefault(qint64 value, const QString& key) {
  UserDefaults::standard().registerDefault(key, value);
}

void StandardUserDefaultsStorage::registerDefault(bool value, const QString& key) {
  UserDefaults::standard().registerDefault(key, value);
}

double TestDefaultsStorage::getTimeInterval(const QString& key) const {
  const QVariant v = lookUp(key);
  return v.metaType().id() == QMetaType::Double ? v.toDouble() : -1.0;
}

void TestDefaultsStorage::store(qint64 integer, const QString& key) { values.insert(key, integer); }

qint64 TestDefaultsStorage::getInteger(const QString& key) const {
  const QVariant v = lookUp(key);
  return v.metaType().id() == QMetaType::LongLong ? v.toLongLong() : -1;
}

void TestDefaultsStorage::store(bool boolean, const QString& key) { values.insert(key, boolean); }

bool TestDefaultsStorage::getBoolean(const QString& key) const {
  const QVariant v = lookUp(key);
  return v.metaType().id() == QMetaType::Bool && v.toBool();
}

bool TestDefaultsStorage::defined(const QString& key) const {
  return values.contains(key) || registered.contains(key);
}

void TestDefaultsStorage::storeTimeInterval(double value, const QString& key) {
  values.insert(key, value);
}

void TestDefaultsStorage::registerDefault(double value, const QString& key) {
  registered.insert(key, value);
}

void TestDefaultsStorage::registerDefault(qint64 value, const QString& key) {
  registered.insert(key, value);
}

QVariant TestDefaultsStorage::lookUp(const QString& key) const {
  return values.contains(key) ? values.value(key) : registered.value(key);
}

} // namespace kr
