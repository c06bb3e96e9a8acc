#include "shortcuts/InputMonitoringHelper.h"

#include "shortcuts/HotKeyCenter.h"

namespace kr {

bool InputMonitoringHelper::inputMonitoringAvailable() {
  return HotKeyCenter::shared().backend().isAvailable();
}

} // namespace kr
