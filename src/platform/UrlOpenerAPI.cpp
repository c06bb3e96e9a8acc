#include "platform/UrlOpenerAPI.h"

#include "platform/AlertPresenterAPI.h"
#include "platform/QnLog.h"

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
    what = QFileInfo(shown).isDir() || shown.endsWith(u'/') ? QStringLiteral("folder")
                                                            : QStringLiteral("file");
  } else if (url.scheme() == u"http" || url.scheme() == u"https") {
    what = QStringLiteral("web page");
  }
  const QString because = reason.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(reason);
  Alert alert;
  alert.messageText = QStringLiteral("Could not open the %1.").arg(what);
  alert.informativeText =
      url.isLocalFile()
          ? QStringLiteral("No program on this computer opened it%1. You can copy its path and "
                           "open it yourself:\n\n%2")
                .arg(because, shown)
          : QStringLiteral("No program on this computer opened it%1. You can copy its address "
                           "and open it yourself:\n\n%2")
                .arg(because, shown);
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
