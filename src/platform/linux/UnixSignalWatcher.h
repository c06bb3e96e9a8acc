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

Q_SIGNALS:
  void unixSignal(int number);

private:
  void readSignal();
  QSocketNotifier* notifier_ = nullptr;
};

} // namespace kr
