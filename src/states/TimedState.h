#pragma once

#include "states/ModernUIState.h"
#include "states/UpdatedViewType.h"

#include "engine/TimedStateType.h"

#include <QDateTime>

#include <cstdint>
#include <memory>
#include <optional>

namespace kr {

class TimedStateMachineModule;

// The base of the states whose page counts time. Each activation builds a
// fresh timed-machine module over duration(); every counted second becomes
// the ".time" event, a status item refresh and eachTick(); the end of the
// duration calls handleTimerElapsed().
class TimedState : public ModernUIState, public TimedStateType {
public:
  TimedState();
  ~TimedState() override;

  const StateExits& exits() const override;

  StateBase* elapsed = nullptr;
  StateBase* aborted = nullptr;

  QDateTime now() const { return now_; }
  TimedStateMachineModule* timedStateMachineModule() const { return module_.get(); }

  // Subclass hooks.
  std::int64_t duration() override { return 0; }
  virtual bool shouldHideOnActivate() const { return true; }
  virtual void eachTick(std::int64_t seconds);
  virtual void handleTimerElapsed() {}
  virtual void handleTimerAborted() {}

  // Leave the state through "elapsed" or "aborted".
  void timerElapsed();
  void timerAborted();

  // Freezes the view model for one page refresh; subclasses add their steps.
  virtual void prepareForUITimerUpdate();
  // The total and elapsed seconds of the slice or break; once its time ran
  // out, both are its whole duration.
  int totalTime() const;
  int totalElapsedSeconds() const;
  void updateNowValue();
  // The remaining time as the status item shows it: "mm:ss".
  QString remainingTimeText() const;

  void execute(Event event) override;
  bool acceptsEventsFrom(const TimedStateMachineModule& module) const override;

  void activate() override;
  void deactivate() override;
  void performActivationNotification() override;
  void performDeactivationNotification() override;

private:
  // The page refresh freezes the view model first, so every view of one pass
  // reads the same instant.
  class TimerFreezer final : public UpdatedViewType {
  public:
    explicit TimerFreezer(TimedState& state) : state_(state) {}
    void updateState() override { state_.prepareForUITimerUpdate(); }

  private:
    TimedState& state_;
  };

  void stopScheduler();
  std::optional<int> wholeDurationOnceRunOut() const;
  void postTimerEvent(const QString& suffix);

  QDateTime now_;
  std::unique_ptr<TimedStateMachineModule> module_;
  TimerFreezer freezer_{*this};
  bool freezerAdded_ = false;
  bool active_ = false;
};

} // namespace kr
