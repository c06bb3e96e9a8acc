#pragma once

#include <QString>

namespace kr {

// Whether global shortcuts can work here. The desktop asks for no permission
// on Linux: they work exactly when a hot-key back end works (not on Wayland).
class InputMonitoringHelper {
public:
  static bool inputMonitoringAvailable();
  // Nothing to ask for on Linux.
  static void requestAccess() {}
  // The Shortcuts pane's line saying whether and how far global shortcuts
  // work: inputMonitoringAvailable() and the back end's notice.
  static QString availabilityText();
};

} // namespace kr
