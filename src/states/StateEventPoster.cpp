#include "states/StateEventPoster.h"

#include "platform/FatalError.h"

namespace kr {

namespace {
StateEventPoster* installedPoster = nullptr;
} // namespace

StateEventPoster& StateEventPoster::instance() {
  KR_ASSERT(installedPoster != nullptr, QStringLiteral("no notification centre is installed"));
  return *installedPoster;
}

void StateEventPoster::install(StateEventPoster* poster) { installedPoster = poster; }

} // namespace kr
