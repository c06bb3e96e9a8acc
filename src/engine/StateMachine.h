#pragma once

#include "platform/Responder.h"
#include "platform/services/AskedAbout.h"

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
  // A name the current state does not link is a fault of the program that
  // must not end it: it is logged as critical, and the state stays current
  // and active.
  void triggerTransition(const QString& name);

  // The current state's present activation, for a question that the state
  // asks: it holds while no transition has happened since, not even one
  // back to the same state.
  static AskedAbout currentActivation();

  // Clock seconds since the start of the last transition (or since creation).
  double timeIntervalSinceLastTransition() const;
  double lastTransitionTime() const { return lastTransitionTime_; }

private:
  void reconfigureResponderChain();

  StateBase* currentState_ = nullptr;
  StateBase* initialState_ = nullptr;
  double lastTransitionTime_;
  // Counts the activations, so that a state left and entered again is told
  // from the activation before.
  quint64 activations_ = 0;
};

} // namespace kr
