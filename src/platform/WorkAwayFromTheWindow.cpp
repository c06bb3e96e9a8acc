#include "platform/WorkAwayFromTheWindow.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>

#include <chrono>
#include <future>

namespace kr {

namespace {
// Quick work is waited for without an event loop: nothing else runs in the
// meantime, exactly as for a call on this thread. A pause this short is not
// seen as a frozen window.
constexpr auto kQuickWork = std::chrono::milliseconds(200);
} // namespace

void WorkAwayFromTheWindow::run(const std::function<void()>& work) {
  QCoreApplication* app = QCoreApplication::instance();
  if (!app || QThread::currentThread() != app->thread()) {
    work();
    return;
  }
  QEventLoop loop;
  std::future<void> done = std::async(std::launch::async, [&work, &loop] {
    work();
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
  });
  if (done.wait_for(kQuickWork) != std::future_status::ready)
    loop.exec(QEventLoop::ExcludeUserInputEvents);
  done.get();
}

} // namespace kr
