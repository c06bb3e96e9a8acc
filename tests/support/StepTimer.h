#pragma once

#include "support/TestEnvironment.h"

#include <QtGlobal>

#include <utility>
#include <vector>

namespace kr::test {

// Times a step on the wall clock, and how much slower than a quiet machine
// this one ran it. Over the step it reads what the kernel counts for each
// thread of this process: the time it ran and the time it stood ready while
// no processor was free for it. Their ratio, (ran + stood ready) / ran, is 1
// on a quiet machine and about 2 with twice as many runnable jobs as cores;
// `limit()` grows a bound by it. A step that waits idle (on a lock, a thread,
// a timer) adds to neither, so a wait that breaks a bound still fails it.
// The machine's load stands in for threads that ended during the step.
class StepTimer {
public:
  StepTimer() { start(); }
  void start();
  qint64 elapsed() const;
  // The ratio since the start, from 1 to 8 (8 when no count can be read).
  double slowness() const;
  // timeLimit(milliseconds), times the slowness since the start.
  long long limit(long long milliseconds) const;
  // For a short step whose speed the benchmarks measure (a key, a page turn,
  // the window held by a save): three times limit(). What slows such a step
  // without keeping it from a processor (compilers beside it sharing memory
  // and caches) escapes the counts and can decide a bound this short: a page
  // turn from a 50 MB sheet, 8 to 13 ms on a quiet machine, took 118 ms
  // beside a build where the counts gave 1.8. The faults these bounds look
  // for take longer still: the same turn encoding the sheet on the window
  // took 233 ms on the quiet machine.
  long long shortStepLimit(long long milliseconds) const { return 3 * limit(milliseconds); }

private:
  struct Counts {
    long long ranNs = 0;
    long long readyNs = 0;
  };
  static bool read(int thread, Counts* counts);
  // The machine's runnable jobs for each processor, over the last minute.
  static double machineLoad();
  qint64 startedNs_ = 0;
  std::vector<std::pair<int, Counts>> atStart_;
};

} // namespace kr::test
