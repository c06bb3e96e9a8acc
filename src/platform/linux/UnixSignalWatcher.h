#pragma once

#include <QObject>

#include <initializer_list>

class QSocketNotifier;

namespace kr {

// Turns SIGTERM, SIGINT and SIGHUP into a Qt signal on the GUI thread, so the
// application can quit through its normal path.
class UnixSignalWatcher : public QObject {
  Q_OBJECT

public:
  explicit UnixSignalWatcher(std::initializer_list<int> signals, QObject* parent = nullptr);
  ~UnixSignalWatcher() override;

  // Serves the signals that came and wait behind the window's events (busy
  // work between two events asks first), without waiting for any.
  void servePending();

Q_SIGNALS:
  void unixSignal(int number);

private:
  void readSignal();
  QSocketNotifier* notifier_ = nullptr;
};

} // namespace kr
