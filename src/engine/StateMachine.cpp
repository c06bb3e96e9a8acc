#include "engine/StateMachine.h"

#include "engine/Clock.h"
#include "engine/EngineLog.h"
#include "engine/StateBase.h"
#include "platform/FatalError.h"
#include "platform/QnLog.h"

namespace kr {

namespace {
StateMachine* sharedMachine = nullptr;

void activateChecked(StateBase& state) {
  state.setSuperClassCalledFlag(false);
  state.activate();
  KR_ASSERT(
      state.superClassCalledFlag(),
      QStringLiteral("%1 class does not call [super activate] correctly").arg(state.className()));
}

void deactivateChecked(StateBase& state) {
  state.setSuperClassCalledFlag(false);
  state.deactivate();
  KR_ASSERT(
      state.superClassCalledFlag(),
      QStringLiteral("%1 class does not call [super deactivate] correctly").arg(state.className()));
}
} // namespace

StateMachine::StateMachine() : lastTransitionTime_(Clock::now()) {
  if (!sharedMachine)
    sharedMachine = this;
}

StateMachine::~StateMachine() {
  if (sharedMachine == this)
    sharedMachine = nullptr;
}

StateMachine& StateMachine::sharedStateMachine() {
  KR_ASSERT(sharedMachine != nullptr, QStringLiteral("there is no state machine"));
  return *sharedMachine;
}

void StateMachine::start() {
  KR_ASSERT(initialState_ != nullptr, QStringLiteral("StateMachine started without initial state"));
  KR_ASSERT(currentState_ == nullptr, QStringLiteral("StateMachine started twice"));
  currentState_ = initialState_;
  ++activations_;
  activateChecked(*currentState_);
  reconfigureResponderChain();
}

void StateMachine::triggerTransition(const QString& name) {
  KR_ASSERT(currentState_ != nullptr,
            QStringLiteral("[StateMachine triggerTransition: '%1'] - the machine has not started")
                .arg(name));
  StateBase& old = *currentState_;
  qn_log(QStringLiteral("StateMachine: trigger transition: %1 of state: %2")
             .arg(name, old.description()));
  // The successor is found before the current state lets go, so that a name
  // it does not link leaves it as it was.
  bool declared = false;
  StateBase* target = old.exitNamed(name, &declared);
  if (!declared) {
    platformLog(
        QStringLiteral("triggerTransition Exception (see below for details): %1 has no exit "
                       "named '%2'")
            .arg(old.className(), name));
  }
  if (!target) {
    qCCritical(lcEngine).noquote()
        << QStringLiteral("[StateMachine triggerTransition: '%1'] - transition target state is "
                          "not defined! %2 stays the current state")
               .arg(name, old.className());
    return;
  }

  lastTransitionTime_ = Clock::now();
  deactivateChecked(old);
  currentState_ = target;
  ++activations_;
  activateChecked(*target);
  reconfigureResponderChain();
  qn_log(QStringLiteral("StateMachine: now in new state: %1").arg(currentState_->description()));
}

AskedAbout StateMachine::currentActivation() {
  const auto identity = [] {
    if (!sharedMachine)
      return QVariant();
    return identityOf(reinterpret_cast<quintptr>(sharedMachine),
                      reinterpret_cast<quintptr>(sharedMachine->currentState_),
                      sharedMachine->activations_);
  };
  return AskedAbout(QStringLiteral("The page"), identity);
}

double StateMachine::timeIntervalSinceLastTransition() const {
  return Clock::now() - lastTransitionTime_;
}

void StateMachine::reconfigureResponderChain() { setNextResponder(currentState_); }

} // namespace kr
