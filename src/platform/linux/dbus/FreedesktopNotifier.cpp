#include "platform/linux/dbus/FreedesktopNotifier.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace kr {

namespace {
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
} // namespace

FreedesktopNotifier::FreedesktopNotifier(QDBusConnection bus, QString service, QObject* parent)
    : QObject(parent), bus_(std::move(bus)), service_(std::move(service)) {}

void FreedesktopNotifier::notify(const DesktopNotification& n, Reply reply) {
  if (!bus_.isConnected()) {
    reply(0, QStringLiteral("no session bus"));
    return;
  }
  QDBusMessage call =
      QDBusMessage::createMethodCall(service_, kPath, kInterface, QStringLiteral("Notify"));
  QStringList actions;
  if (!n.actionLabel.isEmpty())
    actions << QStringLiteral("default") << n.actionLabel;
  QVariantMap hints;
  hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("korvane-r"));
  if (n.sticky)
    hints.insert(QStringLiteral("resident"), true);
  call << QCoreApplication::applicationName() << n.replacesId << QString() << n.title << n.body
       << actions << hints << qint32(n.sticky ? 0 : -1);
  auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call, kCallTimeoutMs), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this,
          [reply = std::move(reply)](QDBusPendingCallWatcher* w) {
            const QDBusPendingReply<quint32> answer = *w;
            if (answer.isError())
              reply(0, answer.error().message());
            else
              reply(answer.value(), QString());
            w->deleteLater();
          });
}

QString FreedesktopNotifier::unavailableReason() const {
  if (!bus_.isConnected())
    return QStringLiteral("no session bus");
  QDBusConnectionInterface* bus = bus_.interface();
  if (!bus)
    return QStringLiteral("the session bus does not answer");
  const QDBusReply<bool> registered = bus->isServiceRegistered(service_);
  if (registered.isValid() && registered.value())
    return {};
  // A server the bus starts on the first call counts as there.
  const QDBusReply<QStringList> activatable = bus->activatableServiceNames();
  if (activatable.isValid() && activatable.value().contains(service_))
    return {};
  return QStringLiteral("no notification server (%1) on the session bus").arg(service_);
}

void FreedesktopNotifier::close(quint32 id) {
  if (!bus_.isConnected())
    return;
  QDBusMessage call = QDBusMessage::createMethodCall(service_, kPath, kInterface,
                                                     QStringLiteral("CloseNotification"));
  call << id;
  auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call, kCallTimeoutMs), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, watcher, &QObject::deleteLater);
}

} // namespace kr
