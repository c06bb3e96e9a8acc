#include "platform/services/UrlOpenerAPI.h"

#include "platform/QnLog.h"
#include "platform/services/AlertPresenterAPI.h"

#include <QFileInfo>

namespace kr {

namespace {

class ConsoleUrlOpener final : public UrlOpenerAPI {
public:
  bool open(const QUrl& url) override {
    platformLog(notOpenedLine(url));
    return false;
  }
};

ConsoleUrlOpener consoleOpener;
UrlOpenerAPI* installedOpener = nullptr;

} // namespace

UrlOpenerAPI& UrlOpenerAPI::shared() { return installedOpener ? *installedOpener : consoleOpener; }

void UrlOpenerAPI::install(UrlOpenerAPI* opener) { installedOpener = opener; }

UrlOpenerAPI* UrlOpenerAPI::installed() { return installedOpener; }

QString UrlOpenerAPI::notOpenedLine(const QUrl& url) {
  return QStringLiteral("No application opened %1").arg(url.toString());
}

Alert UrlOpenerAPI::notOpenedAlert(const QUrl& url, const QString& reason) {
  QString what = QStringLiteral("link");
  QString shown = url.toString();
  if (url.isLocalFile()) {
    shown = url.toLocalFile();
    // A path ending in "/" names a folder, whether or not it is still there.
    if (QFileInfo(shown).isDir() || shown.endsWith(u'/'))
      what = QStringLiteral("folder");
    else if (shown.endsWith(QLatin1String(".html")) || shown.endsWith(QLatin1String(".htm")))
      what = QStringLiteral("page");
    else
      what = QStringLiteral("file");
  } else if (url.scheme() == u"http" || url.scheme() == u"https") {
    what = QStringLiteral("web page");
  }
  const QString why = reason.isEmpty() ? QStringLiteral("No program on this computer opened it.")
                                       : reason.left(1).toUpper() + reason.mid(1) + u'.';
  Alert alert;
  alert.messageText = QStringLiteral("Could not open the %1.").arg(what);
  alert.informativeText =
      QStringLiteral("%1 You can copy its %2 and open it yourself:\n\n%3")
          .arg(why, url.isLocalFile() ? QStringLiteral("path") : QStringLiteral("address"), shown);
  alert.buttons = {QStringLiteral("OK")};
  alert.selectableText = true;
  return alert;
}

void UrlOpenerAPI::tellNotOpened(const QUrl& url, const QString& reason) {
  platformLog(reason.isEmpty() ? notOpenedLine(url)
                               : QStringLiteral("%1: %2").arg(notOpenedLine(url), reason));
  AlertPresenterAPI::shared().runModal(notOpenedAlert(url, reason));
}

} // namespace kr
