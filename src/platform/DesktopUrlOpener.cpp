#include "platform/DesktopUrlOpener.h"

#include "platform/QnLog.h"

#include <QDesktopServices>

namespace kr {

bool DesktopUrlOpener::open(const QUrl& url) {
  if (handler_ && url.scheme().compare(scheme_, Qt::CaseInsensitive) == 0) {
    handler_(url);
    return true;
  }
  if (url.isValid() && QDesktopServices::openUrl(url))
    return true;
  platformLog(notOpenedLine(url));
  return false;
}

void DesktopUrlOpener::routeScheme(const QString& scheme, Handler handler) {
  scheme_ = scheme;
  handler_ = std::move(handler);
}

} // namespace kr
