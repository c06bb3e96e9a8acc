#include "effects/CompoundSoundLibraryLoader.h"

#include "effects/HushboxDetector.h"
#include "platform/QnLog.h"

#include <QFileInfo>
#include <QSet>

namespace kr {

QList<SoundEntry> CompoundSoundLibraryLoader::loadSoundLibraryArray() const {
  QList<SoundEntry> library = SimpleSoundLibraryLoader::loadSoundLibraryArray();
  if (!HushboxDetector::hushboxDetected())
    return library;
  const QString resources = HushboxDetector::pathToHushboxResources();
  QSet<QString> names;
  for (const SoundEntry& entry : library)
    names.insert(entry.privateName);
  for (SoundEntry entry : readMapping(resources + QStringLiteral("SoundMappingFile.json"))) {
    // A name the library holds keeps its sound: the settings that name it
    // play what they played before.
    if (names.contains(entry.privateName))
      continue;
    entry.filePath = hushboxSoundPath(resources, soundFileName(entry));
    if (entry.filePath.isEmpty()) {
      qn_log(QStringLiteral("Hushbox sound %1 has no file").arg(entry.privateName));
      continue;
    }
    names.insert(entry.privateName);
    library.append(entry);
  }
  return library;
}

QString CompoundSoundLibraryLoader::hushboxSoundPath(const QString& resources,
                                                     const QString& fileName) const {
  for (const QString& path :
       {resources + fileName + QStringLiteral(".m4a"),
        resources + fileName + QStringLiteral(".aif"), systemSoundPath(fileName)}) {
    if (QFileInfo::exists(path))
      return path;
  }
  return QString();
}

} // namespace kr
