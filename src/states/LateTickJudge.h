#pragma once

namespace kr {

// Tells whether a tick's lateness proves a pause of the user's input. It does
// when the machine slept since the tick before: the boot-time clock ran on
// while the monotonic one stood, or the activity monitor heard of the sleep
// or the wake. That news may come just after the late tick, so a late tick
// is remembered for one more tick. A program that only stalled while the
// user went on working proves nothing.
class LateTickJudge {
public:
  // The time the ticks are counted from.
  void start(double now);
  // The idle seconds a tick at `now`, `delay` seconds late, proves, given
  // the monitor's last sleep and wake times; 0 when the machine did not sleep.
  double idleSecondsProven(double now, double delay, double putToSleep, double woken);

private:
  // The seconds asleep the boot-time clock must gain to count as a sleep.
  static constexpr double kSleepEvidenceSeconds = 0.5;

  // The instant of the last ticks, and the one before it (ticks that catch
  // up come together at one instant).
  double previousInstant_ = 0.0;
  double currentInstant_ = 0.0;
  double asleepBefore_ = 0.0;
  double asleepAtCurrent_ = 0.0;
  double previousDelay_ = 0.0;
  double currentDelay_ = 0.0;
};

} // namespace kr
