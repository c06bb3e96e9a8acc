#include "platform/settings/DynamicConfiguration.h"

#include "platform/FatalError.h"

#include <QFile>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>

namespace kr {

namespace {

QHash<QString, std::any>& registry() {
  static QHash<QString, std::any> factories;
  return factories;
}

QString& folder() {
  static QString path = QStringLiteral(":/config");
  return path;
}

} // namespace

void DynamicConfiguration::registerFactory(const QString& className, std::any factory) {
  registry().insert(className, std::move(factory));
}

bool DynamicConfiguration::isRegistered(const QString& className) {
  return registry().contains(className);
}

const std::any& DynamicConfiguration::factoryFor(const QString& className) {
  const auto it = registry().constFind(className);
  if (it == registry().cend()) {
    KR_FATAL(
        QStringLiteral("newObjectWithClassName: Could not find the class: %1 in the executable")
            .arg(className));
  }
  return it.value();
}

void DynamicConfiguration::failWrongKind(const QString& className) {
  KR_FATAL(QStringLiteral("newObjectWithClassName: The class: %1 is not of the kind asked for")
               .arg(className));
}

QString DynamicConfiguration::classNameForKey(const QString& key, const QString& propertyListName) {
  const QString path = folder() + u'/' + propertyListName + QStringLiteral(".json");
  QFile file(path);
  if (!file.exists() || !file.open(QIODevice::ReadOnly)) {
    KR_FATAL(QStringLiteral("newObjectForKey: inPropertyList: Could not find plist: %1 in bundle")
                 .arg(propertyListName));
  }
  const QJsonDocument document = QJsonDocument::fromJson(file.readAll());
  const QJsonObject entries = document.object(); // empty unless the file holds an object
  if (entries.isEmpty())
    KR_FATAL(QStringLiteral("newObjectForKey: inPropertyList: No keys found at: %1").arg(path));
  const QJsonValue className = entries.value(key);
  if (!className.isString()) {
    KR_FATAL(
        QStringLiteral("newObjectForKey: inPropertyList: Key %1 not found at: %2").arg(key, path));
  }
  return className.toString();
}

QString DynamicConfiguration::propertyListFolder() { return folder(); }

void DynamicConfiguration::setPropertyListFolder(const QString& path) { folder() = path; }

} // namespace kr
