#include "states/TimedState.h"

#include "states/StateHost.h"

#include "engine/Clock.h"
#include "engine/SmartScheduler.h"
#include "engine/StateMachine.h"
#include "engine/TimedStateMachine.h"
#include "engine/TimedStateMachineModule.h"
#include "engine/TimedStateMachineViewModel.h"
#include "platform/FatalError.h"

#include <cmath>
#include <limits>

namespace kr {

namespace {

int truncatedToInt32(double value) {
  const double truncated = std::trunc(value);
  KR_ASSERT(truncated >= std::numeric_limits<int>::min() &&
                truncated <= std::numeric_limits<int>::max(),
            QStringLiteral("timer value %1 does not fit a 32-bit integer").arg(value));
  return static_cast<int>(truncated);
}

} // namespace

TimedState::TimedState() : now_(Clock::nowAsDate()) {}

TimedState::~TimedState() {
  active_ = false;
  stopScheduler();
}

const StateExits& TimedState::exits() const {
  static const StateExits table{StateExits::exit(QStringLiteral("elapsed"), &TimedState::elapsed),
                                StateExits::exit(QStringLiteral("aborted"), &TimedState::aborted)};
  return table;
}

void TimedState::eachTick(std::int64_t) {
  postTimerEvent(QStringLiteral(".time"));
  updateMenuItem();
}

void TimedState::timerElapsed() {
  handleTimerElapsed();
  StateMachine::sharedStateMachine().triggerTransition(QStringLiteral("elapsed"));
}

void TimedState::timerAborted() {
  handleTimerAborted();
  StateMachine::sharedStateMachine().triggerTransition(QStringLiteral("aborted"));
}

void TimedState::prepareForUITimerUpdate() {
  KR_ASSERT(module_ != nullptr, QStringLiteral("timed state without a module"));
  module_->viewModel()->freezeTime();
}

int TimedState::totalTime() const {
  KR_ASSERT(module_ != nullptr, QStringLiteral("timed state without a module"));
  if (const std::optional<int> whole = wholeDurationOnceRunOut())
    return *whole;
  return truncatedToInt32(module_->viewModel()->totalSeconds());
}

int TimedState::totalElapsedSeconds() const {
  KR_ASSERT(module_ != nullptr, QStringLiteral("timed state without a module"));
  if (const std::optional<int> whole = wholeDurationOnceRunOut())
    return *whole;
  return truncatedToInt32(module_->viewModel()->elapsedSeconds());
}

std::optional<int> TimedState::wholeDurationOnceRunOut() const {
  // Once the time ran out the machine has moved past its working state, so
  // its view model counts the elapsed state (0 of 1), not the slice or break,
  // which ran its whole working duration.
  const TimedStateMachine& machine = *module_->stateMachine();
  if (!machine.currentState().isElapsed())
    return std::nullopt;
  return machine.config() ? truncatedToInt32(double(machine.config()->workingDuration)) : 0;
}

void TimedState::updateNowValue() { now_ = Clock::nowAsDate(); }

QString TimedState::remainingTimeText() const {
  if (!module_)
    return {};
  const auto remaining = static_cast<long long>(module_->viewModel()->remainingSeconds());
  return QString::asprintf("%02lld:%02lld", remaining / 60, remaining % 60);
}

void TimedState::execute(Event event) {
  KR_ASSERT(module_ != nullptr, QStringLiteral("timed state event without a module"));
  switch (event) {
  case Event::elapsed:
    stopScheduler();
    handleTimerElapsed();
    break;
  case Event::oneTick:
    module_->viewModel()->freezeTime();
    eachTick(module_->stateMachine()->elapsedSeconds());
    break;
  }
}

bool TimedState::acceptsEventsFrom(const TimedStateMachineModule& module) const {
  return active_ && module_.get() == &module;
}

void TimedState::activate() {
  // The old module is released first, so its scheduler can fire nothing more.
  module_.reset();
  active_ = true;
  module_ = std::make_unique<TimedStateMachineModule>(*this);
  module_->viewModel()->freezeTime();
  now_ = Clock::nowAsDate();
  if (shouldHideOnActivate())
    StateHost::instance().hide(*this);
  // Added once: the page refresh would otherwise freeze the time once more at
  // every activation.
  if (!freezerAdded_) {
    addUpdatableView(freezer_);
    freezerAdded_ = true;
  }
  ModernUIState::activate();
}

void TimedState::deactivate() {
  stopScheduler();
  active_ = false;
  now_ = Clock::nowAsDate();
  StateHost::instance().removeAllStatusMenuItems();
  ModernUIState::deactivate();
}

void TimedState::performActivationNotification() { postTimerEvent(QStringLiteral(".start")); }

void TimedState::performDeactivationNotification() { postTimerEvent(QStringLiteral(".end")); }

void TimedState::stopScheduler() {
  if (module_ && module_->scheduler())
    module_->scheduler()->stop();
}

void TimedState::postTimerEvent(const QString& suffix) {
  KR_ASSERT(module_ != nullptr, QStringLiteral("timed state event without a module"));
  postEvent(eventName(suffix), totalElapsedSeconds(), totalTime());
}

} // namespace kr
