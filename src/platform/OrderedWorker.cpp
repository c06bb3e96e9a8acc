#include "platform/OrderedWorker.h"

#include "platform/ThreadName.h"

namespace kr {

OrderedWorker::OrderedWorker(const char* name) : name_(name), thread_([this] { loop(); }) {}

OrderedWorker::~OrderedWorker() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_one();
  thread_.join();
}

void OrderedWorker::async(std::function<void()> task) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    tasks_.push_back(std::move(task));
  }
  wake_.notify_one();
}

void OrderedWorker::drain() {
  std::unique_lock<std::mutex> lock(mutex_);
  idle_.wait(lock, [this] { return tasks_.empty() && !running_; });
}

void OrderedWorker::loop() {
  nameCurrentThread(name_);
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return stopping_ || !tasks_.empty(); });
    if (tasks_.empty()) {
      if (stopping_)
        return;
      continue;
    }
    std::function<void()> task = std::move(tasks_.front());
    tasks_.pop_front();
    running_ = true;
    lock.unlock();
    task();
    lock.lock();
    running_ = false;
    if (tasks_.empty())
      idle_.notify_all();
  }
}

} // namespace kr
