// Fast-forward over a night of missed seconds: the machine replays each one.
#include "engine/Clock.h"
#include "engine/SmartScheduler.h"
#include "engine/TimedStateFunctions.h"
#include "engine/TimedStateMachine.h"
#include "platform/SmartTimerWrapper.h"

#include <QLoggingCategory>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr std::int64_t kEightHours = 8 * 3600;
constexpr std::int64_t kSliceSeconds = 25 * 60;

// Counts events and never stops the machine, so every missed second is
// replayed (the worst case: a timed state stops at the first "elapsed").
class CountingExecutor final : public kr::EventExecuterType {
public:
  void execute(kr::Event event) override { counts[static_cast<int>(event)]++; }
  std::int64_t counts[2] = {0, 0};
};

// Timers that never fire: the benchmark fires the scheduler itself.
class IdleTimerBackend final : public kr::TimerBackend {
public:
  void start(kr::SmartTimerWrapper&) override {}
  void stop(kr::SmartTimerWrapper&) override {}
};

double simulatedNow = 1000.4;

void quietAndSimulated() {
  QLoggingCategory::setFilterRules(QStringLiteral("kr.platform.info=false"));
  kr::Clock::setNowFunction([] { return simulatedNow; });
}

std::shared_ptr<kr::TimedStateMachine> newMachine(CountingExecutor& executor) {
  return std::make_shared<kr::TimedStateMachine>(
      kr::State::working(0), kr::myTick, kr::myStateTransitionFunction, kr::myFastForwardFunction,
      kr::Configuration{kSliceSeconds}, &executor);
}

void BM_MachineFastForwardEightHours(benchmark::State& state) {
  quietAndSimulated();
  for (auto _ : state) {
    simulatedNow = 1000.4;
    CountingExecutor executor;
    auto machine = newMachine(executor);
    machine->fastForward(1001, kEightHours);
    benchmark::DoNotOptimize(executor.counts);
    if (executor.counts[0] + executor.counts[1] < kEightHours - kEightHours / kSliceSeconds - 1)
      state.SkipWithError("missed seconds were not replayed");
  }
}
BENCHMARK(BM_MachineFastForwardEightHours)->Unit(benchmark::kMillisecond);

void BM_SchedulerFastForwardEightHours(benchmark::State& state) {
  quietAndSimulated();
  IdleTimerBackend backend;
  kr::SmartTimerWrapper::setBackend(&backend);
  for (auto _ : state) {
    simulatedNow = 1000.4;
    CountingExecutor executor;
    auto scheduler = std::make_shared<kr::SmartScheduler>();
    scheduler->subscribe(newMachine(executor));
    scheduler->start();
    simulatedNow += static_cast<double>(kEightHours); // the machine slept
    scheduler->timerFired();
    benchmark::DoNotOptimize(executor.counts);
  }
  kr::SmartTimerWrapper::setBackend(nullptr);
}
BENCHMARK(BM_SchedulerFastForwardEightHours)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
