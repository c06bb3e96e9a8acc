#include "effects/SoundLibraryLoader.h"

#include "platform/QnLog.h"
#include "platform/settings/DynamicConfiguration.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace kr {

namespace {
const QString kSystemPrefix = QStringLiteral("system_");

QJsonArray readArray(const QString& path) {
  QFile file(path);
  // own-file: the sound lists built into the program (a test gives its own)
  if (!file.open(QIODevice::ReadOnly)) {
    platformLog(QStringLiteral("Sound list %1 is missing.").arg(path));
    return {};
  }
  QJsonParseError error;
  const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &error);
  if (!doc.isArray()) {
    platformLog(QStringLiteral("Sound list %1 cannot be read: %2").arg(path, error.errorString()));
    return {};
  }
  return doc.array();
}
} // namespace

QString SoundFolders::defaultOwnSounds() {
  const QString installed =
      QCoreApplication::applicationDirPath() + QStringLiteral("/../share/korvane-r/sounds");
  if (QFileInfo(installed).isDir())
    return QDir::cleanPath(installed);
  return QStringLiteral(KR_BUILD_SOUNDS_DIR);
}

QString SoundFolders::defaultSystemSounds() {
  return QStringLiteral("/usr/share/sounds/freedesktop/stereo");
}

QStringList readNameList(const QString& resource) {
  QStringList names;
  for (const QJsonValue& v : readArray(resource)) {
    if (v.isString())
      names << v.toString();
  }
  return names;
}

SimpleSoundLibraryLoader::SimpleSoundLibraryLoader(SoundFolders folders, QString mappingFile)
    : folders_(std::move(folders)),
      mappingFile_(mappingFile.isEmpty() ? QStringLiteral(":/sounds/SoundMappingFile.json")
                                         : std::move(mappingFile)) {}

QList<SoundEntry> SimpleSoundLibraryLoader::loadSoundLibraryArray() const {
  QList<SoundEntry> library;
  for (const QJsonValue& v : readArray(mappingFile_)) {
    const QJsonObject o = v.toObject();
    SoundEntry entry{o.value(QStringLiteral("Label")).toString(),
                     o.value(QStringLiteral("PrivateName")).toString(),
                     o.value(QStringLiteral("FileName")).toString(), QString()};
    if (entry.privateName.isEmpty() || entry.fileName.isEmpty())
      continue;
    if (entry.fileName.startsWith(kSystemPrefix)) {
      entry.filePath = folders_.systemSounds + u'/' + entry.fileName.mid(kSystemPrefix.size()) +
                       QStringLiteral(".oga");
      if (!QFileInfo::exists(entry.filePath)) {
        qn_log(QStringLiteral("system sound %1 is not installed").arg(entry.filePath));
        continue;
      }
    } else {
      entry.filePath = folders_.ownSounds + u'/' + entry.fileName + QStringLiteral(".wav");
    }
    library.append(entry);
  }
  return library;
}

QStringList ContinuousSoundCollectionLoader::loadPrivateNamesArray() const {
  return readNameList(QStringLiteral(":/sounds/ContinuousSoundPrivateNames.json"));
}

void registerSoundLoaderClasses() {
  if (!DynamicConfiguration::isRegistered(QStringLiteral("SimpleSoundLibraryLoader"))) {
    DynamicConfiguration::registerClass<SoundLibraryLoader>(
        QStringLiteral("SimpleSoundLibraryLoader"), [] {
          return std::make_unique<SimpleSoundLibraryLoader>(
              SoundFolders{SoundFolders::defaultOwnSounds(), SoundFolders::defaultSystemSounds()});
        });
  }
  if (!DynamicConfiguration::isRegistered(QStringLiteral("ContinuousSoundCollectionLoader"))) {
    DynamicConfiguration::registerClass<ContinuousSoundCollectionLoader,
                                        ContinuousSoundCollectionLoader>(
        QStringLiteral("ContinuousSoundCollectionLoader"));
  }
}

} // namespace kr
