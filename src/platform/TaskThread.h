#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

namespace kr {

// Runs tasks one after another, in the order given, on a thread of its own
// that exists only while there is work: the first task starts it, it ends once
// the last task queued has run, and the next task starts a new one under the
// same name. So a worker waiting for its next job holds no thread.
class TaskThread {
public:
  // `name` names the thread (15 characters kept).
  explicit TaskThread(std::string name);
  // Lets the tasks still queued run and waits for them, unless finish() was
  // called before.
  ~TaskThread();
  TaskThread(const TaskThread&) = delete;
  TaskThread& operator=(const TaskThread&) = delete;

  // Queues a task; ignored once finish() was called.
  void post(std::function<void()> task);
  // Waits until every task posted so far has run.
  void drain();
  enum class Queued { Run, Drop };
  // Takes no more tasks; drops those not yet started or lets them run, and
  // waits for the thread to end, at most `limit` when given. True when it has
  // ended (or none was running). Otherwise the thread is let go: it ends by
  // itself after its task, and touches nothing of this object meanwhile.
  bool finish(Queued queued, std::optional<std::chrono::milliseconds> limit = std::nullopt);
  // Whether the caller runs on this worker's thread.
  bool isCurrentThread() const;
  // Whether a thread exists now (it may be about to end).
  bool hasThread() const;

private:
  struct State;
  std::shared_ptr<State> state_;
};

} // namespace kr
