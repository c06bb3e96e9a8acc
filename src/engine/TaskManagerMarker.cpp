#include "engine/TaskManagerMarker.h"

#include "engine/EngineLog.h"
#include "platform/ConsoleText.h"
#include "platform/QnLog.h"
#include "platform/settings/UserDefaults.h"

#include <QRegularExpression>

namespace kr {

using Application = TaskManagerBridge::Application;
using HitListObject = TaskManagerBridge::HitListObject;

const QString TaskManagerMarker::kThingsPrefix = QStringLiteral("korvaner2things://");
const QString TaskManagerMarker::kOmniFocusPrefix = QStringLiteral("omnifocus:///task/");
const QString TaskManagerMarker::kTheHitListPrefix = QStringLiteral("thehitlist:///");

TaskManagerMarker::TaskManagerMarker(TaskManagerBridge& bridge, const UserDefaults& defaults)
    : bridge_(bridge), defaults_(defaults) {}

QStringList TaskManagerMarker::findLinks(const QStringList& linkRuns, const QString& prefix) {
  QStringList links;
  for (const QString& link : linkRuns) {
    qn_log(QStringLiteral("absoluteString:%1").arg(link));
    if (link.startsWith(prefix)) {
      qn_log(QStringLiteral("link detected: %1").arg(link));
      links << link;
    }
  }
  return links;
}

bool TaskManagerMarker::isSafeIdentifier(const QString& identifier) {
  static const QRegularExpression safe(QStringLiteral("^[A-Za-z0-9._-]{1,200}$"));
  return safe.match(identifier).hasMatch();
}

QString TaskManagerMarker::identifierOfLink(const QString& link, const QString& prefix) {
  const QString identifier = link.mid(prefix.size());
  if (isSafeIdentifier(identifier))
    return identifier;
  qCWarning(lcEngine).noquote() << QStringLiteral(
                                       "ignoring a task link with an unusable identifier: %1")
                                       .arg(consoleSafe(link));
  return QString();
}

QString TaskManagerMarker::omniFocusScript(const QString& identifier) {
  return QStringLiteral("tell application \"OmniFocus\"\n") +
         QStringLiteral("tell default document\n") +
         QStringLiteral("set t_ask to task id \"%1\"\n").arg(identifier) +
         QStringLiteral("mark complete t_ask\n") + QStringLiteral("end tell\n") +
         QStringLiteral("end tell\n");
}

void TaskManagerMarker::performThingsMarking(const QStringList& linkRuns) {
  const bool complete = defaults_.boolValue(QStringLiteral("thingsIntegrationToDoCompletion"));
  const bool moveToLogBook = defaults_.boolValue(QStringLiteral("thingsIntegrationMoveToLogBook"));
  if (!complete && !moveToLogBook)
    return;
  const QStringList links = findLinks(linkRuns, kThingsPrefix);
  if (links.isEmpty())
    return;
  QString reason;
  if (!bridge_.findApplication(Application::Things, &reason)) {
    qn_log(QStringLiteral("Things 3 not found!"));
    qn_log(reason);
    return;
  }
  qn_log(
      QStringLiteral("status: %1").arg(bridge_.requestAutomationPermission(Application::Things)));
  if (!bridge_.isRunning(Application::Things))
    bridge_.activate(Application::Things);
  for (const QString& link : links) {
    const QString identifier = identifierOfLink(link, kThingsPrefix);
    if (identifier.isEmpty() || !bridge_.thingsHasToDo(identifier))
      continue;
    if (complete)
      bridge_.thingsMarkToDoCompleted(identifier);
    if (moveToLogBook)
      bridge_.thingsMoveToDoToList(identifier, QStringLiteral("LogBook"));
  }
}

void TaskManagerMarker::performOmniFocusMarking(const QStringList& linkRuns) {
  if (!defaults_.boolValue(QStringLiteral("omnifocusIntegration")))
    return;
  for (const QString& link : findLinks(linkRuns, kOmniFocusPrefix)) {
    const QString identifier = identifierOfLink(link, kOmniFocusPrefix);
    if (identifier.isEmpty())
      continue;
    qn_log(QStringLiteral("try unticking: %1").arg(link));
    const QString script = omniFocusScript(identifier);
    qn_log(script);
    QString errorInfo;
    bridge_.runScript(Application::OmniFocus, script, &errorInfo);
    qn_log(QStringLiteral("result = %1")
               .arg(errorInfo.isEmpty() ? QStringLiteral("(null)") : errorInfo));
  }
}

void TaskManagerMarker::performTheHitListMarking(const QStringList& linkRuns) {
  if (!defaults_.boolValue(QStringLiteral("theHitListIntegration")))
    return;
  for (const QString& link : findLinks(linkRuns, kTheHitListPrefix)) {
    const QString identifier = identifierOfLink(link, kTheHitListPrefix);
    if (identifier.isEmpty())
      continue;
    QString reason;
    if (!bridge_.findApplication(Application::TheHitList, &reason)) {
      qn_log(reason);
      continue;
    }
    if (!bridge_.isRunning(Application::TheHitList))
      bridge_.activate(Application::TheHitList);
    if (!bridge_.isRunning(Application::TheHitList))
      continue;
    QList<HitListObject> tasks;
    recursivelyExtractAllTasksFromTheHitList(bridge_.theHitListInbox(), tasks);
    recursivelyExtractAllTasksFromTheHitList(bridge_.theHitListFoldersGroup(), tasks);
    for (const HitListObject& task : tasks)
      qn_log(QStringLiteral("%1\t%2\t%3").arg(task.title, task.identifier, task.className));
    for (const HitListObject& task : tasks) {
      if (task.identifier == identifier) {
        bridge_.theHitListMarkTaskCompleted(identifier);
        break;
      }
    }
  }
}

void TaskManagerMarker::recursivelyExtractAllTasksFromTheHitList(const HitListObject& group,
                                                                 QList<HitListObject>& list) {
  if (group.className == QStringLiteral("TheHitListFolder")) {
    for (const HitListObject& child : group.groups)
      recursivelyExtractAllTasksFromTheHitList(child, list);
  } else if (group.className == QStringLiteral("TheHitListList")) {
    for (const HitListObject& task : group.tasks) {
      list << task;
      for (const HitListObject& subtask : task.tasks)
        list << subtask;
    }
  }
}

} // namespace kr
