#include "platform/UrlOpenerAPI.h"

#include "platform/QnLog.h"

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

} // namespace kr
