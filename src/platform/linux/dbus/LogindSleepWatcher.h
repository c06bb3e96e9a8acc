#pragma once

#include <QDBusConnection>
#include <QObject>

#include <functional>
#include <memory>

namespace kr {

// Hears logind announce sleep and wake on the system bus (the signal
// PrepareForSleep: true as the machine goes to sleep, false once it woke)
// and hands each to a closure.
class LogindSleepWatcher final : public QObject {
  Q_OBJECT

public:
  using Handler = std::function<void(bool goingToSleep)>;

  // Listens on `bus` (the system bus in the program); none, with one
  // console line saying why, when it cannot.
  static std::unique_ptr<LogindSleepWatcher> watch(const QDBusConnection& bus, Handler handler);
  ~LogindSleepWatcher() override;

private Q_SLOTS:
  void prepareForSleep(bool start);

private:
  LogindSleepWatcher(const QDBusConnection& bus, Handler handler);

  QDBusConnection bus_;
  Handler handler_;
};

} // namespace kr
