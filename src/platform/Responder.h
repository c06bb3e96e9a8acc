#pragma once

#include <QString>

#include <functional>
#include <map>

namespace kr {

// A link of the responder chain. Commands from menus, hot keys and buttons are
// sent by name; the chain passes each one along until a responder that knows
// the action performs it. The application's chain runs from the main
// controller to the state machine and from there to the current state only.
class Responder {
public:
  using Action = std::function<void()>;

  Responder() = default;
  virtual ~Responder() = default;
  Responder(const Responder&) = delete;
  Responder& operator=(const Responder&) = delete;

  // Not owned: the next responder must outlive this link or be replaced first.
  Responder* nextResponder() const { return next_; }
  void setNextResponder(Responder* next);

  // Performs the action here or hands it down the chain. Returns false when no
  // responder of the chain knows it; nothing happens then.
  bool tryToPerform(const QString& action);

  // Whether this responder itself (not the rest of the chain) handles the action.
  virtual bool respondsToAction(const QString& action) const;

  // Whether tryToPerform() would do something now: the first responder of the
  // chain that knows the action decides (validateAction()). Menus disable the
  // items whose actions it refuses.
  bool canPerform(const QString& action) const;

protected:
  // Whether an action this responder handles would do something now; true
  // unless a responder says otherwise.
  virtual bool validateAction(const QString& action) const;

  // Runs an action this responder handles (respondsToAction() was true).
  virtual void performAction(const QString& action);

  // Registers the handler of a named action; a later registration replaces it.
  void addAction(const QString& action, Action handler);

private:
  Responder* next_ = nullptr;
  std::map<QString, Action> actions_;
};

} // namespace kr
