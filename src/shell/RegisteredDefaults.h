#pragma once

#include <QVariantMap>

namespace kr {

// The registration table of the application's settings: every key's fallback
// value, registered once at start-up and never written to the settings file.
class RegisteredDefaults {
public:
  // The whole table, built fresh.
  static QVariantMap table();
  // Registers the table with the standard settings store. Registering it
  // twice has no further effect.
  static void registerAll();

  // The stored value of "soundOutputDevice" that means: the system's default output.
  static constexpr const char* kUseSystemDefaultOutputDevice = "useSystemDefault";
};

} // namespace kr
