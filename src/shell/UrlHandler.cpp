#include "shell/UrlHandler.h"

#include "platform/QnLog.h"
#include "platform/services/TaskManagerBridge.h"

#include <QCoreApplication>

namespace kr {

const QString UrlHandler::kScheme = QStringLiteral("korvaner2things");

void UrlHandler::getUrl(const QString& url) {
  qn_log(QStringLiteral("%1 %2").arg(QStringLiteral("getUrl [started]"),
                                     QCoreApplication::applicationDirPath()));
  if (url.startsWith(kScheme)) {
    const QString marker = kScheme + QStringLiteral("://");
    const qsizetype at = url.indexOf(marker);
    const QString identifier = at < 0 ? url : url.mid(at + marker.size());
    QString reason;
    if (!bridge_.findApplication(TaskManagerBridge::Application::Things, &reason)) {
      qn_log(QStringLiteral("could not find Things application"));
      platformLog(QStringLiteral("The to-do \"%1\" of the link cannot be shown: %2")
                      .arg(identifier, reason));
      return;
    }
    bridge_.activate(TaskManagerBridge::Application::Things);
    qn_log(QStringLiteral("things application: %1")
               .arg(TaskManagerBridge::applicationName(TaskManagerBridge::Application::Things)));
    // Things has no way here to bring a to-do up: say what would be shown.
    if (bridge_.thingsHasToDo(identifier))
      platformLog(QStringLiteral("Things would show the to-do \"%1\"").arg(identifier));
  }
  qn_log(QStringLiteral("url scheme activated!"));
}

} // namespace kr
