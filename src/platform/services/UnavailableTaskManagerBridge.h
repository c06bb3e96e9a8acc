#pragma once

#include "platform/services/TaskManagerBridge.h"

namespace kr {

// The bridge on Linux: the task managers do not run here. Every lookup fails
// with a reason, nothing is launched and nothing is reported as done.
class UnavailableTaskManagerBridge final : public TaskManagerBridge {
public:
  static QString unavailableReason(Application application);

  bool findApplication(Application application, QString* reason) override;
  int requestAutomationPermission(Application) override { return -1; }
  bool isRunning(Application) override { return false; }
  void activate(Application) override {}
  bool thingsHasToDo(const QString&) override { return false; }
  void thingsMarkToDoCompleted(const QString&) override {}
  void thingsMoveToDoToList(const QString&, const QString&) override {}
  bool runScript(Application application, const QString& source, QString* errorInfo) override;
  HitListObject theHitListInbox() override { return {}; }
  HitListObject theHitListFoldersGroup() override { return {}; }
  void theHitListMarkTaskCompleted(const QString&) override {}
};

} // namespace kr
