#pragma once

#include "platform/TaskThread.h"

#include <functional>

namespace kr {

// Runs tasks one after another in the order they were given, on a thread of
// its own while it has any (see TaskThread). It needs no event loop, so it
// also works while the application is being torn down (settings written at
// exit). Destroying it runs the tasks still queued and waits for them.
class OrderedWorker {
public:
  // `name` names the thread (15 characters kept).
  explicit OrderedWorker(const char* name) : tasks_(name) {}

  void async(std::function<void()> task) { tasks_.post(std::move(task)); }
  // Waits until every task given so far has run.
  void drain() { tasks_.drain(); }
  // Whether a thread exists now: only while tasks are queued or running.
  bool hasThread() const { return tasks_.hasThread(); }

private:
  TaskThread tasks_;
};

} // namespace kr
