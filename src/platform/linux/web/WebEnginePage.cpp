#include "platform/linux/web/WebEnginePage.h"

#include "platform/ConsoleText.h"
#include "platform/services/UrlOpenerAPI.h"

#include <QLoggingCategory>

namespace kr {

Q_LOGGING_CATEGORY(lcWeb, "kr.platform.web")

WebEnginePage::WebEnginePage(QWebEngineProfile* profile, LinkPolicy staysInside, QObject* parent)
    : QWebEnginePage(profile, parent), staysInside_(std::move(staysInside)) {}

bool WebEnginePage::acceptNavigationRequest(const QUrl& url, NavigationType type,
                                            bool isMainFrame) {
  if (type == NavigationTypeLinkClicked && isMainFrame && staysInside_ && !staysInside_(url)) {
    UrlOpenerAPI::shared().open(url);
    return false;
  }
  return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
}

void WebEnginePage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level,
                                             const QString& message, int lineNumber,
                                             const QString& sourceID) {
  if (level == ErrorMessageLevel)
    qCWarning(lcWeb).noquote() << "script error:" << consoleSafe(message) << "at"
                               << consoleSafe(sourceID) << "line" << lineNumber;
  else
    qCInfo(lcWeb).noquote() << "script:" << consoleSafe(message);
}

} // namespace kr
