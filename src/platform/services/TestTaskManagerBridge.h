#pragma once

#include "platform/services/TaskManagerBridge.h"

#include <QSet>
#include <QStringList>

namespace kr {

// A bridge for tests: applications that exist and run as configured, to-dos
// and tasks held in memory, and a journal of every call in order
// ("activate Things", "complete ABC", "script ...").
class TestTaskManagerBridge final : public TaskManagerBridge {
public:
  bool findApplication(Application application, QString* reason) override;
  int requestAutomationPermission(Application application) override;
  bool isRunning(Application application) override;
  void activate(Application application) override;
  bool thingsHasToDo(const QString& identifier) override;
  void thingsMarkToDoCompleted(const QString& identifier) override;
  void thingsMoveToDoToList(const QString& identifier, const QString& listName) override;
  bool runScript(Application application, const QString& source, QString* errorInfo) override;
  HitListObject theHitListInbox() override;
  HitListObject theHitListFoldersGroup() override;
  void theHitListMarkTaskCompleted(const QString& identifier) override;

  QSet<Application> installed;
  QSet<Application> running;
  // Whether activating an installed application brings it up.
  bool activationStartsApplication = true;
  QSet<QString> thingsToDos;
  QString scriptError;
  HitListObject inbox;
  HitListObject foldersGroup;
  QStringList journal;
};

} // namespace kr
