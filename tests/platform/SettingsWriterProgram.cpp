// A second program writing the settings beside a test, through the
// program's own settings code, as fast as it can:
//   settings_writer <file> <key prefix> <count> [--slow-lock] [--no-flock]
// writes the keys <prefix>0 ... one write each. --slow-lock widens the moment
// between making a lock file and locking it, in which the other writer may
// find it empty; --no-flock makes every flock fail as on a file system that
// cannot lock files. Ends with 0 once every write was made; a write waits for
// the lock up to 240 s (the test's own guard against a hang).
#include "platform/files/FileLock.h"
#include "platform/settings/SettingsFile.h"

#include <QCoreApplication>
#include <QStringList>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <thread>

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList arguments = app.arguments();
  if (arguments.size() < 4)
    return 2;
  if (arguments.contains(QStringLiteral("--slow-lock"))) {
    kr::FileLock::setAfterMakingForTesting([] {
      for (int i = 0; i < 64; ++i)
        std::this_thread::yield();
    });
  }
  if (arguments.contains(QStringLiteral("--no-flock"))) {
    kr::FileLock::setLockCallForTesting([](int, int) {
      errno = ENOLCK;
      return -1;
    });
  }
  const int count = arguments[3].toInt();
  for (int i = 0; i < count; ++i) {
    const QString key = arguments[2] + QString::number(i);
    const kr::SettingsFile::WriteResult result =
        kr::SettingsFile::write(arguments[1], {{key, i}}, std::chrono::seconds(240));
    if (!result.written) {
      std::fprintf(stderr, "%s not written: %s\n", qPrintable(key), qPrintable(result.why));
      return 1;
    }
  }
  return 0;
}
