#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace kr {

// A thread of its own that runs tasks one after another in the order they
// were given. Unlike SerialQueue it needs no event loop, so it also works
// while the application is being torn down (settings written at exit).
// Destroying it runs the tasks still queued, then ends the thread.
class OrderedWorker {
public:
  // `name` names the thread (15 characters kept).
  explicit OrderedWorker(const char* name);
  ~OrderedWorker();
  OrderedWorker(const OrderedWorker&) = delete;
  OrderedWorker& operator=(const OrderedWorker&) = delete;

  void async(std::function<void()> task);
  // Waits until every task given so far has run.
  void drain();

private:
  void loop();

  const char* name_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable idle_;
  std::deque<std::function<void()>> tasks_;
  bool running_ = false;
  bool stopping_ = false;
  std::thread thread_;
};

} // namespace kr
