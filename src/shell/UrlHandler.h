#pragma once

#include <QString>

namespace kr {

class TaskManagerBridge;

// Handles the links sent to the application ("korvaner2things://<to-do>"),
// which the pads write for to-dos dropped from Things. Nothing is reported to
// the user: a missing Things or to-do only gives console lines.
class UrlHandler {
public:
  static const QString kScheme;

  explicit UrlHandler(TaskManagerBridge& bridge) : bridge_(bridge) {}

  void getUrl(const QString& url);

private:
  TaskManagerBridge& bridge_;
};

} // namespace kr
