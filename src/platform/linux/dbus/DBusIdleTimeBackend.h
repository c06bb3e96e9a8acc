#pragma once

#include "platform/services/IdleTimeBackend.h"

#include <memory>

namespace kr {

// The idle time a desktop session service reports over the session bus:
// GNOME's Mutter idle monitor or the freedesktop screen saver service.
class DBusIdleTimeBackend final : public IdleTimeBackend {
public:
  static std::unique_ptr<DBusIdleTimeBackend> createMutter(QString* why);
  static std::unique_ptr<DBusIdleTimeBackend> createFreedesktopScreenSaver(QString* why);

  QString name() const override { return name_; }
  std::optional<quint64> idleMilliseconds() override;

private:
  DBusIdleTimeBackend(QString name, QString service, QString path, QString interface,
                      QString method, quint64 millisecondsPerUnit);
  static std::unique_ptr<DBusIdleTimeBackend> probe(std::unique_ptr<DBusIdleTimeBackend> backend,
                                                    QString* why);

  QString name_;
  QString service_;
  QString path_;
  QString interface_;
  QString method_;
  quint64 millisecondsPerUnit_;
};

} // namespace kr
