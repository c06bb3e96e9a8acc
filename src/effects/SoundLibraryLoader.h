#pragma once

#include "effects/SoundCollectionLoader.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace kr {

// One sound of the library.
struct SoundEntry {
  QString label;       // shown to the user
  QString privateName; // stored in the settings
  QString fileName;    // base name; "system_" marks a sound of the desktop's sound theme
  QString filePath;    // the file that is played
};

// Where the sounds come from: the program's own generated sounds and the
// desktop's sound theme.
struct SoundFolders {
  QString ownSounds;    // the generated "<name>.wav" files
  QString systemSounds; // the freedesktop theme's "<name>.oga" files

  // The installed folder beside the program, else the build tree's.
  static QString defaultOwnSounds();
  static QString defaultSystemSounds();
};

// Builds the sound library; the base gives an empty one.
class SoundLibraryLoader {
public:
  virtual ~SoundLibraryLoader() = default;
  virtual QList<SoundEntry> loadSoundLibraryArray() const { return {}; }
};

// The program's sounds and the desktop sounds that are installed; a system
// sound whose file is missing is left out.
class SimpleSoundLibraryLoader : public SoundLibraryLoader {
public:
  explicit SimpleSoundLibraryLoader(SoundFolders folders, QString mappingFile = QString());
  QList<SoundEntry> loadSoundLibraryArray() const override;

protected:
  // The entries of a mapping list that name a sound and a file, without paths;
  // none when the list is missing or damaged.
  static QList<SoundEntry> readMapping(const QString& path);
  // The entry's file name without its "system_" mark.
  static QString soundFileName(const SoundEntry& entry);
  // Where the desktop's sound theme keeps the sound of that file name.
  QString systemSoundPath(const QString& fileName) const;

private:
  SoundFolders folders_;
  QString mappingFile_;
};

// The private names offered for continuous sound: the program's list.
class ContinuousSoundCollectionLoader : public SoundCollectionLoader {
public:
  QStringList loadPrivateNamesArray() const override;
};

// Registers the loader classes, the compound ones among them, with
// DynamicConfiguration under their class names, for the sound manager's
// configuration ("SoundManager") to name them.
void registerSoundLoaderClasses();

// Reads a JSON array of strings from a resource; empty when it is missing or damaged.
QStringList readNameList(const QString& resource);

} // namespace kr
