#pragma once

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

// Builds the sound library from the mapping resource.
class SoundLibraryLoader {
public:
  virtual ~SoundLibraryLoader() = default;
  virtual QList<SoundEntry> loadSoundLibraryArray() const = 0;
};

// The program's sounds and the desktop sounds that are installed; a system
// sound whose file is missing is left out.
class SimpleSoundLibraryLoader : public SoundLibraryLoader {
public:
  explicit SimpleSoundLibraryLoader(SoundFolders folders, QString mappingFile = QString());
  QList<SoundEntry> loadSoundLibraryArray() const override;

private:
  SoundFolders folders_;
  QString mappingFile_;
};

// The private names offered for continuous sound.
class ContinuousSoundCollectionLoader {
public:
  virtual ~ContinuousSoundCollectionLoader() = default;
  virtual QStringList loadPrivateNamesArray() const;
};

// The external sound application Hushbox exists only on the other desktop, so
// its sounds never join the library here.
class HushboxDetector {
public:
  static bool hushboxDetected() { return false; }
};

// Registers the loader classes with DynamicConfiguration under their class
// names, for the sound manager's configuration ("SoundManager") to name them.
void registerSoundLoaderClasses();

// Reads a JSON array of strings from a resource; empty when it is missing or damaged.
QStringList readNameList(const QString& resource);

} // namespace kr
