#pragma once

#include <QString>

#include <chrono>
#include <functional>
#include <memory>

class QThread;
class QObject;

namespace kr {

// A serial queue: tasks run one after another, in the order they were queued,
// on one worker thread of its own (named after the label). Destroying the
// queue waits for the running task and drops the ones not yet started.
class SerialQueue {
public:
  explicit SerialQueue(const QString& label);
  ~SerialQueue();
  SerialQueue(const SerialQueue&) = delete;
  SerialQueue& operator=(const SerialQueue&) = delete;

  void async(std::function<void()> task);
  const QString& label() const { return label_; }
  // The worker thread, to tell where code runs.
  QThread* thread() const;

  // Drops the tasks not yet started and waits at most `limit` for the
  // running one. True when the thread has ended. Otherwise the queue lets go
  // of the thread, which ends by itself once its task returns; the task must
  // then touch nothing the caller is about to destroy. No task may be queued
  // afterwards.
  bool stop(std::chrono::milliseconds limit);

private:
  QString label_;
  std::unique_ptr<QThread> thread_;
  std::unique_ptr<QObject> worker_; // lives on the worker thread; runs the tasks
};

} // namespace kr
