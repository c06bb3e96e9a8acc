#pragma once

#include <QObject>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

namespace kr {

// Work on a thread of its own whose result is handed back to a receiver on
// the receiver's thread. Nobody waits for the thread: when the receiver goes,
// or no longer wants the result, it lets go of the job (`release`), and the
// work's hand-back then delivers nothing. The hand-back is posted under the
// job's lock, so the receiver cannot go in between; on the receiver's thread
// it runs only while the job is still held.
class DetachedJob : public std::enable_shared_from_this<DetachedJob> {
public:
  using Work = std::function<void(DetachedJob& job)>;

  // Starts `work` on a new thread named `threadName`.
  static std::shared_ptr<DetachedJob> start(QObject* receiver, const char* threadName, Work work);

  // The receiver still wants the result (the work may stop early when not).
  bool wanted() const { return !released_.load(); }
  // Set once the receiver let go, for work that polls a flag.
  const std::atomic<bool>* releasedFlag() const { return &released_; }
  // Called by the receiver, on its thread: no hand-back runs after this.
  void release();
  // Called by the work: runs `deliver` on the receiver's thread unless the
  // receiver lets go first. False when it had already let go.
  bool handBack(std::function<void()> deliver);

  explicit DetachedJob(QObject* receiver) : receiver_(receiver) {}

private:
  std::mutex mutex_;
  QObject* receiver_ = nullptr;
  std::atomic<bool> released_{false};
};

} // namespace kr
