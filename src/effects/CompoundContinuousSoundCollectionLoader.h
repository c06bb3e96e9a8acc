#pragma once

#include "effects/SoundLibraryLoader.h"

namespace kr {

// The program's continuous sounds followed, when Hushbox is installed, by
// those of its list that are not among them yet, in its order.
class CompoundContinuousSoundCollectionLoader : public ContinuousSoundCollectionLoader {
public:
  QStringList loadPrivateNamesArray() const override;
};

} // namespace kr
