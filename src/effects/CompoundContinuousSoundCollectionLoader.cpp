#include "effects/CompoundContinuousSoundCollectionLoader.h"

#include "effects/HushboxDetector.h"

namespace kr {

QStringList CompoundContinuousSoundCollectionLoader::loadPrivateNamesArray() const {
  QStringList names = ContinuousSoundCollectionLoader::loadPrivateNamesArray();
  if (!HushboxDetector::hushboxDetected())
    return names;
  for (const QString& name : readNameList(HushboxDetector::pathToHushboxResources() +
                                          QStringLiteral("ContinuousSoundPrivateNames.json"))) {
    if (!names.contains(name))
      names.append(name);
  }
  return names;
}

} // namespace kr
