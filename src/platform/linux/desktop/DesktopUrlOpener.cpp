#include "platform/linux/desktop/DesktopUrlOpener.h"

#include "platform/QnLog.h"

#include <QDesktopServices>

namespace kr {

DesktopUrlOpener::DesktopUrlOpener(QString ownScheme, OwnLinkHandler ownLinks)
    : ownScheme_(std::move(ownScheme)), ownLinks_(std::move(ownLinks)) {}

bool DesktopUrlOpener::open(const QUrl& url) {
  if (!url.isValid() || url.scheme().isEmpty()) {
    platformLog(
        QStringLiteral("\"%1\" is not an address that can be opened").arg(url.toDisplayString()));
    return false;
  }
  if (url.scheme().compare(ownScheme_, Qt::CaseInsensitive) == 0) {
    if (!ownLinks_)
      return false;
    ownLinks_(url.toString());
    return true;
  }
  if (QDesktopServices::openUrl(url))
    return true;
  platformLog(QStringLiteral("The desktop could not open %1").arg(url.toDisplayString()));
  return false;
}

} // namespace kr
