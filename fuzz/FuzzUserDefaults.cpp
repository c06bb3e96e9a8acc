// Reads a settings file of arbitrary bytes through the settings store, with
// keys of every registered kind and ranged lengths: every read must give a
// value, and a ranged key a value inside its range.
#include "platform/settings/UserDefaults.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

namespace {
QString settingsPath() {
  static QTemporaryDir dir;
  return dir.path() + QStringLiteral("/Korvane-R.conf");
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  static QCoreApplication app(*argc, *argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  {
    QFile file(settingsPath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
      std::abort();
    file.write(reinterpret_cast<const char*>(data), qint64(size));
  }
  kr::UserDefaults defaults(settingsPath());
  defaults.registerDefault(QStringLiteral("durationInSeconds"), qint64{900});
  defaults.registerRange(QStringLiteral("durationInSeconds"), 120, 3600);
  defaults.registerDefault(QStringLiteral("shouldUseSoftBreak"), true);
  defaults.registerDefault(QStringLiteral("dimmingAlpha"), 0.6);
  defaults.registerDefault(QStringLiteral("startSound"), QStringLiteral("sosumi"));
  QStringList keys = defaults.storedKeys();
  keys << QStringLiteral("durationInSeconds") << QStringLiteral("shouldUseSoftBreak")
       << QStringLiteral("dimmingAlpha") << QStringLiteral("startSound");
  for (const QString& key : keys) {
    (void)defaults.object(key);
    (void)defaults.boolValue(key);
    (void)defaults.doubleValue(key);
    (void)defaults.string(key);
    (void)defaults.array(key);
    (void)defaults.integer(key);
  }
  const qint64 length = defaults.integer(QStringLiteral("durationInSeconds"));
  if (length < 120 || length > 3600)
    std::abort();
  return 0;
}
