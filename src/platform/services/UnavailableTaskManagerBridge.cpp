#include "platform/services/UnavailableTaskManagerBridge.h"

namespace kr {

QString UnavailableTaskManagerBridge::unavailableReason(Application application) {
  return QStringLiteral("%1 is not available on Linux").arg(applicationName(application));
}

bool UnavailableTaskManagerBridge::findApplication(Application application, QString* reason) {
  if (reason)
    *reason = unavailableReason(application);
  return false;
}

bool UnavailableTaskManagerBridge::runScript(Application application, const QString&,
                                             QString* errorInfo) {
  if (errorInfo)
    *errorInfo = unavailableReason(application);
  return false;
}

} // namespace kr
