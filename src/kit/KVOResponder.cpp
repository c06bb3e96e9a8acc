#include "kit/KVOResponder.h"

#include "kit/EndOfLifeBag.h"
#include "platform/FatalError.h"
#include "platform/settings/UserDefaults.h"

namespace kr {

KVOResponder::KVOResponder(const QString& keyPath, UserDefaults* object, ReactingFunc reactingFunc)
    : keyPath_(keyPath), observedObject_(object), endOfLifeBag_(std::make_unique<EndOfLifeBag>()),
      reactingFunc_(std::move(reactingFunc)) {
  KR_ASSERT(object, QStringLiteral("KVOResponder needs an object to observe"));
  connection_ = connect(object, &UserDefaults::changed, this, &KVOResponder::observeValue);
  // The bag ends the observation; it refers to the responder without owning it.
  endOfLifeBag_->add([this] {
    disconnect(connection_);
    connection_ = {};
  });
}

KVOResponder::~KVOResponder() { endOfLifeBag_.reset(); }

void KVOResponder::observeValue(const QString& keyPath) {
  if (keyPath != keyPath_ || !observedObject_ || !reactingFunc_)
    return;
  reactingFunc_(observedObject_, keyPath_);
}

} // namespace kr
