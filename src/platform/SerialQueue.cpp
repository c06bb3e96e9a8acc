#include "platform/SerialQueue.h"

namespace kr {

SerialQueue::SerialQueue(const QString& label) : label_(label), tasks_(label.toStdString()) {}

SerialQueue::~SerialQueue() { tasks_.finish(TaskThread::Queued::Drop); }

bool SerialQueue::stop(std::chrono::milliseconds limit) {
  return tasks_.finish(TaskThread::Queued::Drop, limit);
}

} // namespace kr
