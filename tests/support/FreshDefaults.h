#pragma once

#include "platform/UserDefaults.h"

#include <QFile>

namespace kr::test {

// Starts the shared settings store over from an empty settings file.
inline void freshStandardDefaults() {
  QFile::remove(UserDefaults::standard().filePath());
  UserDefaults::resetStandardForTesting();
}

} // namespace kr::test
