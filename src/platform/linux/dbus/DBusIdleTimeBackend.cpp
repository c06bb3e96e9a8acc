#include "platform/linux/dbus/DBusIdleTimeBackend.h"

#include <QDBusConnection>
#include <QDBusMessage>

namespace kr {

namespace {
// A sample runs once a second on the GUI thread: a service that hangs must
// not freeze the window.
constexpr int kCallTimeoutMilliseconds = 250;
} // namespace

DBusIdleTimeBackend::DBusIdleTimeBackend(QString name, QString service, QString path,
                                         QString interface, QString method,
                                         quint64 millisecondsPerUnit)
    : name_(std::move(name)), service_(std::move(service)), path_(std::move(path)),
      interface_(std::move(interface)), method_(std::move(method)),
      millisecondsPerUnit_(millisecondsPerUnit) {}

std::unique_ptr<DBusIdleTimeBackend> DBusIdleTimeBackend::createMutter(QString* why) {
  return probe(
      std::unique_ptr<DBusIdleTimeBackend>(new DBusIdleTimeBackend(
          QStringLiteral("GNOME idle monitor"), QStringLiteral("org.gnome.Mutter.IdleMonitor"),
          QStringLiteral("/org/gnome/Mutter/IdleMonitor/Core"),
          QStringLiteral("org.gnome.Mutter.IdleMonitor"), QStringLiteral("GetIdletime"), 1)),
      why);
}

std::unique_ptr<DBusIdleTimeBackend>
DBusIdleTimeBackend::createFreedesktopScreenSaver(QString* why) {
  // The freedesktop interface reports whole seconds.
  return probe(std::unique_ptr<DBusIdleTimeBackend>(
                   new DBusIdleTimeBackend(QStringLiteral("freedesktop screen saver"),
                                           QStringLiteral("org.freedesktop.ScreenSaver"),
                                           QStringLiteral("/org/freedesktop/ScreenSaver"),
                                           QStringLiteral("org.freedesktop.ScreenSaver"),
                                           QStringLiteral("GetSessionIdleTime"), 1000)),
               why);
}

std::unique_ptr<DBusIdleTimeBackend>
DBusIdleTimeBackend::probe(std::unique_ptr<DBusIdleTimeBackend> backend, QString* why) {
  if (!QDBusConnection::sessionBus().isConnected()) {
    if (why)
      *why = QStringLiteral("there is no session bus");
    return nullptr;
  }
  if (!backend->idleMilliseconds()) {
    if (why)
      *why = QStringLiteral("%1 does not answer").arg(backend->service_);
    return nullptr;
  }
  return backend;
}

std::optional<quint64> DBusIdleTimeBackend::idleMilliseconds() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected())
    return std::nullopt;
  const QDBusMessage call = QDBusMessage::createMethodCall(service_, path_, interface_, method_);
  const QDBusMessage reply = bus.call(call, QDBus::Block, kCallTimeoutMilliseconds);
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
    return std::nullopt;
  bool ok = false;
  const quint64 value = reply.arguments().constFirst().toULongLong(&ok);
  if (!ok)
    return std::nullopt;
  return value * millisecondsPerUnit_;
}

} // namespace kr
