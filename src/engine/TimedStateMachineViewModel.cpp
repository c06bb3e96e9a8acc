#include "engine/TimedStateMachineViewModel.h"

#include "engine/Clock.h"
#include "engine/EngineLog.h"
#include "engine/TimedStateMachine.h"
#include "platform/FatalError.h"

namespace kr {

namespace {
void debugPrint(const char* text) { qCDebug(lcEngine).noquote() << text; }
} // namespace

TimedStateMachineViewModel::TimedStateMachineViewModel(
    std::shared_ptr<TimedStateMachine> stateMachine)
    : stateMachine_(std::move(stateMachine)) {
  KR_ASSERT(stateMachine_ != nullptr, QStringLiteral("view model without a timed machine"));
}

void TimedStateMachineViewModel::freezeTime() { frozenTime_ = Clock::now(); }

double TimedStateMachineViewModel::elapsedSeconds() const {
  const auto& last = stateMachine_->lastStateTransitionSecond();
  if (!last) {
    debugPrint("Warning: elapsedSeconds on TimedStateMachineViewModel called before "
               "lastStateTransitionSecond was initialized");
    return 0.0;
  }
  return frozenTime_ - static_cast<double>(*last);
}

double TimedStateMachineViewModel::remainingSeconds() const {
  const auto& last = stateMachine_->lastStateTransitionSecond();
  const auto& projected = stateMachine_->projectedDurationInSeconds();
  if (!last || !projected) {
    debugPrint("Warning: remainingSeconds on TimedStateMachineViewModel called before "
               "projectedDurationInSeconds was initialized");
    return 0.0;
  }
  const double remaining = static_cast<double>(*last + *projected) - frozenTime_;
  return remaining > 0.0 ? remaining : 0.0;
}

double TimedStateMachineViewModel::totalSeconds() const {
  const auto& projected = stateMachine_->projectedDurationInSeconds();
  if (!projected) {
    debugPrint("Warning: totalSeconds on TimedStateMachineViewModel called before "
               "projectedDurationInSeconds was initialized");
    return 0.0;
  }
  return static_cast<double>(*projected);
}

QDateTime TimedStateMachineViewModel::startDate() const {
  const auto& last = stateMachine_->lastStateTransitionSecond();
  if (!last)
    return Clock::nowAsDate();
  return Clock::dateFromReferenceSeconds(static_cast<double>(*last));
}

QDateTime TimedStateMachineViewModel::endDate() const {
  const auto& projected = stateMachine_->projectedDurationInSeconds();
  if (!projected) {
    debugPrint("Warning: endDate on TimedStateMachineViewModel called before "
               "projectedDurationInSeconds was initialized");
    return Clock::nowAsDate();
  }
  return startDate().addSecs(*projected);
}

QDateTime TimedStateMachineViewModel::frozenNow() const {
  return Clock::dateFromReferenceSeconds(frozenTime_);
}

} // namespace kr
