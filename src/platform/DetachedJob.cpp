#include "platform/DetachedJob.h"

#include "platform/ThreadName.h"

#include <thread>

namespace kr {

std::shared_ptr<DetachedJob> DetachedJob::start(QObject* receiver, const char* threadName,
                                                Work work) {
  auto job = std::make_shared<DetachedJob>(receiver);
  std::thread([job, threadName, work = std::move(work)] {
    nameCurrentThread(threadName);
    work(*job);
  }).detach();
  return job;
}

void DetachedJob::release() {
  const std::lock_guard<std::mutex> lock(mutex_);
  receiver_ = nullptr;
  released_.store(true);
}

bool DetachedJob::handBack(std::function<void()> deliver) {
  const std::lock_guard<std::mutex> lock(mutex_);
  if (!receiver_)
    return false;
  QMetaObject::invokeMethod(
      receiver_,
      [job = shared_from_this(), deliver = std::move(deliver)] {
        if (job->wanted())
          deliver();
      },
      Qt::QueuedConnection);
  return true;
}

} // namespace kr
