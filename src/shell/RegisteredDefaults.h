#pragma once

#include <QVariantMap>

namespace kr {

// The registration table of the application's settings: every key's fallback
// value, registered once at start-up and never written to the settings file.
//
// The table is built from one part per subsystem that owns the keys; the timer
// settings of the data model, the launch manager's keys and the keys of the
// pages are registered by their owners and are not part of it.
class RegisteredDefaults {
public:
  // The whole table, built fresh.
  static QVariantMap table();
  // Registers the table with the standard settings store. Registering it
  // twice has no further effect.
  static void registerAll();

  // The parts of the table, one per owning subsystem. Each adds its keys.
  static void addShellDefaults(QVariantMap& t);
  static void addEffectsDefaults(QVariantMap& t);
  static void addShortcutDefaults(QVariantMap& t);
  static void addWindowDefaults(QVariantMap& t);
  static void addStatisticsDefaults(QVariantMap& t);
  static void addStateDefaults(QVariantMap& t);
  static void addEngineDefaults(QVariantMap& t);

  // The stored value of "soundOutputDevice" that means: the system's default output.
  static constexpr const char* kUseSystemDefaultOutputDevice = "useSystemDefault";
};

} // namespace kr
