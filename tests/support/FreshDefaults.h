#pragma once

#include "platform/settings/UserDefaults.h"

#include <QFile>

namespace kr::test {

// Starts the shared settings store over from an empty settings file.
inline void freshStandardDefaults() {
  // Dropped first: the store writes what it still holds as it goes.
  const QString path = UserDefaults::standard().filePath();
  UserDefaults::resetStandardForTesting();
  QFile::remove(path);
}

} // namespace kr::test
