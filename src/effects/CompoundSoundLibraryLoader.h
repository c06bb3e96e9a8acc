#pragma once

#include "effects/SoundLibraryLoader.h"

namespace kr {

// The program's library followed, when Hushbox is installed, by the sounds of
// its mapping list that it holds (".m4a", else ".aif") or the sound theme has.
// A sound the library already names, or whose file is nowhere, is left out.
class CompoundSoundLibraryLoader : public SimpleSoundLibraryLoader {
public:
  using SimpleSoundLibraryLoader::SimpleSoundLibraryLoader;
  QList<SoundEntry> loadSoundLibraryArray() const override;

private:
  // The first of the sound's places that exists; empty when none does.
  QString hushboxSoundPath(const QString& resources, const QString& fileName) const;
};

} // namespace kr
