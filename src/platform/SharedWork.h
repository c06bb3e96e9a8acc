#pragma once

#include <functional>

namespace kr {

// Runs `work` on the calling thread and on up to `threads - 1` helper threads
// named `name`, and returns once every run has returned. Each run takes its
// share of a common job list until none is left. Where the system gives no
// more threads, the runs already going share the rest.
void shareAmongThreads(int threads, const char* name, const std::function<void()>& work);

} // namespace kr
