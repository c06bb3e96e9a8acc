#include "platform/files/SupportPaths.h"

#include "platform/MacOSXVersion.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
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

QString SupportPaths::packageLockFile(const QString& path) {
  const QFileInfo package(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
  const QByteArray folder =
      QCryptographicHash::hash(QFile::encodeName(package.absolutePath()), QCryptographicHash::Sha1)
          .toHex()
          .left(12);
  // A name too long for one more suffix is cut: two packages sharing a lock
  // only wait for each other.
  return supportFolder() + QStringLiteral("/.kr-locks/") + package.fileName().left(120) + u'-' +
         QString::fromLatin1(folder) + QStringLiteral(".lock");
}

QString SupportPaths::homeFolder() { return QDir::homePath(); }

QString SupportPaths::expandTilde(const QString& path) {
  if (path == QStringLiteral("~"))
    return homeFolder();
  if (path.startsWith(QStringLiteral("~/")))
    return homeFolder() + path.mid(1);
  return path;
}

} // namespace kr
