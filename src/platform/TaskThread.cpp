#include "platform/TaskThread.h"

#include "platform/ThreadName.h"

#include <condition_variable>
#include <deque>
#include <mutex>

namespace kr {

// Shared with the thread, so that a thread let go by finish() may outlive the
// object that started it.
struct TaskThread::State {
  std::string name;
  std::mutex mutex;
  std::condition_variable changed;
  std::deque<std::function<void()>> tasks;
  std::thread thread;
  std::thread::id threadId;
  bool alive = false;  // a thread runs the loop below
  bool closed = false; // finish() was called

  static void loop(const std::shared_ptr<State>& state) {
    nameCurrentThread(state->name.c_str());
    std::unique_lock<std::mutex> lock(state->mutex);
    while (!state->tasks.empty()) {
      std::function<void()> task = std::move(state->tasks.front());
      state->tasks.pop_front();
      lock.unlock();
      task();
      task = nullptr; // what it holds goes before the next one starts
      lock.lock();
    }
    state->alive = false;
    state->threadId = {};
    state->changed.notify_all();
  }
};

TaskThread::TaskThread(std::string name) : state_(std::make_shared<State>()) {
  state_->name = std::move(name);
}

TaskThread::~TaskThread() { finish(Queued::Run); }

void TaskThread::post(std::function<void()> task) {
  const std::lock_guard<std::mutex> lock(state_->mutex);
  if (state_->closed)
    return;
  state_->tasks.push_back(std::move(task));
  if (state_->alive)
    return;
  // The last thread has left its loop (under this lock): joining it is at once.
  if (state_->thread.joinable())
    state_->thread.join();
  state_->thread = std::thread(&State::loop, state_);
  state_->threadId = state_->thread.get_id();
  state_->alive = true;
}

void TaskThread::drain() {
  std::unique_lock<std::mutex> lock(state_->mutex);
  // A thread runs while any task is queued: its end is the queue's.
  state_->changed.wait(lock, [this] { return !state_->alive; });
}

bool TaskThread::finish(Queued queued, std::optional<std::chrono::milliseconds> limit) {
  std::unique_lock<std::mutex> lock(state_->mutex);
  state_->closed = true;
  if (queued == Queued::Drop)
    state_->tasks.clear();
  // No thread started, or the one there was ended or was let go before.
  if (!state_->thread.joinable())
    return !state_->alive;
  const auto ended = [this] { return !state_->alive; };
  if (limit)
    state_->changed.wait_for(lock, *limit, ended);
  else
    state_->changed.wait(lock, ended);
  if (state_->alive) {
    state_->thread.detach();
    return false;
  }
  state_->thread.join();
  return true;
}

bool TaskThread::isCurrentThread() const {
  const std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->alive && state_->threadId == std::this_thread::get_id();
}

bool TaskThread::hasThread() const {
  const std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->alive;
}

} // namespace kr
