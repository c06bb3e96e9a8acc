#include "platform/SerialQueue.h"

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
  thread_->requestInterruption();
  thread_->quit();
  thread_->wait();
  // The thread has ended, so the worker may go from here.
  worker_.reset();
}

void SerialQueue::async(std::function<void()> task) {
  QMetaObject::invokeMethod(worker_.get(), std::move(task), Qt::QueuedConnection);
}

QThread* SerialQueue::thread() const { return thread_.get(); }

} // namespace kr
