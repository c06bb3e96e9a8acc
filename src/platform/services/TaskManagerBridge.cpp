#include "platform/services/TaskManagerBridge.h"

#include "platform/services/UnavailableTaskManagerBridge.h"

namespace kr {

std::unique_ptr<TaskManagerBridge> TaskManagerBridge::create() {
  return std::make_unique<UnavailableTaskManagerBridge>();
}

QString TaskManagerBridge::applicationName(Application application) {
  switch (application) {
  case Application::Things:
    return QStringLiteral("Things");
  case Application::OmniFocus:
    return QStringLiteral("OmniFocus");
  case Application::TheHitList:
    return QStringLiteral("The Hit List");
  }
  return QString();
}

} // namespace kr
