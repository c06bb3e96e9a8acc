#include "platform/SerialQueue.h"

#include <QDeadlineTimer>
#include <QObject>
#include <QThread>

namespace kr {

SerialQueue::SerialQueue(const QString& label)
    : label_(label), thread_(std::make_unique<QThread>()), worker_(std::make_unique<QObject>()) {
  thread_->setObjectName(label);
  worker_->moveToThread(thread_.get());
  thread_->start();
}

SerialQueue::~SerialQueue() {
  if (!thread_)
    return;
  thread_->requestInterruption();
  thread_->quit();
  thread_->wait();
  // The thread has ended, so the worker may go from here.
  worker_.reset();
}

void SerialQueue::async(std::function<void()> task) {
  if (worker_)
    QMetaObject::invokeMethod(worker_.get(), std::move(task), Qt::QueuedConnection);
}

QThread* SerialQueue::thread() const { return thread_.get(); }

bool SerialQueue::stop(std::chrono::milliseconds limit) {
  if (!thread_)
    return true;
  thread_->requestInterruption();
  thread_->quit();
  if (thread_->wait(QDeadlineTimer(limit))) {
    worker_.reset();
    thread_.reset();
    return true;
  }
  // Still busy: the thread and its worker stay behind, unowned, so that
  // nothing here waits for them. The thread quits after its running task.
  QObject* worker = worker_.release();
  QThread* thread = thread_.release();
  QObject::connect(thread, &QThread::finished, thread, [worker] { delete worker; });
  return false;
}

} // namespace kr
