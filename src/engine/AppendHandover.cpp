#include "engine/AppendHandover.h"

namespace kr {

void AppendHandover::reached(Step step, bool claimed) const {
  if (hook_)
    hook_(step, claimed);
}

bool AppendHandover::taken() {
  const std::lock_guard lock(mutex_);
  return taken_;
}

bool AppendHandover::claim(Step step) {
  reached(step);
  {
    const std::lock_guard lock(mutex_);
    if (taken_)
      return false;
    claimed_ = true;
  }
  reached(step, true);
  return true;
}

void AppendHandover::settle(bool landed) {
  {
    const std::lock_guard lock(mutex_);
    if (!claimed_)
      return;
    claimed_ = false;
    landed_ = landed_ || landed;
  }
  changed_.notify_all();
}

void AppendHandover::finish(bool landed) {
  {
    const std::lock_guard lock(mutex_);
    claimed_ = false;
    landed_ = landed_ || landed;
    finished_ = true;
  }
  changed_.notify_all();
  reached(Step::Finished);
}

bool AppendHandover::takeAtQuit(std::chrono::milliseconds wait) {
  cancel_ = true;
  std::unique_lock lock(mutex_);
  changed_.wait_for(lock, wait, [this] { return finished_; });
  if (claimed_) {
    lock.unlock();
    reached(Step::QuitWaits, true);
    lock.lock();
    // A disk that stalls the step holds the quit this long at most; the
    // step is then left to land, or not, as the program ends.
    if (!changed_.wait_for(lock, kClaimedStepWait, [this] { return !claimed_; }))
      return false;
  }
  if (landed_)
    return false;
  taken_ = true;
  return true;
}

} // namespace kr
