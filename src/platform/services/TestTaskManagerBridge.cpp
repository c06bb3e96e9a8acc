#include "platform/services/TestTaskManagerBridge.h"

namespace kr {

bool TestTaskManagerBridge::findApplication(Application application, QString* reason) {
  journal << QStringLiteral("find %1").arg(applicationName(application));
  if (installed.contains(application))
    return true;
  if (reason)
    *reason = QStringLiteral("%1 is not installed").arg(applicationName(application));
  return false;
}

int TestTaskManagerBridge::requestAutomationPermission(Application application) {
  journal << QStringLiteral("permission %1").arg(applicationName(application));
  return 0;
}

bool TestTaskManagerBridge::isRunning(Application application) {
  journal << QStringLiteral("isRunning %1").arg(applicationName(application));
  return running.contains(application);
}

void TestTaskManagerBridge::activate(Application application) {
  journal << QStringLiteral("activate %1").arg(applicationName(application));
  if (installed.contains(application) && activationStartsApplication)
    running.insert(application);
}

bool TestTaskManagerBridge::thingsHasToDo(const QString& identifier) {
  journal << QStringLiteral("lookup %1").arg(identifier);
  return thingsToDos.contains(identifier);
}

void TestTaskManagerBridge::thingsMarkToDoCompleted(const QString& identifier) {
  journal << QStringLiteral("complete %1").arg(identifier);
}

void TestTaskManagerBridge::thingsMoveToDoToList(const QString& identifier,
                                                 const QString& listName) {
  journal << QStringLiteral("move %1 to %2").arg(identifier, listName);
}

bool TestTaskManagerBridge::runScript(Application application, const QString& source,
                                      QString* errorInfo) {
  journal << QStringLiteral("script %1: %2").arg(applicationName(application), source);
  if (scriptError.isEmpty())
    return true;
  if (errorInfo)
    *errorInfo = scriptError;
  return false;
}

TaskManagerBridge::HitListObject TestTaskManagerBridge::theHitListInbox() {
  journal << QStringLiteral("inbox");
  return inbox;
}

TaskManagerBridge::HitListObject TestTaskManagerBridge::theHitListFoldersGroup() {
  journal << QStringLiteral("foldersGroup");
  return foldersGroup;
}

void TestTaskManagerBridge::theHitListMarkTaskCompleted(const QString& identifier) {
  journal << QStringLiteral("complete %1").arg(identifier);
}

} // namespace kr
