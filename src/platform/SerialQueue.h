#pragma once

#include "platform/TaskThread.h"

#include <QString>

#include <chrono>
#include <functional>

namespace kr {

// A serial queue: tasks run one after another, in the order they were queued,
// on a worker thread of its own (named after the label) that exists while
// there are tasks (see TaskThread). Destroying the queue waits for the running
// task and drops the ones not yet started.
class SerialQueue {
public:
  explicit SerialQueue(const QString& label);
  ~SerialQueue();
  SerialQueue(const SerialQueue&) = delete;
  SerialQueue& operator=(const SerialQueue&) = delete;

  void async(std::function<void()> task) { tasks_.post(std::move(task)); }
  const QString& label() const { return label_; }
  // Whether the caller runs on the queue's thread.
  bool isCurrentThread() const { return tasks_.isCurrentThread(); }
  // Whether a thread exists now: only while tasks are queued or running.
  bool hasThread() const { return tasks_.hasThread(); }

  // Drops the tasks not yet started and waits at most `limit` for the
  // running one. True when the thread has ended. Otherwise the queue lets go
  // of the thread, which ends by itself once its task returns; the task must
  // then touch nothing the caller is about to destroy. Tasks queued
  // afterwards are ignored.
  bool stop(std::chrono::milliseconds limit);

private:
  QString label_;
  TaskThread tasks_;
};

} // namespace kr
