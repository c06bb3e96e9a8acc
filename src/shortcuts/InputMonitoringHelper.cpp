#include "shortcuts/InputMonitoringHelper.h"

#include "shortcuts/HotKeyCenter.h"

namespace kr {

bool InputMonitoringHelper::inputMonitoringAvailable() {
  return HotKeyCenter::shared().backend().isAvailable();
}

QString InputMonitoringHelper::availabilityText() {
  const QString notice = HotKeyCenter::shared().backend().notice();
  if (inputMonitoringAvailable()) {
    // Available with a limit (XWayland): the notice says which.
    return notice.isEmpty() ? QStringLiteral("These shortcuts work in every program.") : notice;
  }
  return (notice.isEmpty() ? QStringLiteral("Global shortcuts are not available here.") : notice) +
         QStringLiteral(" The shortcuts still work in the Korvane-R window.");
}

} // namespace kr
