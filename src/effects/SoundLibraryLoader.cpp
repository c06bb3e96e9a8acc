#include "effects/SoundLibraryLoader.h"

#include "effects/CompoundContinuousSoundCollectionLoader.h"
#include "effects/CompoundSoundLibraryLoader.h"
#include "platform/QnLog.h"
#include "platform/files/FileOperations.h"
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

std::optional<QByteArray> readList(const QString& path) {
  // The sound application's lists (or a test's) go through the guarded reader.
  if (!path.startsWith(u':'))
    return FileOperations::readRegularFile(path);
  QFile file(path);
  // own-file: the sound lists built into the program
  if (!file.open(QIODevice::ReadOnly))
    return std::nullopt;
  return file.readAll();
}

QJsonArray readArray(const QString& path) {
  const std::optional<QByteArray> bytes = readList(path);
  if (!bytes) {
    platformLog(QStringLiteral("Sound list %1 is missing.").arg(path));
    return {};
  }
  QJsonParseError error;
  const QJsonDocument doc = QJsonDocument::fromJson(*bytes, &error);
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

QList<SoundEntry> SimpleSoundLibraryLoader::readMapping(const QString& path) {
  QList<SoundEntry> entries;
  for (const QJsonValue& v : readArray(path)) {
    const QJsonObject o = v.toObject();
    SoundEntry entry{o.value(QStringLiteral("Label")).toString(),
                     o.value(QStringLiteral("PrivateName")).toString(),
                     o.value(QStringLiteral("FileName")).toString(), QString()};
    if (!entry.privateName.isEmpty() && !entry.fileName.isEmpty())
      entries.append(entry);
  }
  return entries;
}

QString SimpleSoundLibraryLoader::soundFileName(const SoundEntry& entry) {
  return entry.fileName.startsWith(kSystemPrefix) ? entry.fileName.mid(kSystemPrefix.size())
                                                  : entry.fileName;
}

QString SimpleSoundLibraryLoader::systemSoundPath(const QString& fileName) const {
  return folders_.systemSounds + u'/' + fileName + QStringLiteral(".oga");
}

QList<SoundEntry> SimpleSoundLibraryLoader::loadSoundLibraryArray() const {
  QList<SoundEntry> library;
  for (SoundEntry entry : readMapping(mappingFile_)) {
    if (entry.fileName.startsWith(kSystemPrefix)) {
      entry.filePath = systemSoundPath(soundFileName(entry));
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
  if (DynamicConfiguration::isRegistered(QStringLiteral("SimpleSoundLibraryLoader")))
    return;
  const auto folders = [] {
    return SoundFolders{SoundFolders::defaultOwnSounds(), SoundFolders::defaultSystemSounds()};
  };
  DynamicConfiguration::registerClass<SoundLibraryLoader>(
      QStringLiteral("SimpleSoundLibraryLoader"),
      [folders] { return std::make_unique<SimpleSoundLibraryLoader>(folders()); });
  DynamicConfiguration::registerClass<SoundLibraryLoader>(
      QStringLiteral("CompoundSoundLibraryLoader"),
      [folders] { return std::make_unique<CompoundSoundLibraryLoader>(folders()); });
  DynamicConfiguration::registerClass<SoundCollectionLoader, ContinuousSoundCollectionLoader>(
      QStringLiteral("ContinuousSoundCollectionLoader"));
  DynamicConfiguration::registerClass<SoundCollectionLoader,
                                      CompoundContinuousSoundCollectionLoader>(
      QStringLiteral("CompoundContinuousSoundCollectionLoader"));
}

} // namespace kr
