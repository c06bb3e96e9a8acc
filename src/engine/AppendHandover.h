#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace kr {

// Who writes the entry of an append that runs on a worker: the worker, or a
// quit that came before the worker was done. Before each step that writes,
// the worker claims the entry and gets it unless the quit has taken it; the
// quit takes it only while the worker holds no claim and has not written it,
// and waits for a claim that is held. A claimed step is short (a rename, one
// byte in place, a package of the entry alone), so the quit stays quick, and
// the entry is written once, by one of them.
class AppendHandover {
public:
  // The points of an append on a worker, in the order they may come.
  enum class Step {
    Lock,       // the day's lock is waited for (another writer of the day may hold it)
    InPlace,    // the entry's end goes on the day's text in place
    Copy,       // the day is being copied with the entry spliced in (between blocks)
    Replace,    // the copy replaces the day's text
    Read,       // the day was read whole, to tell a damaged day from one the splice declined
    WriteAside, // the entry goes beside the day
    NewDay,     // the entry starts a day that is missing or set aside as damaged
    QuitWaits,  // (on the quit's thread) the quit waits for the worker's claimed step
    Finished,   // the worker is done
  };
  // Told each point, with whether the worker holds the claim there: before a
  // claim (false) and once it is granted (true). Tests use it to run the quit
  // at exactly that point.
  using Hook = std::function<void(Step step, bool claimed)>;

  explicit AppendHandover(Hook hook = {}) : hook_(std::move(hook)) {}

  // The worker's side.
  bool cancelled() const { return cancel_.load(); }
  // Whether the quit has taken the entry over: the worker writes nothing more.
  bool taken();
  void reached(Step step, bool claimed = false) const;
  // Before a step that writes: true when the worker may write it; it then
  // holds the claim until settle().
  bool claim(Step step);
  // After a claimed step: whether it wrote the entry. Nothing when no claim
  // is held.
  void settle(bool landed);
  void finish(bool landed);

  // The quit's side: stops the worker at its next block and waits at most
  // `wait` for it to finish, then at most kClaimedStepWait for a step it has
  // claimed. True when the entry is now the quit's to write (the worker
  // writes nothing more); false when the worker wrote it or still holds it.
  bool takeAtQuit(std::chrono::milliseconds wait);
  static constexpr std::chrono::milliseconds kClaimedStepWait{2000};

private:
  Hook hook_;
  std::atomic<bool> cancel_{false};
  std::mutex mutex_;
  std::condition_variable changed_;
  bool claimed_ = false;
  bool landed_ = false;
  bool taken_ = false;
  bool finished_ = false;
};

} // namespace kr
