#pragma once

#include "platform/Responder.h"

#include <QString>

namespace kr {

class StateBase;

// The process-wide machine over the states of the work cycle. Exactly one
// state is current after start(); a state hands over only by asking for a
// transition by name. The machine stands in the responder chain behind the
// main controller, and the current state stands behind the machine.
class StateMachine final : public Responder {
public:
  // The first machine made becomes the shared one until it is destroyed.
  StateMachine();
  ~StateMachine() override;

  // Stops the program when no machine exists.
  static StateMachine& sharedStateMachine();

  StateBase* currentState() const { return currentState_; }
  StateBase* initialState() const { return initialState_; }
  void setInitialState(StateBase* state) { initialState_ = state; }

  // Activates the initial state; called once at launch.
  void start();
  // Deactivates the current state, activates the successor it holds under the
  // name and puts that successor behind the machine in the responder chain.
  // An unknown or unlinked name stops the program.
  void triggerTransition(const QString& name);

  // Clock seconds since the start of the last transition (or since creation).
  double timeIntervalSinceLastTransition() const;
  double lastTransitionTime() const { return lastTransitionTime_; }

private:
  void reconfigureResponderChain();

  StateBase* currentState_ = nullptr;
  StateBase* initialState_ = nullptr;
  double lastTransitionTime_;
};

} // namespace kr
