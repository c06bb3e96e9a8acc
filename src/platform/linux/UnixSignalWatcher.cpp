#include "platform/linux/UnixSignalWatcher.h"

#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace kr {

namespace {
int signalSockets[2] = {-1, -1};

void handler(int number) {
  const unsigned char byte = static_cast<unsigned char>(number);
  // Only async-signal-safe calls here.
  [[maybe_unused]] const ssize_t written = ::write(signalSockets[0], &byte, 1);
}
} // namespace

UnixSignalWatcher::UnixSignalWatcher(std::initializer_list<int> signals, QObject* parent)
    : QObject(parent) {
  if (signalSockets[0] < 0 &&
      ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalSockets) != 0)
    return;
  notifier_ = new QSocketNotifier(signalSockets[1], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &UnixSignalWatcher::readSignal);
  for (int number : signals) {
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(number, &action, nullptr);
  }
}

UnixSignalWatcher::~UnixSignalWatcher() = default;

void UnixSignalWatcher::servePending() {
  unsigned char byte = 0;
  while (notifier_ && ::recv(signalSockets[1], &byte, 1, MSG_DONTWAIT) == 1)
    Q_EMIT unixSignal(byte);
}

void UnixSignalWatcher::readSignal() {
  // servePending() may have taken the byte since the notifier fired: a
  // blocking read would then hold the window's thread until the next signal.
  unsigned char byte = 0;
  if (::recv(signalSockets[1], &byte, 1, MSG_DONTWAIT) == 1)
    Q_EMIT unixSignal(byte);
}

} // namespace kr
