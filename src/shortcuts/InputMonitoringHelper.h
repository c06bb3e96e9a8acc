#pragma once

namespace kr {

// Whether global shortcuts can work here. The desktop asks for no permission
// on Linux: they work exactly when a hot-key back end works.
class InputMonitoringHelper {
public:
  static bool inputMonitoringAvailable();
  // Nothing to ask for on Linux.
  static void requestAccess() {}
};

} // namespace kr
