#include "states/AppDelegateAPI.h"

namespace kr {

namespace {
AppDelegateAPI* installedDelegate = nullptr;
} // namespace

AppDelegateAPI* AppDelegateAPI::installed() { return installedDelegate; }

void AppDelegateAPI::install(AppDelegateAPI* delegate) { installedDelegate = delegate; }

} // namespace kr
