#include "platform/Responder.h"

#include "platform/FatalError.h"

namespace kr {

namespace {
// Far more links than any chain of the application has: a longer walk means
// the chain loops back on itself.
constexpr int kMaximumChainLength = 64;
} // namespace

void Responder::setNextResponder(Responder* next) {
  for (Responder* r = next; r; r = r->next_)
    KR_ASSERT(r != this, QStringLiteral("a responder cannot follow itself in the responder chain"));
  next_ = next;
}

bool Responder::tryToPerform(const QString& action) {
  int links = 0;
  for (Responder* r = this; r; r = r->next_) {
    KR_ASSERT(++links <= kMaximumChainLength, QStringLiteral("the responder chain is too long"));
    if (r->respondsToAction(action)) {
      r->performAction(action);
      return true;
    }
  }
  return false;
}

bool Responder::canPerform(const QString& action) const {
  int links = 0;
  for (const Responder* r = this; r; r = r->next_) {
    KR_ASSERT(++links <= kMaximumChainLength, QStringLiteral("the responder chain is too long"));
    if (r->respondsToAction(action))
      return r->validateAction(action);
  }
  return false;
}

bool Responder::validateAction(const QString&) const { return true; }

bool Responder::respondsToAction(const QString& action) const {
  return actions_.find(action) != actions_.end();
}

void Responder::performAction(const QString& action) {
  auto it = actions_.find(action);
  if (it == actions_.end())
    return;
  Action handler = it->second; // the handler may replace its own entry
  handler();
}

void Responder::addAction(const QString& action, Action handler) {
  actions_[action] = std::move(handler);
}

} // namespace kr
