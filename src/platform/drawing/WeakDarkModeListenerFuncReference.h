#pragma once

#include <functional>

namespace kr {

// One listener for appearance changes. MacOSVersion holds it weakly: the
// listener lives as long as its owner keeps the shared pointer it was given.
struct WeakDarkModeListenerFuncReference {
  std::function<void(bool isDark)> reference;
};

} // namespace kr
