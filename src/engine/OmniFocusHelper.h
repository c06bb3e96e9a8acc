#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace kr {

// Reads a task dragged from the task manager OmniFocus: its XML names the
// task's identifier, its estimated minutes and its contexts. Only the paths
// "/omnifocus/task/estimated-minutes" and "/omnifocus/context/name" count;
// blanks are removed from what they hold. A text that is not well-formed
// keeps what was read before the fault.
class OmniFocusHelper {
public:
  // Nothing for bytes that are not UTF-8.
  static std::optional<OmniFocusHelper> parseTaskInfo(const QByteArray& xml);
  // Nothing for a text that cannot be written as UTF-8 (a lone surrogate).
  static std::optional<OmniFocusHelper> parseTaskInfo(const QString& xml);

  // The "id" of the last "task" element; none when it had no "id".
  const std::optional<QString>& taskID() const { return taskID_; }
  const std::optional<int>& estimatedMinutes() const { return estimatedMinutes_; }
  // The estimated minutes, 0 when absent.
  int estimatedMinutesAsInt() const { return estimatedMinutes_.value_or(0); }
  const QStringList& contextNames() const { return contextNames_; }
  void setContextNames(const QStringList& names) { contextNames_ = names; }

private:
  void parse(const QByteArray& utf8);

  std::optional<QString> taskID_;
  std::optional<int> estimatedMinutes_;
  QStringList contextNames_;
};

} // namespace kr
