#include "platform/linux/dbus/LogindSleepWatcher.h"

#include "platform/QnLog.h"

#include <QDBusError>

namespace kr {

namespace {
const QString kService = QStringLiteral("org.freedesktop.login1");
const QString kPath = QStringLiteral("/org/freedesktop/login1");
const QString kInterface = QStringLiteral("org.freedesktop.login1.Manager");
const QString kSignal = QStringLiteral("PrepareForSleep");
const QString kWhat = QStringLiteral("sleep and wake");
} // namespace

LogindSleepWatcher::LogindSleepWatcher(const QDBusConnection& bus, Handler handler)
    : bus_(bus), handler_(std::move(handler)) {}

LogindSleepWatcher::~LogindSleepWatcher() {
  bus_.disconnect(kService, kPath, kInterface, kSignal, this, SLOT(prepareForSleep(bool)));
}

std::unique_ptr<LogindSleepWatcher> LogindSleepWatcher::watch(const QDBusConnection& bus,
                                                              Handler handler) {
  if (!bus.isConnected()) {
    describeService(kWhat, false, QStringLiteral("there is no system bus"));
    return nullptr;
  }
  std::unique_ptr<LogindSleepWatcher> watcher(new LogindSleepWatcher(bus, std::move(handler)));
  // Only logind's own announcements count, not another program's signal of that name.
  if (!watcher->bus_.connect(kService, kPath, kInterface, kSignal, watcher.get(),
                             SLOT(prepareForSleep(bool)))) {
    describeService(kWhat, false,
                    QStringLiteral("the bus refused to pass on logind's signal: %1")
                        .arg(watcher->bus_.lastError().message()));
    return nullptr;
  }
  describeService(kWhat, true, QStringLiteral("logind"));
  return watcher;
}

void LogindSleepWatcher::prepareForSleep(bool start) {
  if (handler_)
    handler_(start);
}

} // namespace kr
