#include "platform/files/SupportPaths.h"

#include "platform/MacOSXVersion.h"

#include <QDir>
#include <QStandardPaths>

namespace kr {

namespace {
const QString kAppFolder = QStringLiteral("Korvane-R");

QString writableOrTemp(QStandardPaths::StandardLocation location) {
  const QString base = QStandardPaths::writableLocation(location);
  return base.isEmpty() ? QDir::tempPath() : base;
}
} // namespace

QString SupportPaths::supportFolder() {
  // The sibling edition keeps its data apart, under its own name.
  return writableOrTemp(QStandardPaths::GenericDataLocation) + u'/' +
         MacOSXVersion::applicationFolderName();
}

QString SupportPaths::configFolder() {
  return writableOrTemp(QStandardPaths::GenericConfigLocation) + u'/' + kAppFolder;
}

QString SupportPaths::settingsFile() {
  return configFolder() + u'/' + kAppFolder + QStringLiteral(".conf");
}

QString SupportPaths::cacheFolder() {
  return writableOrTemp(QStandardPaths::GenericCacheLocation) + u'/' + kAppFolder;
}

QString SupportPaths::scriptsFolder() { return configFolder() + QStringLiteral("/Scripts"); }

QString SupportPaths::homeFolder() { return QDir::homePath(); }

QString SupportPaths::expandTilde(const QString& path) {
  if (path == QStringLiteral("~"))
    return homeFolder();
  if (path.startsWith(QStringLiteral("~/")))
    return homeFolder() + path.mid(1);
  return path;
}

} // namespace kr
