#pragma once

#include "engine/StateExits.h"
#include "platform/Responder.h"

#include <QString>

namespace kr {

// What StateMachine needs of a state of the work cycle. The states' own base
// class builds on this one. A state stands in the responder chain behind the
// machine while it is current, so the actions it registers reach it then.
class StateBase : public Responder {
public:
  StateBase() = default;
  ~StateBase() override = default;

  // Overrides must call the base implementation; StateMachine checks this
  // through superClassCalledFlag() and stops the program otherwise.
  virtual void activate();
  virtual void deactivate();

  bool superClassCalledFlag() const { return superClassCalledFlag_; }
  void setSuperClassCalledFlag(bool flag) { superClassCalledFlag_ = flag; }

  // The named exits of the state's class (none in the base).
  virtual const StateExits& exits() const;
  // The successor held under a transition name, or none (also when the class
  // has no such exit: `declared` tells the two apart).
  StateBase* exitNamed(const QString& name, bool* declared = nullptr) const;
  // Links an exit; a name the class does not declare stops the program.
  void setExit(const QString& name, StateBase* successor);

  // The class name without namespace, as messages show it.
  QString className() const;
  virtual QString description() const { return className(); }

private:
  bool superClassCalledFlag_ = false;
};

} // namespace kr
