#pragma once

#include "platform/services/TaskManagerBridge.h"

#include <QStringList>

namespace kr {

class UserDefaults;

// Marks the tasks linked from a completed slice's objective as done in the
// task managers the user enabled. The objective comes in as the link texts of
// its runs (one entry per run carrying a link, in text order). Identifiers are
// checked before they go anywhere: only letters, digits, ".", "_" and "-".
class TaskManagerMarker {
public:
  static const QString kThingsPrefix;
  static const QString kOmniFocusPrefix;
  static const QString kTheHitListPrefix;

  TaskManagerMarker(TaskManagerBridge& bridge, const UserDefaults& defaults);

  void performThingsMarking(const QStringList& linkRuns);
  void performOmniFocusMarking(const QStringList& linkRuns);
  void performTheHitListMarking(const QStringList& linkRuns);

  // The links that begin with the prefix, once per run.
  static QStringList findLinks(const QStringList& linkRuns, const QString& prefix);
  // The identifier after the prefix, or empty when it is not a safe identifier.
  static QString identifierOfLink(const QString& link, const QString& prefix);
  // Whether a task manager's identifier may go into a link and a script.
  static bool isSafeIdentifier(const QString& identifier);
  static QString omniFocusScript(const QString& identifier);
  static void
  recursivelyExtractAllTasksFromTheHitList(const TaskManagerBridge::HitListObject& group,
                                           QList<TaskManagerBridge::HitListObject>& list);

private:
  TaskManagerBridge& bridge_;
  const UserDefaults& defaults_;
};

} // namespace kr
