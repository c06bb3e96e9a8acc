#pragma once

#include "platform/services/DesktopNotifierAPI.h"

#include <QDBusConnection>
#include <QObject>

namespace kr {

// Desktop notifications through org.freedesktop.Notifications on the session
// bus. Every call is asynchronous and time-limited, so a missing or hanging
// notification server never holds the program.
class FreedesktopNotifier final : public QObject, public DesktopNotifierAPI {
  Q_OBJECT

public:
  static constexpr int kCallTimeoutMs = 5000;

  explicit FreedesktopNotifier(QDBusConnection bus = QDBusConnection::sessionBus(),
                               QString service = QStringLiteral("org.freedesktop.Notifications"),
                               QObject* parent = nullptr);

  void notify(const DesktopNotification& notification, Reply reply) override;
  void close(quint32 id) override;
  // Asks the bus whether a notification server runs or can be started.
  bool isAvailable() const override { return unavailableReason().isEmpty(); }
  QString unavailableReason() const override;

private:
  QDBusConnection bus_;
  QString service_;
};

} // namespace kr
