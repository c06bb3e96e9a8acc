#pragma once

#include <QList>
#include <QString>

#include <memory>

namespace kr {

// The scripting interface of the task managers whose tasks an objective can
// link to. Each call is one request to the other application; the caller
// decides the order. None of these applications exists on Linux, so the
// application's bridge reports them unavailable (see create()).
class TaskManagerBridge {
public:
  enum class Application { Things, OmniFocus, TheHitList };

  // A group or task of The Hit List, already resolved.
  struct HitListObject {
    QString className;
    QString title;
    QString identifier;
    QList<HitListObject> groups;
    QList<HitListObject> tasks;
  };

  virtual ~TaskManagerBridge() = default;

  // The bridge of this system.
  static std::unique_ptr<TaskManagerBridge> create();
  static QString applicationName(Application application);

  // Looks the application up; false, with the reason, when it cannot be reached.
  virtual bool findApplication(Application application, QString* reason) = 0;
  // Asks whether this program may automate the application; the answer is a
  // platform status code that is only logged.
  virtual int requestAutomationPermission(Application application) = 0;
  virtual bool isRunning(Application application) = 0;
  virtual void activate(Application application) = 0;

  // Things
  virtual bool thingsHasToDo(const QString& identifier) = 0;
  virtual void thingsMarkToDoCompleted(const QString& identifier) = 0;
  virtual void thingsMoveToDoToList(const QString& identifier, const QString& listName) = 0;

  // Compiles and runs a script for the application (OmniFocus). False, with
  // the error information, when it fails.
  virtual bool runScript(Application application, const QString& source, QString* errorInfo) = 0;

  // The Hit List
  virtual HitListObject theHitListInbox() = 0;
  virtual HitListObject theHitListFoldersGroup() = 0;
  virtual void theHitListMarkTaskCompleted(const QString& identifier) = 0;
};

} // namespace kr
