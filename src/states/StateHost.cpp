#include "states/StateHost.h"

#include "platform/FatalError.h"

namespace kr {

namespace {
StateHost* installedHost = nullptr;
} // namespace

StateHost& StateHost::instance() {
  KR_ASSERT(installedHost != nullptr, QStringLiteral("no state host is installed"));
  return *installedHost;
}

bool StateHost::isInstalled() { return installedHost != nullptr; }

void StateHost::install(StateHost* host) { installedHost = host; }

} // namespace kr
