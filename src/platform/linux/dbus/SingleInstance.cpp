#include "platform/linux/dbus/SingleInstance.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>

namespace kr {

const QString SingleInstance::kServiceName = QStringLiteral("io.korvaner.KorvaneR");
const QString SingleInstance::kObjectPath = QStringLiteral("/io/korvaner/KorvaneR");

SingleInstance::SingleInstance(QDBusConnection connection, QObject* parent)
    : QObject(parent), connection_(std::move(connection)) {}

SingleInstance::~SingleInstance() {
  if (owner_) {
    connection_.unregisterObject(kObjectPath);
    connection_.unregisterService(kServiceName);
  }
}

SingleInstance::Claim SingleInstance::claim(QString* why) {
  if (!connection_.isConnected()) {
    if (why)
      *why = QStringLiteral("no session bus: %1").arg(connection_.lastError().message());
    return Claim::unavailable;
  }
  QDBusConnectionInterface* bus = connection_.interface();
  const auto reply = bus->registerService(kServiceName, QDBusConnectionInterface::DontQueueService,
                                          QDBusConnectionInterface::DontAllowReplacement);
  if (!reply.isValid()) {
    if (why)
      *why = reply.error().message();
    return Claim::unavailable;
  }
  if (reply.value() != QDBusConnectionInterface::ServiceRegistered)
    return Claim::running;
  owner_ = true;
  if (!connection_.registerObject(kObjectPath, this, QDBusConnection::ExportScriptableSlots)) {
    if (why)
      *why = QStringLiteral("cannot export the activation object");
  }
  return Claim::first;
}

bool SingleInstance::handOver(const QStringList& arguments, QString* error) {
  QDBusMessage call = QDBusMessage::createMethodCall(kServiceName, kObjectPath, kServiceName,
                                                     QStringLiteral("Activate"));
  call << arguments;
  const QDBusMessage reply = connection_.call(call, QDBus::Block, 5000);
  if (reply.type() == QDBusMessage::ReplyMessage)
    return true;
  if (error)
    *error = reply.errorMessage();
  return false;
}

void SingleInstance::Activate(const QStringList& arguments) {
  // The later launch is answered first, and the action runs afterwards: an
  // action that asks the user a question would otherwise hold the answer
  // until the question is closed, and the later launch would give up.
  QMetaObject::invokeMethod(
      this, [this, arguments] { Q_EMIT activationRequested(arguments); }, Qt::QueuedConnection);
}

} // namespace kr
