#pragma once

#include <QtGlobal>

#include <functional>
#include <memory>
#include <vector>

namespace kr {

class BaseState;
class ObjectiveBackgroundManager;
class DefineTimeSliceState;
class InformalBreakState;
class PausedState;
class PrepareTimedBreakState;
class RateTimeSliceState;
class SoftBreakState;
class StateMachine;
class TimeSliceRunningState;
class TimedBreakRunningState;
class WelcomeState;

// Creates the eleven state objects of the work cycle, builds their pages,
// links every named exit to its successor and chooses the initial state.
// Lives for the whole run and owns the states.
class StateLinkingHelper {
public:
  // The steps that must run before any state exists (registering the
  // settings the states read), in order.
  explicit StateLinkingHelper(const std::vector<std::function<void()>>& preparations = {});
  ~StateLinkingHelper();
  StateLinkingHelper(const StateLinkingHelper&) = delete;
  StateLinkingHelper& operator=(const StateLinkingHelper&) = delete;

  // Builds every page, sets the initial state of the machine (the welcome
  // state while the launch counter is 0, otherwise the define state) and
  // links the exits.
  void awake(StateMachine& stateMachine, qint64 launchCounter);

  WelcomeState& welcomeState() const { return *welcomeState_; }
  WelcomeState& welcomeStateCopyForPrepareTimedBreakState() const {
    return *welcomeStateCopyForPrepareTimedBreakState_;
  }
  WelcomeState& welcomeStateCopyForInformalBreakState() const {
    return *welcomeStateCopyForInformalBreakState_;
  }
  DefineTimeSliceState& defineTimeSliceState() const { return *defineTimeSliceState_; }
  TimeSliceRunningState& timeSliceRunningState() const { return *timeSliceRunningState_; }
  RateTimeSliceState& rateTimeSliceState() const { return *rateTimeSliceState_; }
  PausedState& pausedState() const { return *pausedState_; }
  PrepareTimedBreakState& prepareTimedBreakState() const { return *prepareTimedBreakState_; }
  TimedBreakRunningState& timedBreakRunningState() const { return *timedBreakRunningState_; }
  InformalBreakState& informalBreakState() const { return *informalBreakState_; }
  SoftBreakState& softBreakState() const { return *softBreakState_; }

  // The states in the order they were created and in the order their pages
  // were built.
  const std::vector<BaseState*>& creationOrder() const { return creationOrder_; }
  const std::vector<BaseState*>& buildOrder() const { return buildOrder_; }

  // Colours the define and rating pages' objective backgrounds as the
  // setting changes; made with the pages.
  ObjectiveBackgroundManager* objectiveBackgroundManager() const {
    return objectiveBackgroundManager_.get();
  }

private:
  void linkExits();
  void connectObjectiveBackgrounds();

  std::unique_ptr<WelcomeState> welcomeState_;
  std::unique_ptr<WelcomeState> welcomeStateCopyForPrepareTimedBreakState_;
  std::unique_ptr<WelcomeState> welcomeStateCopyForInformalBreakState_;
  std::unique_ptr<DefineTimeSliceState> defineTimeSliceState_;
  std::unique_ptr<TimeSliceRunningState> timeSliceRunningState_;
  std::unique_ptr<RateTimeSliceState> rateTimeSliceState_;
  std::unique_ptr<PausedState> pausedState_;
  std::unique_ptr<PrepareTimedBreakState> prepareTimedBreakState_;
  std::unique_ptr<TimedBreakRunningState> timedBreakRunningState_;
  std::unique_ptr<InformalBreakState> informalBreakState_;
  std::unique_ptr<SoftBreakState> softBreakState_;
  std::unique_ptr<ObjectiveBackgroundManager> objectiveBackgroundManager_;
  std::vector<BaseState*> creationOrder_;
  std::vector<BaseState*> buildOrder_;
};

} // namespace kr
