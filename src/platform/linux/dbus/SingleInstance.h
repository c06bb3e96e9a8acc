#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QStringList>

namespace kr {

// Keeps the application to one process per session: the first launch owns a
// name on the session bus; a later launch hands its arguments to it and ends.
class SingleInstance final : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "io.korvaner.KorvaneR")

public:
  static const QString kServiceName;
  static const QString kObjectPath;

  explicit SingleInstance(QDBusConnection connection = QDBusConnection::sessionBus(),
                          QObject* parent = nullptr);
  ~SingleInstance() override;

  enum class Claim {
    first,      // this process owns the name and receives later launches
    running,    // another process owns it: hand over and end
    unavailable // no session bus: run alone, later launches are not forwarded
  };
  Claim claim(QString* why = nullptr);
  // Gives the arguments to the running process; false (with the reason) when
  // it did not take them.
  bool handOver(const QStringList& arguments, QString* error = nullptr);

public Q_SLOTS:
  Q_SCRIPTABLE void Activate(const QStringList& arguments);

Q_SIGNALS:
  // A later launch asked this one to come forward, with its arguments; sent
  // from the event loop once that launch has its answer.
  void activationRequested(const QStringList& arguments);

private:
  QDBusConnection connection_;
  bool owner_ = false;
};

} // namespace kr
