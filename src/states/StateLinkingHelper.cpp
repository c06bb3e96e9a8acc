#include "states/StateLinkingHelper.h"

#include "states/DefineTimeSliceState.h"
#include "states/InformalBreakState.h"
#include "states/PausedState.h"
#include "states/PrepareTimedBreakState.h"
#include "states/RateTimeSliceState.h"
#include "states/SoftBreakState.h"
#include "states/TimeSliceRunningState.h"
#include "states/TimedBreakRunningState.h"
#include "states/WelcomeState.h"

#include "engine/StateMachine.h"
#include "kit/text/BorderedBackgroundView.h"
#include "kit/text/ObjectiveBackgroundManager.h"
#include "kit/walls/Wall.h"

namespace kr {

namespace {

template <class S> std::unique_ptr<S> create(std::vector<BaseState*>& order) {
  auto state = std::make_unique<S>();
  order.push_back(state.get());
  return state;
}

} // namespace

StateLinkingHelper::StateLinkingHelper(const std::vector<std::function<void()>>& preparations) {
  for (const auto& prepare : preparations)
    prepare();
  defineTimeSliceState_ = create<DefineTimeSliceState>(creationOrder_);
  timeSliceRunningState_ = create<TimeSliceRunningState>(creationOrder_);
  rateTimeSliceState_ = create<RateTimeSliceState>(creationOrder_);
  pausedState_ = create<PausedState>(creationOrder_);
  prepareTimedBreakState_ = create<PrepareTimedBreakState>(creationOrder_);
  timedBreakRunningState_ = create<TimedBreakRunningState>(creationOrder_);
  informalBreakState_ = create<InformalBreakState>(creationOrder_);
  welcomeState_ = create<WelcomeState>(creationOrder_);
  welcomeStateCopyForPrepareTimedBreakState_ = create<WelcomeState>(creationOrder_);
  welcomeStateCopyForInformalBreakState_ = create<WelcomeState>(creationOrder_);
  softBreakState_ = create<SoftBreakState>(creationOrder_);
}

StateLinkingHelper::~StateLinkingHelper() = default;

void StateLinkingHelper::awake(StateMachine& stateMachine, qint64 launchCounter) {
  buildOrder_ = {welcomeState_.get(),
                 welcomeStateCopyForInformalBreakState_.get(),
                 welcomeStateCopyForPrepareTimedBreakState_.get(),
                 defineTimeSliceState_.get(),
                 timeSliceRunningState_.get(),
                 rateTimeSliceState_.get(),
                 pausedState_.get(),
                 prepareTimedBreakState_.get(),
                 timedBreakRunningState_.get(),
                 informalBreakState_.get(),
                 softBreakState_.get()};
  for (BaseState* state : buildOrder_)
    state->build();
  connectObjectiveBackgrounds();
  if (launchCounter == 0)
    stateMachine.setInitialState(welcomeState_.get());
  else
    stateMachine.setInitialState(defineTimeSliceState_.get());
  linkExits();
}

void StateLinkingHelper::connectObjectiveBackgrounds() {
  const auto background = [](BaseState& state) {
    return state.infoWall()->findChild<BorderedBackgroundView*>(
        QStringLiteral("objectiveBackground"));
  };
  objectiveBackgroundManager_ = std::make_unique<ObjectiveBackgroundManager>();
  objectiveBackgroundManager_->objectiveBorderedBackgroundView = background(*defineTimeSliceState_);
  objectiveBackgroundManager_->rateYourTimeSliceBorderedBackgroundView =
      background(*rateTimeSliceState_);
  objectiveBackgroundManager_->awakeFromNib();
}

void StateLinkingHelper::linkExits() {
  struct Link {
    BaseState* state;
    const char* exit;
    BaseState* successor;
  };
  const Link table[] = {
      {welcomeState_.get(), "next", defineTimeSliceState_.get()},
      {welcomeStateCopyForPrepareTimedBreakState_.get(), "next", prepareTimedBreakState_.get()},
      {welcomeStateCopyForInformalBreakState_.get(), "next", informalBreakState_.get()},
      {defineTimeSliceState_.get(), "next", timeSliceRunningState_.get()},
      {defineTimeSliceState_.get(), "timedBreak", timedBreakRunningState_.get()},
      {defineTimeSliceState_.get(), "welcome", welcomeState_.get()},
      {timeSliceRunningState_.get(), "elapsed", rateTimeSliceState_.get()},
      {timeSliceRunningState_.get(), "aborted", rateTimeSliceState_.get()},
      {timeSliceRunningState_.get(), "pause", pausedState_.get()},
      {timeSliceRunningState_.get(), "softBreak", softBreakState_.get()},
      {softBreakState_.get(), "aborted", rateTimeSliceState_.get()},
      {softBreakState_.get(), "elapsed", rateTimeSliceState_.get()},
      {softBreakState_.get(), "finish", rateTimeSliceState_.get()},
      {softBreakState_.get(), "extend", timeSliceRunningState_.get()},
      {pausedState_.get(), "continueTimeSlice", timeSliceRunningState_.get()},
      {pausedState_.get(), "abort", defineTimeSliceState_.get()},
      {pausedState_.get(), "finish", rateTimeSliceState_.get()},
      {rateTimeSliceState_.get(), "next", prepareTimedBreakState_.get()},
      {rateTimeSliceState_.get(), "extend", timeSliceRunningState_.get()},
      {rateTimeSliceState_.get(), "skipLogging", prepareTimedBreakState_.get()},
      {prepareTimedBreakState_.get(), "next", timedBreakRunningState_.get()},
      {prepareTimedBreakState_.get(), "informalBreak", informalBreakState_.get()},
      {prepareTimedBreakState_.get(), "nextTimeSlice", defineTimeSliceState_.get()},
      {prepareTimedBreakState_.get(), "welcome", welcomeStateCopyForPrepareTimedBreakState_.get()},
      {informalBreakState_.get(), "next", defineTimeSliceState_.get()},
      {informalBreakState_.get(), "welcome", welcomeStateCopyForInformalBreakState_.get()},
      {timedBreakRunningState_.get(), "aborted", defineTimeSliceState_.get()},
      {timedBreakRunningState_.get(), "elapsed", defineTimeSliceState_.get()},
  };
  for (const Link& link : table)
    link.state->setExit(QString::fromLatin1(link.exit), link.successor);
}

} // namespace kr
