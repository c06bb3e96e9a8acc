#pragma once

#include <QStringList>

namespace kr {

// Gives a list of sounds' private names; the base gives none.
class SoundCollectionLoader {
public:
  virtual ~SoundCollectionLoader() = default;
  virtual QStringList loadPrivateNamesArray() const { return {}; }
};

} // namespace kr
